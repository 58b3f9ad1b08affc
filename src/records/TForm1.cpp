#include "records/TForm1.h"

#include "ui_TForm1.h"

TForm1::TForm1(QWidget *parent) : QWidget(parent), ui(new Ui::TForm1)
{
    ui->setupUi(this);
    setFixedSize(size());
}

TForm1::~TForm1()
{
    delete ui;
}

void TForm1::refreshList() {}
QString TForm1::secretKey() const { return QString(); }
QString TForm1::hostingCutOff() const { return QString(); }
QString TForm1::domainCutOff() const { return QString(); }
void TForm1::showFromTray() { show(); }
void TForm1::quitProgram() {}
