#include "ExpiryWindowKit.h"
#include "RecordKit.h"
#include "SiteBuilder.h"

#include "gui/ExpiryWindow.h"
#include "gui/SiteGrid.h"
#include "gui/SiteWindow.h"
#include "store/DateText.h"

#include <QMenu>

using namespace RecordKit;

// Renewing from the site window: the one date stored at once, shown, and every list and counter
// that shows the site read again; nothing else the window holds is saved by it.
class TestSiteRenewal : public ExpiryWindowKit
{
    Q_OBJECT

private:
    const QDate m_today = QDate::currentDate();

    static QString iso(const QDate &date) { return DateText::toIso(date); }
    // The site's row in the main list, as the grid shows it.
    static QString listedHostingExpiry(const QString &webId)
    {
        Query *list = siteRegister()->mainList();
        const int row =
            list->find(QStringLiteral("web_id"), [&webId](const QString &id) { return id == webId; });
        return row < 0 ? QString() : list->textAt(row, QStringLiteral("web_endtime"));
    }
    static QString label(const char *name) { return control<QLabel>(mainWindow(), name)->text(); }
    static QDate shownHostingExpiry()
    {
        return DateText::parse(combo(siteWindow(), "hostingExpiresYearBox")->currentText() + '-' +
                               combo(siteWindow(), "hostingExpiresMonthBox")->currentText() + '-' +
                               combo(siteWindow(), "hostingExpiresDayBox")->currentText());
    }

    // Hosting lead time 3 days: 000001 is due for hosting only, 000002 for both.
    void addSitesAndCount() const
    {
        const QString due = iso(m_today.addDays(1));
        const QString late = iso(m_today.addDays(-10));
        SiteBuilder("000001").name("续费").dates(late, due, late, iso(m_today.addDays(100))).addTo(*m_world);
        SiteBuilder("000002").name("其他").dates(late, late, late, late).addTo(*m_world);
        mainWindow()->show();
        QTest::mouseClick(control<QPushButton>(mainWindow(), "refreshButton"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(mainWindow(), "countDueButton"), Qt::LeftButton);
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("2"));
        expiryWindow()->refreshList();
        QCOMPARE(siteRegister()->expiryList()->recordCount(), 2);
    }

private slots:
    void renewsOneDateAndRefreshesTheLists()
    {
        addSitesAndCount();
        siteWindow()->openRecord(QStringLiteral("000001.example"), SiteWindow::Mode::Modify);
        QVERIFY(layoutFaults(siteWindow()).isEmpty());
        edit(siteWindow(), "siteNameEdit")->setText(QStringLiteral("未保存的名称"));

        auto *button = control<QPushButton>(siteWindow(), "hostingRenewButton");
        QCOMPARE(button->text(), QStringLiteral("续费一年"));
        QTest::mouseClick(button, Qt::LeftButton);
        const QDate renewed = m_today.addDays(1).addYears(1);
        expectMessage(*m_dialogs, QStringLiteral("续费"),
                      QStringLiteral("续费成功\r网站空间到期时间：") + DateText::format(renewed),
                      Dialogs::Icon::Exclamation);
        QCOMPARE(stored(*m_world, "000001", "web_endtime").toString(), iso(renewed));
        QCOMPARE(shownHostingExpiry(), renewed);
        // The name typed is neither stored nor lost.
        QCOMPARE(stored(*m_world, "000001", "web_name").toString(), QStringLiteral("续费"));
        QCOMPARE(edit(siteWindow(), "siteNameEdit")->text(), QStringLiteral("未保存的名称"));
        // Main list, counters and the expiry list, which no longer holds the site.
        QCOMPARE(listedHostingExpiry("000001"), DateText::format(renewed));
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("1"));
        QCOMPARE(siteRegister()->expiryList()->recordCount(), 1);

