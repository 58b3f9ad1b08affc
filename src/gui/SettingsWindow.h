#pragma once

#include <QWidget>

#include <memory>

class Session;
class SiteRegister;

namespace Ui {
class SettingsWindow;
}

// The settings window: lead times, compaction and the secret key, one tab each.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    SettingsWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent = nullptr);
    ~SettingsWindow() override;

    // How many records the last successful key change re-keyed; -1 before any.
    int lastRekeyedCount() const { return m_lastRekeyed; }

signals:
    // A new secret key takes effect only when the program starts again.
    void quitRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void sBitBtn1Click(); // store the lead times
    void sBitBtn2Click(); // close
    void sBitBtn3Click(); // compact the register
    void sBitBtn4Click(); // change the secret key
    void sBitBtn5Click(); // close

    std::unique_ptr<Ui::SettingsWindow> ui;
    SiteRegister &m_register;
    const Session &m_session;
    bool m_placed = false;
    int m_lastRekeyed = -1;
};
