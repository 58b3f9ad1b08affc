#include "records/TForm3.h"

#include "ui_TForm3.h"

TForm3::TForm3(QWidget *parent) : QWidget(parent), ui(new Ui::TForm3)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm3::~TForm3()
{
    delete ui;
}

void TForm3::openRecord(const QString &, Mode, bool) { show(); }
