#include "app/Program.h"

#include "gui/AdBoard.h"
#include "gui/AddSiteWindow.h"
#include "gui/Dialogs.h"
#include "gui/DueNotifier.h"
#include "gui/ExpiryWindow.h"
#include "gui/MainWindow.h"
#include "gui/NoticeWindow.h"
#include "gui/OtherDeskChanges.h"
#include "gui/SettingsWindow.h"
#include "gui/SiteWindow.h"
#include "gui/TrayIcon.h"
#include "gui/WindowInput.h"
#include "legacy/JetImport.h"
#include "platform/DayWatch.h"
#include "store/Connection.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <functional>

// Members in start-up order: they are built, and taken down, in this order.
struct Program::Windows
{
    Windows(SiteRegister &siteRegister, Session &session)
        : main(siteRegister, session), addSite(siteRegister, session), site(siteRegister, session),
          expiry(siteRegister, session), settings(siteRegister, session),
          otherDesks(siteRegister.connection())
    {
    }

    MainWindow main;
    AddSiteWindow addSite;
    SiteWindow site;
    ExpiryWindow expiry;
    SettingsWindow settings;
    NoticeWindow helpNotice{Notice::Help};
    AdBoard adBoard;
    NoticeWindow upgradeNotice{Notice::Upgrade};
    TrayIcon tray;
    DueNotifier dueNotifier{tray};
    DayWatch dayWatch;
    OtherDeskChanges otherDesks;
};

namespace {

// Runs its work once, right after the watched window's first exposure has been painted
// and flushed to the screen (the paint happens while the expose event is handled).
class AfterFirstExposure : public QObject
{
public:
    AfterFirstExposure(QWindow *window, std::function<void()> work) : QObject(window), m_work(std::move(work))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                m_work();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> m_work;
};

} // namespace

Program::Program() : m_login(m_register)
{
    m_register.connection()->setPreparation(&JetImport::prepareRegister);
    // The login window waits for its password: Escape does not close it.
    WindowInput::prepare(&m_login, WindowInput::Escape::Ignored);
    wireLoginWindow();
}

Program::~Program() = default;

void Program::start()
{
    m_login.show();
    QWindow *window = m_login.windowHandle();
    if (window && !window->isExposed())
        new AfterFirstExposure(window, [this] { buildWindows(); });
    else
        QTimer::singleShot(0, &m_login, [this] { buildWindows(); });
}

void Program::buildWindows()
{
    windows();
}

Program::Windows &Program::windows()
{
    if (!m_windows) {
        m_windows = std::make_unique<Windows>(m_register, m_session);
        Windows &w = *m_windows;
        // The main window and the ad board stay until the program ends: Escape closes only
        // the windows the user opened from them.
        using WindowInput::Escape;
        for (QWidget *window : std::initializer_list<QWidget *>{&w.main, &w.adBoard})
            WindowInput::prepare(window, Escape::Ignored);
        for (QWidget *window : std::initializer_list<QWidget *>{&w.addSite, &w.site, &w.expiry, &w.settings,
                                                                &w.helpNotice, &w.upgradeNotice})
            WindowInput::prepare(window, Escape::ClosesWindow);
        wireMainWindow(w);
        wireRecordWindows(w);
        wireTray(w);
        wireDueReminders(w);
        wireOtherDesks(w);
    }
    return *m_windows;
}

MainWindow &Program::mainWindow()
{
    return windows().main;
}

AddSiteWindow &Program::addSiteWindow()
{
    return windows().addSite;
}

SiteWindow &Program::siteWindow()
{
    return windows().site;
}

ExpiryWindow &Program::expiryWindow()
{
    return windows().expiry;
}

SettingsWindow &Program::settingsWindow()
{
    return windows().settings;
}

NoticeWindow &Program::noticeWindow(Notice notice)
{
    return notice == Notice::Help ? windows().helpNotice : windows().upgradeNotice;
}

AdBoard &Program::adBoard()
{
    return windows().adBoard;
}

TrayIcon &Program::tray()
{
    return windows().tray;
}

DueNotifier &Program::dueNotifier()
{
    return windows().dueNotifier;
}

DayWatch &Program::dayWatch()
{
    return windows().dayWatch;
}

void Program::wireLoginWindow()
{
    QObject::connect(&m_login, &LoginWindow::loggedIn, &m_login, [this] { windows().main.show(); });
    QObject::connect(&m_login, &LoginWindow::closeRequested, &m_login, [this] {
        if (!m_windows)
            return; // nothing behind the login window is shown yet
        m_windows->main.hide();
        m_windows->adBoard.hide();
    });
}

