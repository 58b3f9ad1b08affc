#include "misc/TForm8.h"

#include "ui_TForm8.h"

TForm8::TForm8(QWidget *parent) : QWidget(parent), ui(new Ui::TForm8)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm8::~TForm8()
{
    delete ui;
}

void TForm8::attachTo(QWidget *) {}
