#include "MainWindowKit.h"
#include "gui/AdBoard.h"
#include "platform/Maker.h"
#include "sites/Session.h"

#include <QFile>
#include <QMenu>
#include <QSystemTrayIcon>

// The main window's first showing, its close button and the tray icon.
class MainFrameTest : public MainWindowKit
{
    Q_OBJECT

    static QSystemTrayIcon *trayIcon() { return tray()->findChild<QSystemTrayIcon *>(); }
    static QAction *trayItem(const char *name)
    {
        return trayIcon()->contextMenu()->findChild<QAction *>(QLatin1String(name));
    }

private slots:
    void firstShowingPreparesTheRun()
    {
        mainWindow()->show();
        QCOMPARE(recorder->count(), 0);
        // The list and the counters are read right away: an empty register has nothing due.
        QCOMPARE(label("siteCountLabel"), QStringLiteral("0"));
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("0"));
        QCOMPARE(label("domainDueLabel"), QStringLiteral("0"));
        QVERIFY(!button("expiryListButton")->isEnabled());
        QCOMPARE(actionSet(), all(false));
        QCOMPARE(grid()->rowCount(), 0);
        QVERIFY(control("searchBar")->isHidden());
        auto *type = control<QComboBox>("searchColumnBox");
        QCOMPARE(type->count(), 8);
        QCOMPARE(type->currentText(), QStringLiteral("域名到期日期"));
        QVERIFY(!type->isEditable());
        QCOMPARE(session().hostingCutOff(), QDate::currentDate().addDays(3));
        QCOMPARE(session().domainCutOff(), QDate::currentDate().addDays(3));
        QCOMPARE(session().secretKey(), QString());
        QVERIFY(adBoard()->isVisible());
        QVERIFY(trayIcon()->isVisible());
        QCOMPARE(trayIcon()->toolTip(), QStringLiteral("双击显示主界面"));
        const QStringList faults = layoutFaults(mainWindow());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
        QCOMPARE(mainWindow()->minimumSize(), mainWindow()->maximumSize());
        QVERIFY(
            !(mainWindow()->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void secretKeyEndsThePreparation()
    {
        storeSecretKey(QStringLiteral("密钥 k3y"));
        addSites(2);
        showAndRefresh();
        QCOMPARE(session().secretKey(), QStringLiteral("密钥 k3y"));
        mainWindow()->hide();
        mainWindow()->show();
        // Prepared once: showing again leaves the connection and the list alone.
        QCOMPARE(grid()->rowCount(), 2);
    }

    void carrierWithoutKeyIsPreparedOnce()
    {
        addSites(2);
        showAndRefresh();
        mainWindow()->hide();
        mainWindow()->show();
        // The shipped sk.exe holds no record: an empty key, read once; the list stays loaded.
        QCOMPARE(grid()->rowCount(), 2);
        QCOMPARE(grid()->currentText(QStringLiteral("web_name")), QStringLiteral("site 0"));
        QCOMPARE(label("siteCountLabel"), QStringLiteral("2"));
        QCOMPARE(session().secretKey(), QString());
        QCOMPARE(recorder->count(), 0);
    }

    void registerUnusableAtFirstShowing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a register") << QByteArray("Standard Jet DB, or anything else");
    }
    void registerUnusableAtFirstShowing()
    {
        QFETCH(QByteArray, content);
        QFile::remove(world->databasePath());
        if (!content.isEmpty())
            world->writeFile(QStringLiteral("db.mdb"), content);
        mainWindow()->show();
        QCOMPARE(recorder->count(), 1);
        QCOMPARE(recorder->lastMessage().caption, QStringLiteral("提示"));
        QCOMPARE(recorder->lastMessage().text,
                 QStringLiteral("数据库接连失败，请查看数据库文件是否存在") + Maker::contactBlock());
        QCOMPARE(recorder->lastMessage().icon, Dialogs::Icon::Error);
        QCOMPARE(recorder->terminateRequests(), 1);
        QVERIFY(trayIcon()->isVisible());
        QCOMPARE(world->readFile(QStringLiteral("db.mdb")), content);
    }

    void secretKeyCarrierThatIsNoFileStopsThePreparation()
    {
        QFile::remove(world->file(QStringLiteral("sk.exe")));
        QVERIFY(QFile::link(world->file(QStringLiteral("key.exe")), world->file(QStringLiteral("sk.exe"))));
        mainWindow()->show();
        QCOMPARE(recorder->texts(), QStringList{QStringLiteral("数据库接连失败，请查看数据库文件是否存在") +
                                                Maker::contactBlock()});
        QCOMPARE(recorder->terminateRequests(), 1);
    }

    void closeSendsToTheTray()
    {
        TrayIcon::setDesktopHasTrayForTesting(true);
        storeSecretKey(QStringLiteral("k"));
        addSites(2);
        showAndRefresh();
        QVERIFY(!mainWindow()->close());
        QVERIFY(!mainWindow()->isVisible());
        QVERIFY(!adBoard()->isVisible());
        QVERIFY(trayIcon()->isVisible());

        emit trayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(mainWindow()->isVisible());
        QVERIFY(adBoard()->isVisible());
        QCOMPARE(grid()->rowCount(), 2);
        QCOMPARE(label("siteCountLabel"), QStringLiteral("2"));

        mainWindow()->close();
        trayItem("showMainWindowItem")->trigger();
        QVERIFY(mainWindow()->isVisible());
        QVERIFY(adBoard()->isVisible());
        QCOMPARE(recorder->terminateRequests(), 0);
    }

    void closeMinimisesWithoutATray()
    {
        TrayIcon::setDesktopHasTrayForTesting(false);
        mainWindow()->show();
        QVERIFY(!mainWindow()->close());
        QVERIFY(mainWindow()->isVisible());
        QVERIFY(mainWindow()->isMinimized());
        QVERIFY(!adBoard()->isVisible());
        trayItem("showMainWindowItem")->trigger();
        QVERIFY(!mainWindow()->isMinimized());
        QVERIFY(adBoard()->isVisible());
    }

    void quitRemovesTheIcon_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("tray menu") << true;
        QTest::newRow("top bar button") << false;
    }
    void quitRemovesTheIcon()
    {
        QFETCH(bool, fromMenu);
        mainWindow()->show();
        QStringList names;
        for (QAction *action : trayIcon()->contextMenu()->actions())
            names << action->objectName() + (action->isSeparator() ? "-" : "");
        QCOMPARE(names, QStringList({"showMainWindowItem", "-", "quitItem", "-", "upgradeItem", "helpItem"}));
        if (fromMenu)
            trayIcon()->contextMenu()->actions().at(2)->trigger();
        else
            button("quitButton")->click();
        QVERIFY(!trayIcon()->isVisible());
        QCOMPARE(recorder->terminateRequests(), 1);
    }
};

QTEST_MAIN(MainFrameTest)
#include "tst_mainframe.moc"
