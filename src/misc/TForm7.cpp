#include "misc/TForm7.h"

#include "misc/Maker.h"
#include "misc/WindowLook.h"
#include "misc/WindowPlacement.h"
#include "ui_TForm7.h"

TForm7::TForm7(QWidget *parent) : QWidget(parent), ui(new Ui::TForm7)
{
    ui->setupUi(this);
    WindowLook::setCloseBoxFrame(this, /*stayOnTop*/ false);
    setFixedSize(size());
    ui->sLabel1->setText(QStringLiteral("软件作者：") + Maker::name() + QLatin1Char('\n') +
                         QStringLiteral("作者邮箱：") + Maker::email() + QLatin1Char('\n') +
                         QStringLiteral("软件网站：") + Maker::webAddress());
    connect(ui->sBitBtn1, &QPushButton::clicked, this, &TForm7::sBitBtn1Click);
}

TForm7::~TForm7()
{
    delete ui;
}

void TForm7::showNotice()
{
    WindowPlacement::showOrRaise(this);
}

void TForm7::sBitBtn1Click()
{
    close(); // a notice is only hidden, never destroyed
}
