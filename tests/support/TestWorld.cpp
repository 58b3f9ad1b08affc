#include "TestWorld.h"

#include "app/Program.h"
#include "store/SiteRegister.h"

#include <QtGlobal>

namespace {

TestWorld *&currentWorld()
{
    static TestWorld *world = nullptr;
    return world;
}

Program &currentProgram()
{
    if (!currentWorld())
        qFatal("no test world with the program is running");
    return currentWorld()->program();
}

} // namespace

TestWorld::TestWorld(bool withWindows)
{
    if (withWindows)
        restart();
}

TestWorld::~TestWorld()
{
    if (currentWorld() == this)
        currentWorld() = nullptr;
}

void TestWorld::restart()
{
    m_program.reset();
    m_program = std::make_unique<Program>();
    if (onServer())
        pointAt(*m_program->siteRegister().connection());
    // As a run has them a moment after start: every window built.
    m_program->buildWindows();
    currentWorld() = this;
}

Program &program()
{
    return currentProgram();
}
SiteRegister *siteRegister()
{
    return &currentProgram().siteRegister();
}
Session &session()
{
    return currentProgram().session();
}
LoginWindow *loginWindow()
{
    return &currentProgram().loginWindow();
}
MainWindow *mainWindow()
{
    return &currentProgram().mainWindow();
}
AddSiteWindow *addSiteWindow()
{
    return &currentProgram().addSiteWindow();
}
SiteWindow *siteWindow()
{
    return &currentProgram().siteWindow();
}
ExpiryWindow *expiryWindow()
{
    return &currentProgram().expiryWindow();
}
SettingsWindow *settingsWindow()
{
    return &currentProgram().settingsWindow();
}
NoticeWindow *noticeWindow(Notice notice)
{
    return &currentProgram().noticeWindow(notice);
}
AdBoard *adBoard()
{
    return &currentProgram().adBoard();
}
TrayIcon *tray()
{
    return &currentProgram().tray();
}
void restartProgram()
{
    currentWorld()->restart();
}
