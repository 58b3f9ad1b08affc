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

    connect(ui->sBitBtn1, &QPushButton::clicked, this, &LoginWindow::sBitBtn1Click);
    connect(ui->sBitBtn2, &QPushButton::clicked, this, &LoginWindow::sBitBtn2Click);
    connect(ui->sBitBtn3, &QPushButton::clicked, this, &LoginWindow::sBitBtn3Click);
    connect(ui->sBitBtn5, &QPushButton::clicked, this, &LoginWindow::sBitBtn5Click);
    connect(ui->sButton1, &QPushButton::clicked, this, &LoginWindow::sButton1Click);
    connect(ui->sEdit1, &QLineEdit::returnPressed, this, &LoginWindow::sBitBtn1Click);
    connect(ui->sEdit4, &QLineEdit::returnPressed, this, &LoginWindow::sButton1Click);
}

LoginWindow::~LoginWindow() = default;

void LoginWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window restored by the desktop is not a new showing.
    if (!event->spontaneous())
        FormShow();
}

void LoginWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit closeRequested();
}

void LoginWindow::FormShow()
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

void LoginWindow::sBitBtn1Click()
{
    // Exact comparison: passwords may begin or end with blanks.
    if (ui->sEdit1->text() != m_password) {
        Dialogs::error(this, caption(), QStringLiteral("密码出错") + Maker::contactBlock());
        ui->sEdit1->clear();
        return;
    }
    emit loggedIn();
    for (QLineEdit *field : {ui->sEdit1, ui->sEdit2, ui->sEdit3, ui->sEdit4})
        field->clear();
    hide();
}

void LoginWindow::sBitBtn2Click()
{
    showChangePanel(true);
    ui->sEdit2->setFocus();
}

void LoginWindow::sBitBtn3Click()
{
    showChangePanel(false);
}

void LoginWindow::sBitBtn5Click()
{
    Dialogs::requestTerminate();
}

void LoginWindow::sButton1Click()
{
    if (ui->sEdit2->text() != m_password) {
        Dialogs::error(this, caption(), QStringLiteral("原始密码输入有错"));
        return;
    }
    if (TextBytes::byteLength(ui->sEdit3->text()) < MinimumPasswordBytes) {
        Dialogs::error(this, caption(), QStringLiteral("密码位数小于6位"));
        return;
    }
    if (ui->sEdit3->text() != ui->sEdit4->text()) {
        Dialogs::error(this, caption(), QStringLiteral("两次密码输入不一致"));
        return;
    }
    WriteResult result = WriteResult::CarrierRefused;
    try {
        result = writeSecret(SecretStore::loginPassword(), ui->sEdit4->text());
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
    ui->sPanel2->setVisible(shown);
    setFixedSize(shown ? ChangeClientWidth : LoginClientWidth, ClientHeight);
    WindowHelpers::centreOnScreen(this);
}
