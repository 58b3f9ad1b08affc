#pragma once

#include "TestFolder.h"
#include "app/Startup.h"
#include "gui/Notice.h"

#include <memory>

class AddSiteWindow;
class AdBoard;
class ExpiryWindow;
class LoginWindow;
class MainWindow;
class NoticeWindow;
class Program;
class Session;
class SettingsWindow;
class SiteRegister;
class SiteWindow;
class TrayIcon;

// The test folder with the program built in it as at start (and taken down at the end).
// TestWorld(false) is the folder alone. One world lives at a time; the functions below
// reach its parts.
class TestWorld : public TestFolder
{
public:
    explicit TestWorld(bool withWindows = true);
    ~TestWorld();

    Program &program() { return *m_program; }
    // Takes the program down and builds it again in the same folder, as a restart does (a world
    // built without windows gets them here).
    void restart();

private:
    std::unique_ptr<Program> m_program;
};

// The parts of the program of the world being run.
Program &program();
SiteRegister *siteRegister();
Session &session();
LoginWindow *loginWindow();
MainWindow *mainWindow();
AddSiteWindow *addSiteWindow();
SiteWindow *siteWindow();
ExpiryWindow *expiryWindow();
SettingsWindow *settingsWindow();
NoticeWindow *noticeWindow(Notice notice);
AdBoard *adBoard();
TrayIcon *tray();
void restartProgram();
