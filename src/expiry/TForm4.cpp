#include "expiry/TForm4.h"

#include "ui_TForm4.h"

TForm4::TForm4(QWidget *parent) : QWidget(parent), ui(new Ui::TForm4)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm4::~TForm4()
{
    delete ui;
}

void TForm4::refreshList() {}
