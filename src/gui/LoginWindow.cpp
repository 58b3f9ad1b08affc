#include "gui/LoginWindow.h"

#include "gui/Dialogs.h"
#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "platform/TextBytes.h"
#include "secrets/TrailerStore.h"
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

LoginWindow::LoginWindow(QWidget *parent) : QWidget(parent), ui(new Ui::LoginWindow)
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
    // Exact comparison: passwords may begin or end with blanks.
    if (ui->passwordEdit->text() != m_password) {
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

void LoginWindow::openChangePanel()
{
    showChangePanel(true);
    ui->currentPasswordEdit->setFocus();
}

void LoginWindow::changePassword()
{
    if (ui->currentPasswordEdit->text() != m_password) {
        Dialogs::error(this, caption(), QStringLiteral("原始密码输入有错"));
        return;
    }
    if (TextBytes::byteLength(ui->newPasswordEdit->text()) < MinimumPasswordBytes) {
        Dialogs::error(this, caption(), QStringLiteral("密码位数小于6位"));
        return;
    }
    if (ui->newPasswordEdit->text() != ui->confirmPasswordEdit->text()) {
        Dialogs::error(this, caption(), QStringLiteral("两次密码输入不一致"));
        return;
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
        return;
    }
    Dialogs::notice(this, caption(), QStringLiteral("登录密码修改成功！"));
    showChangePanel(false);
    raise();
    activateWindow();
}

void LoginWindow::showChangePanel(bool shown)
{
    // The hidden panel is also taken out of the tab order.
    ui->changePanel->setVisible(shown);
    setFixedSize(shown ? ChangeClientWidth : LoginClientWidth, ClientHeight);
    WindowHelpers::centreOnScreen(this);
}
