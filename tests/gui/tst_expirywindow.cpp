#include "ExpiryWindowKit.h"
#include "SiteBuilder.h"
#include "sites/Session.h"

#include "gui/ExpiryWindow.h"
#include "gui/MainWindow.h"
#include "gui/SiteGrid.h"
#include "gui/SiteWindow.h"
#include "platform/Maker.h"
#include "store/Compaction.h"
#include "store/DateText.h"
#include "store/Query.h"
#include "store/SiteRegister.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using Dialogs::Icon;

// The expiry window: its query, its states, its search and the way to the detail window.
class TestExpiryWindow : public ExpiryWindowKit
{
    Q_OBJECT

private:
    static SiteGrid *grid() { return control<SiteGrid>(expiryWindow(), "siteGrid"); }
    static QPushButton *button(const char *name) { return control<QPushButton>(expiryWindow(), name); }
    static QAction *menuItem(const char *name) { return control<QAction>(expiryWindow(), name); }
    static QWidget *searchBar() { return control<QWidget>(expiryWindow(), "searchBar"); }
    static void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    // The cut-offs the main window's counters leave behind.
    static void setCutOffs(const QDate &hosting, const QDate &domain)
    {
        session().setCutOffs(hosting, domain);
    }
    // A site with all four dates, so the detail window loads it whole.
    void addSite(const QString &webId, const QString &name, const QString &endTime,
                 const QString &endDomainTime) const
    {
        SiteBuilder(webId)
            .name(name)
            .contact(name)
            .dates(QStringLiteral("2020-01-01"), endTime, QStringLiteral("2020-01-01"), endDomainTime)
            .addTo(*m_world);
    }
    // Buttons "导 出", "查询明细", "查 询" and the menu's "刷 新", "导 出", "查 询", "查询明细".
    static QString state()
    {
        QString text;
        for (const char *name : {"refreshButton", "exportButton", "detailButton", "toggleSearchButton"})
            text += button(name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        text += QLatin1Char('/');
        for (const char *name :
             {"refreshAction", "exportAction", "searchAction", "detailAction", "helpAction"})
            text += menuItem(name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return text;
    }
    QStringList listedNames() const
    {
        QStringList names;
        for (int row = 0; row < grid()->rowCount(); ++row)
            names << siteRegister()->expiryList()->textAt(row, QStringLiteral("web_name"));
        names.sort();
        return names;
    }
    // Three sites due by the cut-offs 2024-3-5 (hosting) and 2024-2-20 (domain).
    void addExampleSites() const
    {
        addSite("000001", "hosting on the day", "2024-03-05", "2030-01-01");
        addSite("000002", "a day late on both", "2024-03-06", "2024-02-21");
        addSite("000003", "due on both", "2024-01-01", "2024-01-01");
        addSite("000004", "domain on the day", "2030-01-01", "2024-02-20");
        SiteBuilder(QStringLiteral("000005")).name(QStringLiteral("no dates")).addTo(*m_world);
        setCutOffs(QDate(2024, 3, 5), QDate(2024, 2, 20));
    }

private slots:
    // The main window's counters, which lead here. What counts as due is the counters' own
    // rule; the window shows the counts, keeps the cut-offs for this list and offers the list
    // only when something is due.
    void countersLeadToTheList()
    {
        m_world->exec(QStringLiteral("update t_set set web_alarm=3, domain_alarm=7"));
        addSite("000001", "hosting due", "2000-01-01", "2999-01-01");
        addSite("000002", "both due", "2000-01-01", "2000-01-01");
        addSite("000003", "nothing due", "2999-01-01", "2999-01-01");
        mainWindow()->show();
        auto *hostingDue = control<QLabel>(mainWindow(), "hostingDueLabel");
        auto *domainDue = control<QLabel>(mainWindow(), "domainDueLabel");
        auto *openList = control<QPushButton>(mainWindow(), "expiryListButton");
        // Right after the login the counters are computed, without a press on "刷新".
        const QDate today = QDate::currentDate();
        QCOMPARE(m_dialogs->count(), 0);
        QCOMPARE(session().hostingCutOff(), today.addDays(3));
        QCOMPARE(session().domainCutOff(), today.addDays(7));
        QCOMPARE(hostingDue->text(), QStringLiteral("2"));
        QCOMPARE(domainDue->text(), QStringLiteral("1"));
        QVERIFY(openList->isEnabled());

        // Due today, and due within the lead time: counted by the next refresh.
        addSite("000004", "due today", today.toString(Qt::ISODate), "2999-01-01");
        addSite("000005", "due in 3 days", today.addDays(3).toString(Qt::ISODate), "2999-01-01");
        addSite("000006", "due in 4 days", today.addDays(4).toString(Qt::ISODate), "2999-01-01");
        QCOMPARE(hostingDue->text(), QStringLiteral("2"));
        QTest::mouseClick(control<QPushButton>(mainWindow(), "countDueButton"), Qt::LeftButton);
        QCOMPARE(hostingDue->text(), QStringLiteral("4"));

        QTest::mouseClick(openList, Qt::LeftButton);
        QVERIFY(!mainWindow()->isVisible());
        QVERIFY(expiryWindow()->isVisible());
        click("refreshButton");
        QCOMPARE(listedNames(), (QStringList{"both due", "due in 3 days", "due today", "hosting due"}));
    }

    void countersWhenNothingIsDue()
    {
        addSite("000001", "far away", "2999-01-01", "2999-01-01");
        mainWindow()->show();
        auto *openList = control<QPushButton>(mainWindow(), "expiryListButton");
        QTest::mouseClick(control<QPushButton>(mainWindow(), "countDueButton"), Qt::LeftButton);
        QCOMPARE(control<QLabel>(mainWindow(), "hostingDueLabel")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLabel>(mainWindow(), "domainDueLabel")->text(), QStringLiteral("0"));
        QVERIFY(!openList->isEnabled());
        // New lead times count only from the next refresh on.
        m_world->exec(QStringLiteral("update t_set set web_alarm=400000"));
        QCOMPARE(control<QLabel>(mainWindow(), "hostingDueLabel")->text(), QStringLiteral("0"));
        QTest::mouseClick(control<QPushButton>(mainWindow(), "countDueButton"), Qt::LeftButton);
        QCOMPARE(control<QLabel>(mainWindow(), "hostingDueLabel")->text(), QStringLiteral("1"));
        QVERIFY(openList->isEnabled());
    }

    void countersWithoutSettingsRow()
    {
        m_world->exec(QStringLiteral("delete from t_set"));
        mainWindow()->show(); // the counting right after the login fails as a refresh does
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("查询失败")});
        QTest::mouseClick(control<QPushButton>(mainWindow(), "countDueButton"), Qt::LeftButton);
        QCOMPARE(m_dialogs->texts(), (QStringList{QStringLiteral("查询失败"), QStringLiteral("查询失败")}));
        QCOMPARE(m_dialogs->lastMessage().icon, Icon::Error);
        QCOMPARE(control<QLabel>(mainWindow(), "hostingDueLabel")->text(), QStringLiteral("00000"));
        QVERIFY(!session().hostingCutOff().isValid());
        QVERIFY(!control<QPushButton>(mainWindow(), "expiryListButton")->isEnabled());
    }

