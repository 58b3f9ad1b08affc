#include "gui/HelpNotice.h"

#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "ui_HelpNotice.h"

HelpNotice::HelpNotice(QWidget *parent) : QWidget(parent), ui(new Ui::HelpNotice)
{
    ui->setupUi(this);
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ false);
    setFixedSize(size());
    ui->sLabel1->setText(QStringLiteral("软件作者：") + Maker::name() + QLatin1Char('\n') +
                         QStringLiteral("作者邮箱：") + Maker::email() + QLatin1Char('\n') +
                         QStringLiteral("软件网站：") + Maker::webAddress());
    connect(ui->sBitBtn1, &QPushButton::clicked, this, &HelpNotice::sBitBtn1Click);
}

HelpNotice::~HelpNotice() = default;

void HelpNotice::showNotice()
{
    WindowHelpers::showOrRaise(this);
}

void HelpNotice::sBitBtn1Click()
{
    close(); // a notice is only hidden, never destroyed
}
