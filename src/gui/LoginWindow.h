#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class SiteRegister;

namespace Ui {
class LoginWindow;
}

// The login window: the first window of the run, with a second panel for changing
// the login password that is opened by widening the window. A protected register is opened by
// the password itself, through one of its key slots; any other by the password in key.exe.
class LoginWindow : public QWidget
{
    Q_OBJECT
public:
    explicit LoginWindow(SiteRegister &siteRegister, QWidget *parent = nullptr);
    ~LoginWindow() override;

signals:
    void loggedIn();
    // The close box never ends the program; it only puts the working windows away.
    void closeRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void loadPassword();
    void logIn();
    void openChangePanel();
    void changePassword();
    void showChangePanel(bool shown);
    bool registerIsProtected();
    bool accepts(const QString &typed);
    bool changeSlotPassword();
    bool changeStoredPassword();

    std::unique_ptr<Ui::LoginWindow> ui;
    SiteRegister &m_register;
    // Loaded when the window is shown; a password change takes effect at the next start.
    QString m_password;
};
