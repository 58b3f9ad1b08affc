#include "misc/TForm7.h"

#include "ui_TForm7.h"

TForm7::TForm7(QWidget *parent) : QWidget(parent), ui(new Ui::TForm7)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm7::~TForm7()
{
    delete ui;
}

void TForm7::showNotice() { show(); raise(); }
