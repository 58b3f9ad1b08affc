#include "misc/TForm9.h"

#include "ui_TForm9.h"

TForm9::TForm9(QWidget *parent) : QWidget(parent), ui(new Ui::TForm9)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm9::~TForm9()
{
    delete ui;
}

void TForm9::showNotice() { show(); raise(); }
