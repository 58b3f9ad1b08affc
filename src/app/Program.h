#pragma once

#include "gui/LoginWindow.h"
#include "gui/Notice.h"
#include "sites/Session.h"
#include "store/SiteRegister.h"

#include <memory>

class AdBoard;
class AddSiteWindow;
class DayWatch;
class DueNotifier;
class ExpiryWindow;
class MainWindow;
class NoticeWindow;
class SettingsWindow;
class SiteWindow;
class TrayIcon;

// The composition root: the register, the session and every window, each hidden, and
// wired to one another. main and the window tests both build it.
//
// Only the login window is built with it. The others are built together, and wired, the
// first time one of them is asked for, or, in a run, as soon as the login window is on
// screen: the user sees it without waiting for windows that open only after the login.
class Program
{
public:
    Program();
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // The run starts at the login window.
    void start();
    // Builds the windows behind the login window now, if they are not built yet.
    void buildWindows();

    SiteRegister &siteRegister() { return m_register; }
    Session &session() { return m_session; }
    LoginWindow &loginWindow() { return m_login; }
    MainWindow &mainWindow();
    AddSiteWindow &addSiteWindow();
    SiteWindow &siteWindow();
    ExpiryWindow &expiryWindow();
    SettingsWindow &settingsWindow();
    NoticeWindow &noticeWindow(Notice notice);
    AdBoard &adBoard();
    TrayIcon &tray();
    DueNotifier &dueNotifier();
    DayWatch &dayWatch();

private:
    struct Windows;

    Windows &windows();
    void wireLoginWindow();
    void wireMainWindow(Windows &w);
    void wireRecordWindows(Windows &w);
    void wireTray(Windows &w);
    void wireDueReminders(Windows &w);
    void wireOtherDesks(Windows &w);
    void sendMainWindowToTray();
    void bringBackMainWindow();
    void quit();

    SiteRegister m_register;
    Session m_session;
    LoginWindow m_login;
    std::unique_ptr<Windows> m_windows; // goes before the login window, as it came after it
};