    void windowAsCreated()
    {
        QCOMPARE(expiryWindow()->windowTitle(), QStringLiteral("网站到期查询"));
        const QStringList faults = layoutFaults(expiryWindow());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
        QVERIFY(expiryWindow()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(grid()->model()->columnCount(), 9);
        QCOMPARE(grid()->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("网站联系人"));
        QCOMPARE(grid()->columnWidth(8), 237);
        QCOMPARE(grid()->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(state(), QStringLiteral("1000/10001"));
        QVERIFY(searchBar()->isHidden());
        auto *columns = control<QComboBox>(expiryWindow(), "searchColumnBox");
        QCOMPARE(columns->count(), 8);
        QCOMPARE(columns->currentText(), QStringLiteral("域名到期日期"));
    }

    void listsEverySiteDueOnce()
    {
        addExampleSites();
        expiryWindow()->show();
        QCOMPARE(grid()->rowCount(), 0); // showing does not query
        click("refreshButton");
        QCOMPARE(listedNames(), (QStringList{"domain on the day", "due on both", "hosting on the day"}));
        QCOMPARE(state(), QStringLiteral("1111/11111"));
        QCOMPARE(m_dialogs->count(), 0);
    }

    void emptyResultDisablesTheRest()
    {
        addExampleSites();
        expiryWindow()->show();
        click("refreshButton");
        click("toggleSearchButton");
        QVERIFY(searchBar()->isVisible());
        setCutOffs(QDate(2000, 1, 1), QDate(2000, 1, 1));
        menuItem("refreshAction")->trigger();
        QCOMPARE(grid()->rowCount(), 0);
        QCOMPARE(state(), QStringLiteral("1000/00001"));
        QVERIFY(searchBar()->isHidden());
    }

    void cutOffNeverComputed()
    {
        addExampleSites();
        expiryWindow()->show();
        click("refreshButton");
        setCutOffs(QDate(), QDate(2024, 2, 20));
        click("refreshButton");
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("查询失败")});
        QCOMPARE(m_dialogs->lastMessage().icon, Icon::Error);
        QCOMPARE(grid()->rowCount(), 0);
        // Nothing to export, search or open is left in an emptied list.
        QCOMPARE(state(), QStringLiteral("1000/00001"));
    }

