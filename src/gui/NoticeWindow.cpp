#include "gui/NoticeWindow.h"

#include "gui/WindowHelpers.h"
#include "platform/Maker.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

QString helpText()
{
    return QStringLiteral("软件作者：") + Maker::name() + QLatin1Char('\n') + QStringLiteral("作者邮箱：") +
           Maker::email() + QLatin1Char('\n') + QStringLiteral("软件网站：") + Maker::webAddress();
}

QString upgradeText()
{
    const QStringList lines = {
        QStringLiteral("如果你需要增加软件的功能或者修改软件的一些功能的话，请发送邮件给作者，"
                       "作者会根据您的要求进行相应的增加或者修改软件功能。"),
        QStringLiteral("请您留下正确的联系方式，以便软件升级好后能及时的发送给您。"),
        QStringLiteral("官方网站：") + Maker::webAddress() + QLatin1Char(' '),
        QStringLiteral("邮      箱：") + Maker::email(),
    };
    return lines.join(QLatin1Char('\n'));
}

// Bold 10-point 微软雅黑, the lettering of the small windows.
QFont noticeFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("微软雅黑")});
    font.setPointSize(10);
    font.setBold(true);
    return font;
}

// The text can be selected and copied (an address, the e-mail), but not edited.
QLabel *addText(QWidget *parent, const QRect &place, const QString &text)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("noticeText"));
    label->setGeometry(place);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setText(text);
    return label;
}

void addCloseButton(QWidget *notice, const QRect &place, const QString &caption)
{
    auto *button = new QPushButton(notice);
    button->setObjectName(QStringLiteral("closeButton"));
    button->setGeometry(place);
    button->setText(caption);
    QObject::connect(button, &QPushButton::clicked, notice, &QWidget::close);
}

} // namespace

NoticeWindow::NoticeWindow(Notice notice, QWidget *parent) : QWidget(parent)
{
    setFont(noticeFont());
    if (notice == Notice::Help)
        buildHelp();
    else
        buildUpgrade();
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ notice == Notice::Upgrade);
    setFixedSize(size());
}

void NoticeWindow::showNotice()
{
    WindowHelpers::showOrRaise(this);
}

void NoticeWindow::buildHelp()
{
    setObjectName(QStringLiteral("helpNotice"));
    setWindowTitle(QStringLiteral("在线帮助"));
    resize(275, 159);
    addText(this, QRect(20, 16, 240, 84), helpText());
    addCloseButton(this, QRect(102, 116, 70, 29), QStringLiteral("退 出"));
}

// The longer upgrade text is wrapped inside a frame.
void NoticeWindow::buildUpgrade()
{
    setObjectName(QStringLiteral("upgradeNotice"));
    setWindowTitle(QStringLiteral("在线升级"));
    resize(317, 215);
    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("noticeFrame"));
    frame->setGeometry(8, 6, 301, 164);
    QLabel *text = addText(frame, QRect(10, 14, 281, 146), upgradeText());
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setWordWrap(true);
    addCloseButton(this, QRect(123, 178, 70, 29), QStringLiteral("关 闭"));
}