void Program::wireMainWindow(Windows &w)
{
    MainWindow *main = &w.main;
    QObject::connect(main, &MainWindow::preparationFinished, main, [this](bool succeeded) {
        if (succeeded) {
            m_windows->adBoard.attachTo(&m_windows->main);
            m_windows->adBoard.show();
        }
        m_windows->tray.registerIcon();
    });
    QObject::connect(main, &MainWindow::closeRequested, main, [this] { sendMainWindowToTray(); });
    QObject::connect(main, &MainWindow::restoredFromMinimized, &w.adBoard, &QWidget::show);
    QObject::connect(main, &MainWindow::addSiteRequested, &w.addSite, &QWidget::show);
    QObject::connect(main, &MainWindow::siteRequested, &w.site, [this](const QString &address, bool modify) {
        m_windows->site.openRecord(address, modify ? SiteWindow::Mode::Modify : SiteWindow::Mode::Detail);
    });
    QObject::connect(main, &MainWindow::expiryListRequested, &w.expiry, [this] {
        m_windows->expiry.show();
        m_windows->expiry.activateWindow();
    });
    QObject::connect(main, &MainWindow::settingsRequested, &w.settings, &QWidget::show);
    QObject::connect(main, &MainWindow::noticeRequested, main,
                     [this](Notice notice) { noticeWindow(notice).showNotice(); });
    QObject::connect(main, &MainWindow::quitRequested, main, [this] { quit(); });
    QObject::connect(&w.settings, &SettingsWindow::quitRequested, main, [this] { quit(); });
    QObject::connect(&w.settings, &SettingsWindow::protectionChanged, main, &MainWindow::showRegisterInTitle);
}

// A record window, on closing, has the list that opened it read again: the site may have changed.
void Program::wireRecordWindows(Windows &w)
{
    QObject::connect(&w.addSite, &AddSiteWindow::closed, &w.main, &MainWindow::refreshList);
    QObject::connect(&w.site, &SiteWindow::closed, &w.main, [this](bool fromExpiryList) {
        if (fromExpiryList)
            m_windows->expiry.refreshList();
        else
            m_windows->main.refreshList();
    });
    QObject::connect(&w.expiry, &ExpiryWindow::siteRequested, &w.site, [this](const QString &address) {
        m_windows->site.openRecord(address, SiteWindow::Mode::Detail, /*fromExpiryList*/ true);
    });
    QObject::connect(&w.expiry, &ExpiryWindow::closed, &w.main, [this] {
        m_windows->main.show();
        m_windows->main.refreshList();
        m_windows->site.clearExpiryMarker();
    });
    // A renewal is stored at once: every list and counter showing the site is read again.
    QObject::connect(&w.site, &SiteWindow::siteRenewed, &w.main, [this] {
        m_windows->main.refreshAfterRenewal();
        m_windows->expiry.reloadAfterChange();
    });
    QObject::connect(&w.expiry, &ExpiryWindow::siteRenewed, &w.main, &MainWindow::refreshAfterRenewal);
}

void Program::wireTray(Windows &w)
{
    QObject::connect(&w.tray, &TrayIcon::showRequested, &w.main, [this] { bringBackMainWindow(); });
    QObject::connect(&w.tray, &TrayIcon::quitRequested, &w.main, [this] { quit(); });
    QObject::connect(&w.tray, &TrayIcon::noticeRequested, &w.main,
                     [this](Notice notice) { noticeWindow(notice).showNotice(); });
}

// What falls due is shown right after the login and again whenever a new day begins, with
// one notice a day; clicking the notice opens the expiry list.
void Program::wireDueReminders(Windows &w)
{
    QObject::connect(&w.main, &MainWindow::preparationFinished, &w.main, [this](bool succeeded) {
        if (!succeeded)
            return;
        m_windows->main.refreshDue();
        m_windows->dayWatch.start();
    });
    QObject::connect(&w.dayWatch, &DayWatch::dayBegun, &w.main, [this] {
        m_windows->main.refreshDue();
        if (m_windows->expiry.isVisible())
            m_windows->expiry.refreshList();
    });
    QObject::connect(&w.main, &MainWindow::dueCounted, &w.dueNotifier,
                     [this](const ExpiryCounters::Outcome &outcome) {
                         m_windows->dueNotifier.offer(outcome, *m_register.leadTimes(), QDate::currentDate());
                     });
    QObject::connect(&w.dueNotifier, &DueNotifier::opened, &w.expiry, [this] {
        m_windows->main.hide();
        m_windows->expiry.show();
        m_windows->expiry.raise();
        m_windows->expiry.activateWindow();
    });
}

// The counters first: the expiry list is read by the cut-offs they leave.
void Program::wireOtherDesks(Windows &w)
{
    QObject::connect(&w.otherDesks, &OtherDeskChanges::readAgain, &w.main, [this] {
        m_windows->main.followOtherDesks();
        m_windows->expiry.followOtherDesks();
    });
}

// The main window and the ad board go to the tray, or, where the desktop has no tray, the
// window is minimised so it stays reachable.
void Program::sendMainWindowToTray()
{
    m_windows->adBoard.hide();
    if (TrayIcon::desktopHasTray())
        m_windows->main.hide();
    else
        m_windows->main.showMinimized();
}

void Program::bringBackMainWindow()
{
    MainWindow &main = m_windows->main;
    main.show();
    m_windows->adBoard.show();
    main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
    main.raise();
    main.activateWindow();
}

void Program::quit()
{
    m_windows->tray.removeIcon();
    Dialogs::requestTerminate();
}
