#include "gui/LoginWindow.h"

#include "gui/Dialogs.h"
#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "platform/TextBytes.h"
#include "platform/UserSettings.h"
#include "secrets/TrailerStore.h"
#include "sites/Protection.h"
#include "store/Connection.h"
#include "store/SiteRegister.h"
#include "ui_LoginWindow.h"

#include <QCloseEvent>
#include <QLineEdit>

#include <exception>

namespace {

// Outer widths 313 and 620 less a single 4-pixel border on each side: the left
// panel alone, or both panels side by side.
const int LoginClientWidth = 305;
const int ChangeClientWidth = 612;
const int ClientHeight = 159;
const int MinimumPasswordBytes = 6;

QString caption()
{
    return QStringLiteral("提示");
}

} // namespace

LoginWindow::LoginWindow(SiteRegister &siteRegister, QWidget *parent)
    : QWidget(parent), ui(new Ui::LoginWindow), m_register(siteRegister)
{
    ui->setupUi(this);
    // No title-bar buttons at all: the window ends only through "退 出".
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    showChangePanel(false);

    connect(ui->loginButton, &QPushButton::clicked, this, &LoginWindow::logIn);
    connect(ui->changePasswordButton, &QPushButton::clicked, this, &LoginWindow::openChangePanel);
    connect(ui->cancelChangeButton, &QPushButton::clicked, this, [this] { showChangePanel(false); });
    connect(ui->quitButton, &QPushButton::clicked, this, &Dialogs::requestTerminate);
    connect(ui->savePasswordButton, &QPushButton::clicked, this, &LoginWindow::changePassword);
    connect(ui->passwordEdit, &QLineEdit::returnPressed, this, &LoginWindow::logIn);
    connect(ui->confirmPasswordEdit, &QLineEdit::returnPressed, this, &LoginWindow::changePassword);
}

LoginWindow::~LoginWindow() = default;

void LoginWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window restored by the desktop is not a new showing.
    if (!event->spontaneous())
        loadPassword();
}

void LoginWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit closeRequested();
}

void LoginWindow::loadPassword()
{
    WindowHelpers::centreOnScreen(this);
    try {
        readSecret(SecretStore::loginPassword(), m_password);
    } catch (const std::exception &) {
        Dialogs::error(this, caption(),
                       QStringLiteral("软件出错,请检查是否缺少必要的文件") + Maker::contactBlock());
        Dialogs::requestTerminate();
    }
}

void LoginWindow::logIn()
{
    if (!accepts(ui->passwordEdit->text())) {
        Dialogs::error(this, caption(), QStringLiteral("密码出错") + Maker::contactBlock());
        ui->passwordEdit->clear();
        return;
    }
    emit loggedIn();
    for (QLineEdit *field :
         {ui->passwordEdit, ui->currentPasswordEdit, ui->newPasswordEdit, ui->confirmPasswordEdit})
        field->clear();
    hide();
}

// A register that cannot be opened now is left to the main window, which says so after the login.
bool LoginWindow::registerIsProtected()
{
    try {
        Connection *connection = m_register.connection();
        if (!connection->isOpen())
            m_register.address().applyTo(*connection);
        return connection->isProtected();
    } catch (...) {
        return false;
    }
}

bool LoginWindow::accepts(const QString &typed)
{
    if (!registerIsProtected())
        return typed == m_password; // exact: passwords may begin or end with blanks
    const WindowHelpers::WaitCursor wait;
    // Every slot tried costs a second: the slot this desk opened last is tried first.
    UserSettings settings;
    const QString lastSlot = QStringLiteral("keySlot");
    try {
        const QString slot =
            Protection::unlock(m_register.connection(), typed, settings.value(lastSlot).toString());
        if (slot.isEmpty())
            return false;
        settings.setValue(lastSlot, slot);
    } catch (...) {
        return false;
    }
    // A record that switching protection on could not take away is not used, nor kept.
    try {
        removeSecrets(SecretStore::loginPassword());
    } catch (...) {
    }
    return true;
}

void LoginWindow::openChangePanel()
{
    showChangePanel(true);
    ui->currentPasswordEdit->setFocus();
}

void LoginWindow::changePassword()
{
    const bool changed = registerIsProtected() ? changeSlotPassword() : changeStoredPassword();
    if (!changed)
        return;
    Dialogs::notice(this, caption(), QStringLiteral("登录密码修改成功！"));
    showChangePanel(false);
    raise();
    activateWindow();
}

bool LoginWindow::changeStoredPassword()
{
    if (ui->currentPasswordEdit->text() != m_password) {
        Dialogs::error(this, caption(), QStringLiteral("原始密码输入有错"));
        return false;
    }
    if (TextBytes::byteLength(ui->newPasswordEdit->text()) < MinimumPasswordBytes) {
        Dialogs::error(this, caption(), QStringLiteral("密码位数小于6位"));
        return false;
    }
    if (ui->newPasswordEdit->text() != ui->confirmPasswordEdit->text()) {
        Dialogs::error(this, caption(), QStringLiteral("两次密码输入不一致"));
        return false;
    }
    WriteResult result = WriteResult::CarrierRefused;
    try {
        result = writeSecret(SecretStore::loginPassword(), ui->confirmPasswordEdit->text());
    } catch (const std::exception &) {
    }
    // A refused append is reported too: the user must not believe the new password was kept.
    if (result != WriteResult::Written) {
        Dialogs::error(this, caption(),
                       QStringLiteral("密码修改出错,请检查是否缺少必要的文件") + Maker::contactBlock());
        return false;
    }
    return true;
}

// In a protected register only the slot the current password opens is wrapped anew.
bool LoginWindow::changeSlotPassword()
{
    if (ui->newPasswordEdit->text() != ui->confirmPasswordEdit->text()) {
        Dialogs::error(this, caption(), QStringLiteral("两次密码输入不一致"));
        return false;
    }
    try {
        const WindowHelpers::WaitCursor wait;
        Protection::changePassword(m_register.connection(), ui->currentPasswordEdit->text(),
                                   ui->newPasswordEdit->text());
        return true;
    } catch (const Protection::WrongPassword &) {
        Dialogs::error(this, caption(), QStringLiteral("原始密码输入有错"));
    } catch (const Protection::Refused &refusal) {
        Dialogs::error(this, caption(), refusal.message());
    } catch (const std::exception &) {
        Dialogs::error(this, caption(),
                       QStringLiteral("密码修改出错,请检查是否缺少必要的文件") + Maker::contactBlock());
    }
    return false;
}

void LoginWindow::showChangePanel(bool shown)
{
    // The hidden panel is also taken out of the tab order.
    ui->changePanel->setVisible(shown);
    setFixedSize(shown ? ChangeClientWidth : LoginClientWidth, ClientHeight);
    WindowHelpers::centreOnScreen(this);
}
