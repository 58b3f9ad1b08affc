#pragma once

#include <QWidget>

#include <memory>

class Session;
class SiteRegister;

namespace Ui {
class SettingsWindow;
}

// The settings window: lead times, compaction (with the register in use, and the choice of
// another for the next start) and the secret key, one tab each.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    SettingsWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent = nullptr);
    ~SettingsWindow() override;

signals:
    // A new secret key takes effect only when the program starts again.
    void quitRequested();

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
    bool m_placed = false;
};
