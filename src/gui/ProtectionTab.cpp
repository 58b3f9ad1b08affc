#include "gui/ProtectionTab.h"

#include "gui/Dialogs.h"
#include "gui/WindowHelpers.h"
#include "secrets/RecoveryKey.h"
#include "sites/Protection.h"
#include "store/Connection.h"
#include "store/SiteRegister.h"
#include "ui_ProtectionTab.h"

#include <exception>

namespace {

const QString Caption = QStringLiteral("提示");

// A password is read once and leaves its field at once, whatever the attempt comes to.
QString take(QLineEdit *edit)
{
    const QString text = edit->text();
    edit->clear();
    return text;
}

} // namespace

ProtectionTab::ProtectionTab(SiteRegister &siteRegister, QWidget *parent)
    : QWidget(parent), ui(new Ui::ProtectionTab), m_register(siteRegister)
{
    ui->setupUi(this);
    connect(ui->protectButton, &QPushButton::clicked, this, &ProtectionTab::protect);
    connect(ui->protectConfirmEdit, &QLineEdit::returnPressed, this, &ProtectionTab::protect);
    connect(ui->addSlotButton, &QPushButton::clicked, this, &ProtectionTab::showAddSlot);
    connect(ui->recoveryKeyButton, &QPushButton::clicked, this, &ProtectionTab::generateRecoveryKey);
    connect(ui->removeSlotButton, &QPushButton::clicked, this, &ProtectionTab::removeSlot);
    connect(ui->unprotectButton, &QPushButton::clicked, this, &ProtectionTab::unprotect);
    connect(ui->confirmAddSlotButton, &QPushButton::clicked, this, &ProtectionTab::addSlot);
    connect(ui->confirmSlotPasswordEdit, &QLineEdit::returnPressed, this, &ProtectionTab::addSlot);
    connect(ui->cancelAddSlotButton, &QPushButton::clicked, this, &ProtectionTab::showProtected);
}

ProtectionTab::~ProtectionTab() = default;

// An unreadable register leaves the tab disabled: the window that opened it has said why.
void ProtectionTab::refresh()
{
    clearPasswords();
    QStringList names;
    try {
        m_protected = m_register.connection()->isProtected();
        if (m_protected)
            names = Protection::slotNames(m_register.connection());
    } catch (const std::exception &) {
        setEnabled(false);
        return;
    }
    setEnabled(true);
    ui->slotList->clear();
    ui->slotList->addItems(names);
    ui->protectionPages->setCurrentWidget(m_protected ? ui->protectedPage : ui->unprotectedPage);
}

void ProtectionTab::protect()
{
    const QString password = take(ui->protectPasswordEdit);
    if (!confirmed(password, take(ui->protectConfirmEdit)))
        return;
    switchProtection(
        [&] {
            Protection::protect(m_register.connection(), Protection::defaultSlotName(), password, m_cost);
        },
        QStringLiteral("保护模式已启用"));
}

void ProtectionTab::unprotect()
{
    const QString password = take(ui->currentPasswordEdit);
    if (!passwordTyped(password))
        return;
    switchProtection([&] { Protection::unprotect(m_register.connection(), password); },
                     QStringLiteral("保护模式已关闭"));
}

// Even a switch refused at its very end (key.exe left as it was) may have taken place: the
// view and the title follow the register, and the notice comes only when all went well.
void ProtectionTab::switchProtection(const std::function<void()> &step, const QString &doneText)
{
    const bool wasProtected = m_protected;
    const bool done = run(step);
    refresh();
    if (m_protected != wasProtected)
        emit protectionChanged();
    if (done)
        Dialogs::notice(this, Caption, doneText);
}

void ProtectionTab::showAddSlot()
{
    ui->protectionPages->setCurrentWidget(ui->addSlotPage);
    ui->slotNameEdit->setFocus();
}