    // The search bar as this window has it: a list not queried yet cannot be searched, and
    // every search that cannot run says "查询失败".
    void searchWithinTheRows()
    {
        addSite("000001", "Shop abc", "2020-01-01", "2020-01-01");
        addSite("000002", "ABC Shop", "2020-01-02", "2020-01-02");
        setCutOffs(QDate(2024, 1, 1), QDate(2024, 1, 1));
        expiryWindow()->show();
        auto *columns = control<QComboBox>(expiryWindow(), "searchColumnBox");
        auto *keyword = control<QLineEdit>(expiryWindow(), "keywordEdit");
        columns->setCurrentIndex(1); // 网站名称
        keyword->setText(QStringLiteral(" abc "));
        button("searchButton")->click();
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("查询失败")});
        m_dialogs->clear();

        click("refreshButton");
        const QRect wholeList = grid()->geometry();
        grid()->setCurrentRow(0);
        click("toggleSearchButton");
        QVERIFY(searchBar()->isVisible());
        const QStringList faults = layoutFaults(expiryWindow());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
        click("searchButton");
        QCOMPARE(grid()->currentText(QStringLiteral("web_name")), QStringLiteral("ABC Shop"));
        QCOMPARE(m_dialogs->count(), 0);
        columns->setCurrentIndex(5); // 网站到期日期
        keyword->setText(QStringLiteral("tomorrow"));
        click("searchButton");
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("查询失败")});
        QCOMPARE(m_dialogs->lastMessage().icon, Icon::Error);
        QCOMPARE(grid()->currentText(QStringLiteral("web_name")), QStringLiteral("ABC Shop"));

        click("closeSearchButton");
        QVERIFY(searchBar()->isHidden());
        QCOMPARE(grid()->geometry(), wholeList);
        click("toggleSearchButton");
        menuItem("searchAction")->trigger();
        QVERIFY(searchBar()->isHidden());
    }

    void detailRefreshesThisListOnClosing()
    {
        addExampleSites();
        expiryWindow()->show();
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton); // nothing listed yet
        QVERIFY(!siteWindow()->isVisible());
        click("refreshButton");
        grid()->setCurrentRow(1);
        const QString address = grid()->currentText(QStringLiteral("web_address"));
        menuItem("detailAction")->trigger();
        QVERIFY(siteWindow()->isVisible());
        QCOMPARE(siteWindow()->windowTitle(), QStringLiteral("网站资料详细查询"));
        QCOMPARE(control<QLineEdit>(siteWindow(), "addressEdit")->text(), address);
        QCOMPARE(m_dialogs->count(), 0);

        addSite("000009", "added meanwhile", "2020-01-01", "2030-01-01");
        siteWindow()->close();
        QVERIFY(listedNames().contains(QStringLiteral("added meanwhile")));
    }

    void compactionReadsTheListAgain()
    {
        addExampleSites();
        mainWindow()->show();
        expiryWindow()->show();
        click("refreshButton");
        const QStringList listed = listedNames();
        Compaction::compactRegister(siteRegister()->connection(), m_world->folder());
        QTRY_COMPARE(listedNames(), listed);
        QCOMPARE(state(), QStringLiteral("1111/11111"));
    }

    void closingBringsTheMainWindowBack()
    {
        addExampleSites();
        mainWindow()->show();                              // the user comes from the prepared main window
        setCutOffs(QDate(2024, 3, 5), QDate(2024, 2, 20)); // the example dates', not today's
        expiryWindow()->show();
        click("refreshButton");
        menuItem("detailAction")->trigger();
        expiryWindow()->close();
        QVERIFY(!expiryWindow()->isVisible());
        QVERIFY(mainWindow()->isVisible());
        QCOMPARE(control<QLabel>(mainWindow(), "siteCountLabel")->text(),
                 QStringLiteral("5")); // the main list was reloaded
        // The site window it opened now has the main list read again on closing.
        siteRegister()->mainList()->close();
        siteWindow()->close();
        QVERIFY(siteRegister()->mainList()->isOpen());

        // Shown again, the window keeps the rows of its last query.
        addSite("000009", "added meanwhile", "2020-01-01", "2030-01-01");
        expiryWindow()->show();
        QCOMPARE(grid()->rowCount(), 3);
        QCOMPARE(state(), QStringLiteral("1111/11111"));
    }

    // The grid menu renews the current site at once; the lists and counters follow.
    void renewalFromTheGridMenu()
    {
        const QDate today = QDate::currentDate();
        const auto iso = [today](int days) { return DateText::toIso(today.addDays(days)); };
        addSite("000001", "hosting due", iso(-1), iso(400));
        addSite("000002", "both due", iso(-5), iso(-5));
        addSite("000003", "domain due", iso(400), iso(0));
        mainWindow()->show();
        QTest::mouseClick(control<QPushButton>(mainWindow(), "refreshButton"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(mainWindow(), "countDueButton"), Qt::LeftButton);
        const auto counters = [] {
            return control<QLabel>(mainWindow(), "hostingDueLabel")->text() + QLatin1Char('/') +
                   control<QLabel>(mainWindow(), "domainDueLabel")->text();
        };
        QCOMPARE(counters(), QStringLiteral("2/2"));
        expiryWindow()->show();
        QVERIFY(!menuItem("hostingRenewAction")->isEnabled());
        click("refreshButton");
        QVERIFY(menuItem("hostingRenewAction")->isEnabled());

        grid()->setCurrentRow(1);
        menuItem("hostingRenewAction")->trigger();
        const QString renewed = DateText::toIso(today.addDays(-5).addYears(1));
        QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("续费成功\r网站空间到期时间：") +
                                                    DateText::format(today.addDays(-5).addYears(1)));
        QCOMPARE(m_world->scalar("select web_endtime from t_webinfo where web_id='000002'").toString(),
                 renewed);
        QCOMPARE(grid()->currentText(QStringLiteral("web_name")), QStringLiteral("both due")); // still listed
        QCOMPARE(counters(), QStringLiteral("1/2"));
        Query *mainList = siteRegister()->mainList();
        QCOMPARE(mainList->textAt(1, QStringLiteral("web_endtime")),
                 DateText::format(DateText::fromIso(renewed)));

        QAction *threeYears = control<QMenu>(expiryWindow(), "domainRenewYearsMenu")->actions().at(1);
        QCOMPARE(threeYears->text(), QStringLiteral("三年"));
        threeYears->trigger();
        QCOMPARE(m_world->scalar("select web_enddomaintime from t_webinfo where web_id='000002'").toString(),
                 DateText::toIso(today.addDays(-5).addYears(3)));
        QCOMPARE(listedNames(), (QStringList{"domain due", "hosting due"}));
        QCOMPARE(grid()->currentRow(), 1); // where the renewed site was
        QCOMPARE(counters(), QStringLiteral("1/1"));

        QCOMPARE(m_dialogs->count(), 2);
    }

    void helpAndGridDelete()
    {
        addExampleSites();
        expiryWindow()->show();
        menuItem("helpAction")->trigger();
        QCOMPARE(m_dialogs->lastMessage().caption, QStringLiteral("在线帮助"));
        QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("网站：") + Maker::webAddress() +
                                                    QStringLiteral("\r邮箱：") + Maker::email());
        QCOMPARE(m_dialogs->lastMessage().icon, Icon::Exclamation);
        m_dialogs->clear();

        click("refreshButton");
        grid()->setCurrentRow(0);
        const QString doomed = grid()->currentText(QStringLiteral("web_id"));
        m_dialogs->scriptAnswer(Dialogs::Answer::Ok);
        grid()->setFocus();
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("Delete record?")});
        QCOMPARE(grid()->rowCount(), 2);
        QCOMPARE(m_world->scalar("select count(*) from t_webinfo where web_id='" + doomed + "'").toInt(), 0);
        QCOMPARE(state(), QStringLiteral("1111/11111"));
    }
};

QTEST_MAIN(TestExpiryWindow)
#include "tst_expirywindow.moc"
