#include "MainWindowKit.h"

#include "store/Compaction.h"
#include "store/Connection.h"
#include "store/SiteRegister.h"

#include <QFile>
#include <QMenu>
#include <QSqlDatabase>
#include <QSqlQuery>

// The site list and its actions.
class MainWindowTest : public MainWindowKit
{
    Q_OBJECT

private slots:
    void refreshCountsTheRows()
    {
        mainWindow()->show();
        button("refreshButton")->click();
        QCOMPARE(label("siteCountLabel"), QStringLiteral("0"));
        QCOMPARE(actionSet(), all(false));
        addSites(3);
        item("refreshAction")->trigger();
        QCOMPARE(label("siteCountLabel"), QStringLiteral("3"));
        QCOMPARE(grid()->rowCount(), 3);
        QCOMPARE(actionSet(), all(true));
        QCOMPARE(recorder->count(), 0);

        world->exec("drop table t_webinfo");
        button("refreshButton")->click();
        QCOMPARE(recorder->texts(), QStringList{"数据刷新出错"});
        QCOMPARE(recorder->lastMessage().icon, Dialogs::Icon::Error);
        // The failed read emptied the list: no count and no action claims the rows it lost.
        QCOMPARE(grid()->rowCount(), 0);
        QCOMPARE(label("siteCountLabel"), QStringLiteral("00000"));
        QCOMPARE(actionSet(), all(false));
    }

    void listReadAgainWhenTheConnectionCloses()
    {
        addSites(3);
        showAndRefresh();
        grid()->setCurrentRow(2);
        Compaction::compactRegister(siteRegister()->connection(), world->folder());
        QTRY_COMPARE(grid()->currentText(QStringLiteral("web_name")), QStringLiteral("site 2"));
        QCOMPARE(label("siteCountLabel"), QStringLiteral("3"));
        QCOMPARE(actionSet(), all(true));

        // A register that cannot be read again leaves an empty list that claims nothing.
        world->removeRegister();
        siteRegister()->connection()->close();
        QCOMPARE(actionSet(), all(false));
        QTRY_COMPARE(label("siteCountLabel"), QStringLiteral("00000"));
        QCOMPARE(grid()->rowCount(), 0);
        QCOMPARE(recorder->count(), 0);
    }

    void deleteAsksWithTheCount()
    {
        addSites(4);
        showAndRefresh();
        select({});
        button("deleteButton")->click(); // nothing selected: no question
        QCOMPARE(recorder->count(), 0);

        select({0, 2, 3});
        recorder->scriptAnswer(Dialogs::Answer::Cancel);
        button("deleteButton")->click();
        QCOMPARE(recorder->lastMessage().text, QStringLiteral("确定要删除这3条记录吗？"));
        QCOMPARE(recorder->lastMessage().icon, Dialogs::Icon::Question);
        QCOMPARE(recorder->lastMessage().buttons, Dialogs::Buttons::OkCancel);
        QCOMPARE(registerRows(), 4);

        recorder->scriptAnswer(Dialogs::Answer::Ok);
        button("deleteButton")->click();
        QCOMPARE(recorder->lastMessage().text, QStringLiteral("删除成功"));
        QCOMPARE(recorder->lastMessage().icon, Dialogs::Icon::Exclamation);
        QCOMPARE(registerRows(), 1);
        QCOMPARE(world->scalar("select web_name from t_webinfo").toString(), QStringLiteral("site 1"));
        QCOMPARE(label("siteCountLabel"), QStringLiteral("4"));
        QCOMPARE(actionSet(), all(true));

        select({0});
        recorder->scriptAnswer(Dialogs::Answer::Ok);
        item("deleteAction")->trigger();
        QCOMPARE(recorder->lastMessage().text, QStringLiteral("删除成功"));
        QCOMPARE(registerRows(), 0);
        QCOMPARE(label("siteCountLabel"), QStringLiteral("00000"));
        QCOMPARE(actionSet(), all(false));
        const int messages = recorder->count();
        item("deleteAction")->trigger();
        QCOMPARE(recorder->count(), messages);
    }

