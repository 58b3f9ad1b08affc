#include "MainWindowKit.h"
#include "SiteBuilder.h"

#include "app/Program.h"
#include "gui/DueNotifier.h"
#include "gui/ExpiryWindow.h"
#include "gui/SettingsWindow.h"
#include "gui/TrayIcon.h"
#include "platform/DayWatch.h"

#include <QCheckBox>
#include <QSignalSpy>
#include <QTabWidget>

// What falls due, shown without being asked: the counters right after the login and at every
// new day, and one notice a day beside the tray icon.
class TestDueNotice : public MainWindowKit
{
    Q_OBJECT

    static QString isoDay(int fromToday)
    {
        return QDate::currentDate().addDays(fromToday).toString(Qt::ISODate);
    }
    // Lead times 3 and 3: due today and tomorrow, far beyond the lead time, and long overdue.
    void addDueWorld() const
    {
        SiteBuilder::addAllTo(*world,
                              {SiteBuilder("000001").name("today").dates({}, isoDay(0), {}, isoDay(30)),
                               SiteBuilder("000002").name("tomorrow").dates({}, isoDay(30), {}, isoDay(1)),
                               SiteBuilder("000003").name("later").dates({}, isoDay(4), {}, isoDay(4)),
                               SiteBuilder("000004").name("overdue").dates({}, "2020-02-29", {}, {})});
    }
    static QCheckBox *noticeBox() { return ::control<QCheckBox>(settingsWindow(), "dueNoticeBox"); }

private slots:
    void initTestCase()
    {
        // No desktop notification service answers in a test.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/corvane-test-bus");
    }

    void countersAndOneNoticeADayAfterTheLogin()
    {
        TrayIcon::setDesktopHasTrayForTesting(true);
        addDueWorld();
        QSignalSpy shown(&program().dueNotifier(), &DueNotifier::shown);
        mainWindow()->show();
        QCOMPARE(label("siteCountLabel"), QStringLiteral("4"));
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("2"));
        QCOMPARE(label("domainDueLabel"), QStringLiteral("1"));
        QVERIFY(button("expiryListButton")->isEnabled());
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.at(0).at(0).value<DueNotifier::Channel>(), DueNotifier::Channel::Tray);
        QCOMPARE(shown.at(0).at(1).toString(),
                 QStringLiteral("空间到期数：2，域名到期数：1，最早到期日期：2020-2-29"));
        QCOMPARE(recorder->count(), 0); // never a message box

        // The same day gives no second notice; a new day recomputes and notices again.
        mainWindow()->refreshDue();
        QCOMPARE(shown.count(), 1);
        world->exec(QStringLiteral("update t_webinfo set web_endtime='2999-01-01' where web_id='000004'"));
        DayWatch &watch = program().dayWatch();
        watch.look(QDate::currentDate(), 1000, 1000); // a look without news changes nothing
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("2"));
        watch.look(QDate::currentDate().addDays(1), 2000, 2000);
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("1"));
        // (the notice waits for tomorrow's real date: the notifier's today is the machine's)

        // Clicking the notice opens the expiry list in place of the main window.
        emit tray()->messageClicked();
        QVERIFY(expiryWindow()->isVisible());
        QVERIFY(!mainWindow()->isVisible());
    }

    void noticeCanBeTurnedOffAndNothingDueGivesNone()
    {
        TrayIcon::setDesktopHasTrayForTesting(true);
        QSignalSpy shown(&program().dueNotifier(), &DueNotifier::shown);
        mainWindow()->show();
        QCOMPARE(shown.count(), 0); // nothing due

        // A register from before the setting has no column for it, and the notice is on.
        settingsWindow()->show();
        QVERIFY(noticeBox()->isChecked());
        noticeBox()->setChecked(false);
        ::control<QPushButton>(settingsWindow(), "saveLeadTimesButton")->click();
        QCOMPARE(recorder->texts(), QStringList{QStringLiteral("数据修改成功")});
        QCOMPARE(world->scalar(QStringLiteral("select due_notice from t_set")).toInt(), 0);
        settingsWindow()->close();
        settingsWindow()->show();
        QVERIFY(!noticeBox()->isChecked());

        addDueWorld();
        mainWindow()->refreshDue();
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("2"));
        QCOMPARE(shown.count(), 0);
    }

    // Without a tray and without a notification service there is no notice at all, and no message box.
    void withNowhereToShowItNothingShows()
    {
        TrayIcon::setDesktopHasTrayForTesting(false);
        addDueWorld();
        QSignalSpy shown(&program().dueNotifier(), &DueNotifier::shown);
        mainWindow()->show();
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("2"));
        QCOMPARE(shown.count(), 0);
        QCOMPARE(recorder->count(), 0);
    }

    // The steady clock stands still in a sleep: a wall clock that ran ahead of it means the machine slept.
    void dayWatchSeesMidnightAndSleep()
    {
        DayWatch watch;
        QSignalSpy begun(&watch, &DayWatch::dayBegun);
        const QDate today = QDate::currentDate();
        watch.look(today, 0, 0);
        QCOMPARE(begun.count(), 1); // the first look: its day is new to it
        watch.look(today, 30000, 30000);
        watch.look(today, 61000, 60000);
        QCOMPARE(begun.count(), 1);
        watch.look(today, 8 * 3600 * 1000, 90000); // woke after a night
        QCOMPARE(begun.count(), 2);
        watch.look(today.addDays(1), 8 * 3600 * 1000 + 30000, 120000); // midnight
        QCOMPARE(begun.count(), 3);
    }
};

QTEST_MAIN(TestDueNotice)
#include "tst_duenotice.moc"
