#include "expiry/TForm5.h"

#include "ui_TForm5.h"

TForm5::TForm5(QWidget *parent) : QWidget(parent), ui(new Ui::TForm5)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm5::~TForm5()
{
    delete ui;
}
