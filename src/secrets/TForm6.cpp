#include "secrets/TForm6.h"

#include "ui_TForm6.h"

TForm6::TForm6(QWidget *parent) : QWidget(parent), ui(new Ui::TForm6)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm6::~TForm6()
{
    delete ui;
}