void ProtectionTab::showProtected()
{
    clearPasswords();
    ui->slotNameEdit->clear();
    ui->protectionPages->setCurrentWidget(ui->protectedPage);
}

void ProtectionTab::addSlot()
{
    const QString password = take(ui->addCurrentPasswordEdit);
    const QString newPassword = take(ui->newSlotPasswordEdit);
    if (!confirmed(newPassword, take(ui->confirmSlotPasswordEdit)) || !passwordTyped(password))
        return;
    const QString name = ui->slotNameEdit->text().trimmed();
    if (!run([&] { Protection::addSlot(m_register.connection(), password, name, newPassword, m_cost); }))
        return;
    refresh();
    Dialogs::notice(this, Caption, QStringLiteral("已添加密码：") + name);
}

// The key is shown this once and kept nowhere else: only its slot remembers it, wrapped.
void ProtectionTab::generateRecoveryKey()
{
    const QString password = take(ui->currentPasswordEdit);
    if (!passwordTyped(password))
        return;
    const QString key = RecoveryKey::generate();
    QString name;
    if (!run([&] {
            name = freeRecoveryName();
            Protection::addSlot(m_register.connection(), password, name, key, m_cost);
        }))
        return;
    refresh();
    Dialogs::noticeToCopy(this, Caption,
                          QStringLiteral("恢复密钥“%1”只显示这一次：\r\r%2\r\r请把它打印出来，妥善保管。"
                                         "忘记密码时，可以用它代替密码打开数据库。")
                              .arg(name, key));
}

void ProtectionTab::removeSlot()
{
    const QString password = take(ui->currentPasswordEdit);
    const QListWidgetItem *item = ui->slotList->currentItem();
    if (!item) {
        Dialogs::error(this, Caption, QStringLiteral("请先选择要删除的密码"));
        return;
    }
    if (!passwordTyped(password))
        return;
    const QString name = item->text();
    // The last one is refused anyway: no point asking first.
    if (ui->slotList->count() > 1 &&
        !Dialogs::confirm(this, Caption, QStringLiteral("确定删除密码“%1”吗？").arg(name)))
        return;
    if (!run([&] { Protection::removeSlot(m_register.connection(), password, name); }))
        return;
    refresh();
    Dialogs::notice(this, Caption, QStringLiteral("已删除密码：") + name);
}

// Each step derives a key from a password (about a second each), so the user sees it working.
bool ProtectionTab::run(const std::function<void()> &step)
{
    QString refusal;
    try {
        const WindowHelpers::WaitCursor wait;
        step();
    } catch (const Protection::WrongPassword &) {
        refusal = QStringLiteral("登录密码输入有错");
    } catch (const Protection::Refused &refused) {
        refusal = refused.message();
    } catch (const std::exception &) {
        // Every step is one transaction: a failed one changed nothing.
        refusal = QStringLiteral("数据修改失败，数据库保持原样");
    }
    if (!refusal.isEmpty())
        Dialogs::error(this, Caption, refusal);
    return refusal.isEmpty();
}

// Said at once, rather than after trying every slot with nothing.
bool ProtectionTab::passwordTyped(const QString &password)
{
    if (!password.isEmpty())
        return true;
    Dialogs::error(this, Caption, QStringLiteral("请输入登录密码"));
    return false;
}

bool ProtectionTab::confirmed(const QString &password, const QString &confirmation)
{
    if (password == confirmation)
        return true;
    Dialogs::error(this, Caption, QStringLiteral("两次密码输入不一致"));
    return false;
}

QString ProtectionTab::freeRecoveryName() const
{
    const QStringList taken = Protection::slotNames(m_register.connection());
    QString name = QStringLiteral("恢复密钥");
    for (int number = 2; taken.contains(name); ++number)
        name = QStringLiteral("恢复密钥%1").arg(number);
    return name;
}

void ProtectionTab::clearPasswords()
{
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        if (edit->echoMode() == QLineEdit::Password)
            edit->clear();
}
