#pragma once

#include <QWidget>

#include <memory>

class ProtectionTab;
class Session;
class SiteRegister;
struct PasswordCost;

namespace Ui {
class SettingsWindow;
}

// The settings window: lead times, compaction (with the register in use, and the choice of
// another for the next start), the secret key and the register's protection, one tab each.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    SettingsWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent = nullptr);
    ~SettingsWindow() override;

    // Only for tests, which would otherwise wait a second for every password.
    void setPasswordCost(const PasswordCost &cost);

signals:
    // A new secret key takes effect only when the program starts again.
    void quitRequested();
    // The register's protection was switched on or off.
    void protectionChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showRegisterFolder();
    void showRegister(const QString &shownText);
    void changeRegister();
    void loadLeadTimes();
    void saveLeadTimes();
    void compactRegister();
    void changeSecretKey();

    std::unique_ptr<Ui::SettingsWindow> ui;
    SiteRegister &m_register;
    const Session &m_session;
    ProtectionTab *m_protectionTab;
    bool m_placed = false;
};
