#include "records/TForm2.h"

#include "ui_TForm2.h"

TForm2::TForm2(QWidget *parent) : QWidget(parent), ui(new Ui::TForm2)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm2::~TForm2()
{
    delete ui;
}