        // Three years more for the domain, from the button's menu.
        QAction *threeYears = control<QMenu>(siteWindow(), "domainRenewYearsButtonMenu")->actions().at(2);
        QCOMPARE(threeYears->text(), QStringLiteral("续费三年"));
        threeYears->trigger();
        QCOMPARE(stored(*m_world, "000001", "web_enddomaintime").toString(),
                 iso(m_today.addDays(100).addYears(3)));
        QCOMPARE(stored(*m_world, "000001", "web_endtime").toString(), iso(renewed));
        QCOMPARE(m_dialogs->count(), 2);
    }

    // A date changed underneath (or in the window, unsaved) is never overwritten by a renewal.
    void changedDateIsNotRenewed()
    {
        addSitesAndCount();
        siteWindow()->openRecord(QStringLiteral("000001.example"), SiteWindow::Mode::Modify);
        const QDate shown = shownHostingExpiry();
        m_world->exec(QStringLiteral("update t_webinfo set web_endtime='2030-01-01' where web_id='000001'"));
        QTest::mouseClick(control<QPushButton>(siteWindow(), "hostingRenewButton"), Qt::LeftButton);
        expectMessage(*m_dialogs, QStringLiteral("续费"),
                      QStringLiteral("续费未保存：此网站已被删除，或网站空间到期时间已被修改\r"
                                     "已重新读取此网站，请核对后再修改"),
                      Dialogs::Icon::Error);
        QCOMPARE(stored(*m_world, "000001", "web_endtime").toString(), QStringLiteral("2030-01-01"));
        // The window read the site again and shows the date it now has.
        QVERIFY(shownHostingExpiry() != shown);
        QCOMPARE(shownHostingExpiry(), QDate(2030, 1, 1));

        combo(siteWindow(), "hostingExpiresYearBox")->setCurrentText(QStringLiteral("2031"));
        QTest::mouseClick(control<QPushButton>(siteWindow(), "hostingRenewButton"), Qt::LeftButton);
        expectMessage(*m_dialogs, QStringLiteral("续费"),
                      QStringLiteral("网站空间到期时间已修改未保存，请先保存日期资料再续费"),
                      Dialogs::Icon::Error);
        QCOMPARE(stored(*m_world, "000001", "web_endtime").toString(), QStringLiteral("2030-01-01"));
        QCOMPARE(m_dialogs->count(), 2);
    }

    // Each save and renewal of one window builds on the one before.
    void ownSavesAndRenewalsFollowEachOther()
    {
        addSitesAndCount();
        siteWindow()->openRecord(QStringLiteral("000001.example"), SiteWindow::Mode::Modify);
        edit(siteWindow(), "siteNameEdit")->setText(QStringLiteral("改名"));
        QTest::mouseClick(control<QPushButton>(siteWindow(), "saveSiteButton"), Qt::LeftButton);
        combo(siteWindow(), "hostingExpiresYearBox")->setCurrentText(QStringLiteral("2040"));
        QTest::mouseClick(control<QPushButton>(siteWindow(), "saveDatesButton"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(siteWindow(), "hostingRenewButton"), Qt::LeftButton);
        control<QPlainTextEdit>(siteWindow(), "remarkEdit")->setPlainText(QStringLiteral("续费后"));
        QTest::mouseClick(control<QPushButton>(siteWindow(), "saveRemarkButton"), Qt::LeftButton);

        QCOMPARE(m_dialogs->count(), 4);
        for (const DialogRecorder::Message &message : m_dialogs->messages())
            QCOMPARE(message.icon, Dialogs::Icon::Exclamation);
        const QDate due = m_today.addDays(1);
        QCOMPARE(stored(*m_world, "000001", "web_name").toString(), QStringLiteral("改名"));
        QCOMPARE(stored(*m_world, "000001", "web_endtime").toString(),
                 iso(QDate(2040, due.month(), due.day()).addYears(1)));
        QCOMPARE(stored(*m_world, "000001", "web_remark").toString(), QStringLiteral("续费后"));
    }
};

QTEST_MAIN(TestSiteRenewal)
#include "tst_siterenewal.moc"
