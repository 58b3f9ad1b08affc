#include "app/Program.h"

#include "gui/Dialogs.h"
#include "gui/WindowInput.h"
#include "legacy/JetImport.h"
#include "store/Connection.h"

Program::Program()
    : m_main(m_register, m_session), m_addSite(m_register, m_session), m_site(m_register, m_session),
      m_expiry(m_register, m_session), m_settings(m_register, m_session)
{
    m_register.connection()->setPreparation(&JetImport::prepareRegister);
    prepareInput();
    wireMainWindow();
    wireRecordWindows();
    wireTray();
}

Program::~Program() = default;

void Program::start()
{
    m_login.show();
}

// The login window waits for its password, and the main window and the ad board stay
// until the program ends: Escape closes only the windows the user opened from them.
void Program::prepareInput()
{
    using WindowInput::Escape;
    for (QWidget *window : std::initializer_list<QWidget *>{&m_login, &m_main, &m_adBoard})
        WindowInput::prepare(window, Escape::Ignored);
    for (QWidget *window : std::initializer_list<QWidget *>{&m_addSite, &m_site, &m_expiry, &m_settings,
                                                            &m_helpNotice, &m_upgradeNotice})
        WindowInput::prepare(window, Escape::ClosesWindow);
}

void Program::wireMainWindow()
{
    QObject::connect(&m_login, &LoginWindow::loggedIn, &m_main, &QWidget::show);
    QObject::connect(&m_login, &LoginWindow::closeRequested, &m_main, [this] {
        m_main.hide();
        m_adBoard.hide();
    });
    QObject::connect(&m_main, &MainWindow::preparationFinished, &m_main, [this](bool succeeded) {
        if (succeeded) {
            m_adBoard.attachTo(&m_main);
            m_adBoard.show();
        }
        m_tray.registerIcon();
    });
    QObject::connect(&m_main, &MainWindow::closeRequested, &m_main, [this] { sendMainWindowToTray(); });
    QObject::connect(&m_main, &MainWindow::restoredFromMinimized, &m_adBoard, &QWidget::show);
    QObject::connect(&m_main, &MainWindow::addSiteRequested, &m_addSite, &QWidget::show);
    QObject::connect(
        &m_main, &MainWindow::siteRequested, &m_site, [this](const QString &address, bool modify) {
            m_site.openRecord(address, modify ? SiteWindow::Mode::Modify : SiteWindow::Mode::Detail);
        });
    QObject::connect(&m_main, &MainWindow::expiryListRequested, &m_expiry, [this] {
        m_expiry.show();
        m_expiry.activateWindow();
    });
    QObject::connect(&m_main, &MainWindow::settingsRequested, &m_settings, &QWidget::show);
    QObject::connect(&m_main, &MainWindow::noticeRequested, &m_main,
                     [this](Notice notice) { noticeWindow(notice).showNotice(); });
    QObject::connect(&m_main, &MainWindow::quitRequested, &m_main, [this] { quit(); });
    QObject::connect(&m_settings, &SettingsWindow::quitRequested, &m_main, [this] { quit(); });
}

// A record window, on closing, has the list that opened it read again: the site may have changed.
void Program::wireRecordWindows()
{
    QObject::connect(&m_addSite, &AddSiteWindow::closed, &m_main, &MainWindow::refreshList);
    QObject::connect(&m_site, &SiteWindow::closed, &m_main, [this](bool fromExpiryList) {
        if (fromExpiryList)
            m_expiry.refreshList();
        else
            m_main.refreshList();
    });
    QObject::connect(&m_expiry, &ExpiryWindow::siteRequested, &m_site, [this](const QString &address) {
        m_site.openRecord(address, SiteWindow::Mode::Detail, /*fromExpiryList*/ true);
    });
    QObject::connect(&m_expiry, &ExpiryWindow::closed, &m_main, [this] {
        m_main.show();
        m_main.refreshList();
        m_site.clearExpiryMarker();
    });
}

void Program::wireTray()
{
    QObject::connect(&m_tray, &TrayIcon::showRequested, &m_main, [this] { bringBackMainWindow(); });
    QObject::connect(&m_tray, &TrayIcon::quitRequested, &m_main, [this] { quit(); });
    QObject::connect(&m_tray, &TrayIcon::noticeRequested, &m_main,
                     [this](Notice notice) { noticeWindow(notice).showNotice(); });
}

// The main window and the ad board go to the tray, or, where the desktop has no tray, the
// window is minimised so it stays reachable.
void Program::sendMainWindowToTray()
{
    m_adBoard.hide();
    if (TrayIcon::desktopHasTray())
        m_main.hide();
    else
        m_main.showMinimized();
}

void Program::bringBackMainWindow()
{
    m_main.show();
    m_adBoard.show();
    m_main.setWindowState(m_main.windowState() & ~Qt::WindowMinimized);
    m_main.raise();
    m_main.activateWindow();
}

void Program::quit()
{
    m_tray.removeIcon();
    Dialogs::requestTerminate();
}