    void deleteRefusedByTheRegister()
    {
        addSites(3);
        showAndRefresh();
        select({0, 1});
        // Another program holds the register locked for writing (a server refuses the delete).
        QSqlDatabase other;
        if (world->onServer()) {
            world->refuseDeleting(QStringLiteral("W000000"));
        } else {
            other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            other.setDatabaseName(world->databasePath());
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("begin exclusive")));
        }
        recorder->scriptAnswer(Dialogs::Answer::Ok);
        button("deleteButton")->click();
        QCOMPARE(recorder->lastMessage().text, QStringLiteral("数据删除出错"));
        QCOMPARE(recorder->lastMessage().icon, Dialogs::Icon::Error);
        // The grid's own delete does not pass over a refusal in silence either.
        recorder->scriptAnswer(Dialogs::Answer::Ok);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(recorder->lastMessage().text, QStringLiteral("数据删除出错"));
        if (!world->onServer()) {
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("rollback")));
            other.close();
            other = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        }
        QCOMPARE(grid()->rowCount(), 3);
        QCOMPARE(registerRows(), 3);
        QCOMPARE(label("siteCountLabel"), QStringLiteral("3"));
    }

    // The grid's own command: it asks in English and leaves the count and the actions alone,
    // also when it empties the list.
    void ctrlDeleteAsksAndKeepsCountAndActions_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("three selected") << QList<int>{0, 2, 3} << true << "Delete all selected records?"
                                        << QStringList({"site 1", "site 4"});
        QTest::newRow("none selected: the current row")
            << QList<int>{} << true << "Delete record?"
            << QStringList({"site 1", "site 2", "site 3", "site 4"});
        QTest::newRow("one selected, not the current")
            << QList<int>{3} << true << "Delete record?"
            << QStringList({"site 0", "site 1", "site 2", "site 4"});
        QTest::newRow("cancelled") << QList<int>{1, 2} << false << "Delete all selected records?"
                                   << QStringList({"site 0", "site 1", "site 2", "site 3", "site 4"});
        QTest::newRow("every row") << QList<int>{0, 1, 2, 3, 4} << true << "Delete all selected records?"
                                   << QStringList();
    }
    void ctrlDeleteAsksAndKeepsCountAndActions()
    {
        QFETCH(QList<int>, selected);
        QFETCH(bool, ok);
        QFETCH(QString, question);
        QFETCH(QStringList, left);
        addSites(5);
        showAndRefresh();
        select(selected);
        grid()->setFocus();
        recorder->scriptAnswer(ok ? Dialogs::Answer::Ok : Dialogs::Answer::Cancel);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(recorder->texts(), QStringList{question});
        QCOMPARE(recorder->lastMessage().buttons, Dialogs::Buttons::OkCancel);
        QStringList names;
        for (int row = 0; row < grid()->rowCount(); ++row)
            names << grid()->model()->index(row, 1).data().toString();
        QCOMPARE(names, left);
        QCOMPARE(registerRows(), int(left.size()));
        QCOMPARE(label("siteCountLabel"), QStringLiteral("5"));
        QCOMPARE(actionSet(), all(true));
    }

    void ctrlDeleteNeedsRowsAndCtrl()
    {
        mainWindow()->show(); // the list is not loaded yet
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        addSites(1);
        button("refreshButton")->click();
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(recorder->count(), 0);
        QCOMPARE(registerRows(), 1);
    }

    void searchMovesToTheFirstMatch()
    {
        world->addPlainSite("W1", "Shop abc", "www.shop.com", QString(), "2011-03-08");
        world->addPlainSite("W2", "ABC Shop", "www.abc.com", QString(), "2011-03-09");
        world->addPlainSite("W3", "Other", "www.other.com", QString(), "2011-03-07");
        mainWindow()->show();
        search(7, "abc"); // nothing loaded yet
        QCOMPARE(recorder->count(), 1);
        search(1, "abc");
        QCOMPARE(recorder->count(), 1);
        recorder->clear();

        button("refreshButton")->click();
        const QRect wholeList = grid()->geometry();
        button("toggleSearchButton")->click();
        QVERIFY(control("searchBar")->isVisible());
        QCOMPARE(mainWindow()->focusWidget(), control("keywordEdit"));
        // The bar covers neither rows nor the scroll bar of the list.
        const QStringList faults = layoutFaults(mainWindow());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
        search(1, "  abc ");
        QCOMPARE(grid()->currentRow(), 1);
        QCOMPARE(grid()->selectedRowNumbers(), QList<int>{1});
        search(7, "2011-3-7");
        QCOMPARE(grid()->currentRow(), 2);
        search(2, "www.(");
        search(7, "2011-3-10");
        QCOMPARE(grid()->currentRow(), 2);
        QCOMPARE(recorder->count(), 0);

        for (const char *keyword : {"2011-2-30", "abc"}) {
            search(5, QString::fromUtf8(keyword));
            QCOMPARE(recorder->lastMessage().text,
                     QStringLiteral("查询失败,请检查关键字格式是否正确\r日期格式：####-##-##"));
            QCOMPARE(recorder->lastMessage().icon, Dialogs::Icon::Error);
            QCOMPARE(grid()->currentRow(), 2);
        }
        recorder->clear();
        control<QComboBox>("searchColumnBox")->setCurrentIndex(1);
        control<QLineEdit>("keywordEdit")->setText("shop");
        QTest::keyClick(control("keywordEdit"), Qt::Key_Return);
        QCOMPARE(grid()->currentRow(), 0);

        button("toggleSearchButton")->click();
        QVERIFY(control("searchBar")->isHidden());
        button("toggleSearchButton")->click();
        button("closeSearchButton")->click();
        QVERIFY(control("searchBar")->isHidden());
        QCOMPARE(grid()->geometry(), wholeList);
    }

    void currentRowAddressesAreOpened()
    {
        world->addPlainSite("W1", "a", "www.a.com");
        world->addPlainSite("W2", "b", "");
        world->exec("update t_webinfo set web_login='http://a.com/admin' where web_id='W1'");
        showAndRefresh();
        // After a refresh the first row is current and visibly selected; the actions take it.
        QCOMPARE(grid()->selectedRowNumbers(), QList<int>{0});
        button("visitSiteButton")->click();
        item("visitAdminAction")->trigger();
        QCOMPARE(recorder->openedAddresses(), QStringList({"www.a.com", "http://a.com/admin"}));
        QCOMPARE(recorder->count(), 0);

        QTest::keyClick(grid(), Qt::Key_Down); // a row reached by the keyboard is acted on too
        item("visitSiteAction")->trigger();
        button("visitAdminButton")->click();
        QCOMPARE(recorder->texts(), QStringList({"没有任何网址可以访问", "没有任何网址可以访问"}));
        QCOMPARE(recorder->openedAddresses().size(), 2);
    }

    void gridMenuByRightClick()
    {
        addSites(3);
        showAndRefresh();
        select({0, 2});
        const QRect cell = grid()->visualRect(grid()->model()->index(1, 1));
        QTest::mousePress(grid()->viewport(), Qt::RightButton, {}, cell.center());
        auto *menu = control<QMenu>("gridMenu");
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
        // The menu's delete works on the selection, so the right click keeps it.
        QCOMPARE(grid()->selectedRowNumbers(), QList<int>({0, 2}));
        QCOMPARE(recorder->count(), 0);
    }

    void doubleClickOnAnEmptyGridOpensNothing()
    {
        mainWindow()->show();
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(recorder->count(), 0);
    }

    void exportWritesTheWholeList()
    {
        addSites(3);
        showAndRefresh();
        select({1});
        recorder->scriptSave(world->file("list"), 5);
        button("exportButton")->click();
        QCOMPARE(recorder->texts(), QStringList{"数据导出成功"});
        const QList<QByteArray> lines = world->readFile("list.txt").split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(3).startsWith("W000002\tsite 2\twww.site2.com"));
        QCOMPARE(grid()->selectedRowNumbers(), QList<int>{1});
    }

    void calendarExportWritesTheWholeRegisterWithoutALoadedList()
    {
        world->addPlainSite("W000001", "site 1", "www.site1.com", "2030-01-02", "2031-05-06");
        world->addPlainSite("W000002", "site 2", "www.site2.com");
        mainWindow()->show();
        recorder->scriptSave(world->file("calendar"), 1);
        item("exportCalendarAction")->trigger();
        QCOMPARE(recorder->texts(), QStringList{"数据导出成功"});
        QVERIFY(recorder->saveRequests().at(0).fileName.endsWith(".ics"));
        const QByteArray calendar = world->readFile("calendar.ics");
        QVERIFY(calendar.startsWith("BEGIN:VCALENDAR\r\n"));
        QCOMPARE(calendar.count("BEGIN:VEVENT"), 2);
        QVERIFY(calendar.contains("DTSTART;VALUE=DATE:20300102\r\n"));
        QVERIFY(calendar.contains("DTSTART;VALUE=DATE:20310506\r\n"));

        recorder->scriptSave(world->file("no such folder/calendar.ics"), 1);
        item("exportCalendarAction")->trigger();
        QCOMPARE(recorder->texts().last(), QStringLiteral("数据导出出错"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
