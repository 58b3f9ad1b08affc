#include "gui/UpgradeNotice.h"

#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "ui_UpgradeNotice.h"

UpgradeNotice::UpgradeNotice(QWidget *parent) : QWidget(parent), ui(new Ui::UpgradeNotice)
{
    ui->setupUi(this);
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ true);
    setFixedSize(size());
    const QStringList lines = {
        QStringLiteral("如果你需要增加软件的功能或者修改软件的一些功能的话，请发送邮件给作者，"
                       "作者会根据您的要求进行相应的增加或者修改软件功能。"),
        QStringLiteral("请您留下正确的联系方式，以便软件升级好后能及时的发送给您。"),
        QStringLiteral("官方网站：") + Maker::webAddress() + QLatin1Char(' '),
        QStringLiteral("邮      箱：") + Maker::email(),
    };
    ui->sLabel1->setText(lines.join(QLatin1Char('\n')));
    connect(ui->sBitBtn1, &QPushButton::clicked, this, &UpgradeNotice::sBitBtn1Click);
}

UpgradeNotice::~UpgradeNotice() = default;

void UpgradeNotice::showNotice()
{
    WindowHelpers::showOrRaise(this);
}

void UpgradeNotice::sBitBtn1Click()
{
    close(); // a notice is only hidden, never destroyed
}
