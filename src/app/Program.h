#pragma once

#include "gui/AdBoard.h"
#include "gui/AddSiteWindow.h"
#include "gui/ExpiryWindow.h"
#include "gui/LoginWindow.h"
#include "gui/MainWindow.h"
#include "gui/NoticeWindow.h"
#include "gui/SettingsWindow.h"
#include "gui/SiteWindow.h"
#include "gui/TrayIcon.h"
#include "sites/Session.h"
#include "store/SiteRegister.h"

// The composition root: the register, the session and every window, built in start-up
// order, each hidden, and wired to one another. main and the window tests both build it.
class Program
{
public:
    Program();
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // The run starts at the login window.
    void start();

    SiteRegister &siteRegister() { return m_register; }
    Session &session() { return m_session; }
    LoginWindow &loginWindow() { return m_login; }
    MainWindow &mainWindow() { return m_main; }
    AddSiteWindow &addSiteWindow() { return m_addSite; }
    SiteWindow &siteWindow() { return m_site; }
    ExpiryWindow &expiryWindow() { return m_expiry; }
    SettingsWindow &settingsWindow() { return m_settings; }
    NoticeWindow &noticeWindow(Notice notice)
    {
        return notice == Notice::Help ? m_helpNotice : m_upgradeNotice;
    }
    AdBoard &adBoard() { return m_adBoard; }
    TrayIcon &tray() { return m_tray; }

private:
    void prepareInput();
    void wireMainWindow();
    void wireRecordWindows();
    void wireTray();
    void sendMainWindowToTray();
    void bringBackMainWindow();
    void quit();

    SiteRegister m_register;
    Session m_session;
    LoginWindow m_login;
    MainWindow m_main;
    AddSiteWindow m_addSite;
    SiteWindow m_site;
    ExpiryWindow m_expiry;
    SettingsWindow m_settings;
    NoticeWindow m_helpNotice{Notice::Help};
    AdBoard m_adBoard;
    NoticeWindow m_upgradeNotice{Notice::Upgrade};
    TrayIcon m_tray;
};
