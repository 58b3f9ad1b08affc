#include "MainWindowKit.h"
#include "SiteBuilder.h"

#include "gui/ExpiryWindow.h"
#include "sites/Session.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/SiteRegister.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QSignalSpy>

// Another desk changes the register: the open lists and the counters follow, keeping the site
// the user was on, without interrupting what the user is doing.
class OtherDesksTest : public MainWindowKit
{
    Q_OBJECT

private:
    // The other desk's own connection changes the register, then its notice arrives: from the
    // server itself on a server register, sent here for a register file.
    void otherDesk(const QString &statement) const
    {
        {
            Connection desk;
            world->pointAt(desk);
            Query change(&desk);
            change.setSql(statement);
            change.execute();
        }
        if (!world->onServer())
            emit siteRegister()->connection()->changedElsewhere();
    }
    static QString current(SiteGrid *list) { return list->currentText(QStringLiteral("web_id")); }
    static QString day(int fromToday)
    {
        return QDate::currentDate().addDays(fromToday).toString(Qt::ISODate);
    }
    static int resetsOf(SiteGrid *list, const std::function<void()> &action)
    {
        QSignalSpy resets(list->model(), &QAbstractItemModel::modelReset);
        action();
        QTest::qWait(600);
        return int(resets.size());
    }

private slots:
    // The site stays current though rows above it went and came; the counters are counted again.
    void theMainListKeepsTheCurrentSite()
    {
        addSites(6);
        world->exec(QStringLiteral("update t_webinfo set web_endtime='") + day(1) +
                    QStringLiteral("' where web_id='W000004'"));
        showAndRefresh();
        button("countDueButton")->click();
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("1"));
        grid()->setCurrentRow(3);

        otherDesk(QStringLiteral("delete from t_webinfo where web_id in ('W000000','W000001')"));
        QTRY_COMPARE_WITH_TIMEOUT(label("siteCountLabel"), QStringLiteral("4"), 1000);
        QCOMPARE(current(grid()), QStringLiteral("W000003"));
        QCOMPARE(grid()->currentRow(), 1);

        // A new site number is no obstacle: the address still names the site.
        otherDesk(QStringLiteral("update t_webinfo set web_id='N000003', web_endtime='") + day(2) +
                  QStringLiteral("' where web_id='W000003'"));
        QTRY_COMPARE_WITH_TIMEOUT(label("hostingDueLabel"), QStringLiteral("2"), 1000);
        QCOMPARE(current(grid()), QStringLiteral("N000003"));

        // The site itself gone: the row where it stood.
        otherDesk(QStringLiteral("delete from t_webinfo where web_id='N000003'"));
        QTRY_COMPARE_WITH_TIMEOUT(label("siteCountLabel"), QStringLiteral("3"), 1000);
        QCOMPARE(current(grid()), QStringLiteral("W000004"));
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("1"));
        QCOMPARE(recorder->count(), 0);
    }

    // A burst of changes is read once; nothing is read under an open dialog, whose action still
    // holds the rows the user saw.
    void burstsAreReadOnceAndNeverUnderADialog()
    {
        addSites(2);
        showAndRefresh();
        const int oneReading = resetsOf(grid(), [] { button("refreshButton")->click(); });
        const int burst = resetsOf(grid(), [this] {
            for (int i = 0; i < 5; ++i)
                otherDesk(
                    QStringLiteral("insert into t_webinfo(web_id,web_address) values('X%1','x%1.example')")
                        .arg(i));
        });
        QCOMPARE(burst, oneReading);
        QCOMPARE(label("siteCountLabel"), QStringLiteral("7"));

        QDialog dialog(mainWindow());
        dialog.setModal(true);
        dialog.show();
        otherDesk(QStringLiteral("delete from t_webinfo where web_id='X0'"));
        QTest::qWait(600);
        QCOMPARE(label("siteCountLabel"), QStringLiteral("7"));
        dialog.hide();
        QTRY_COMPARE_WITH_TIMEOUT(label("siteCountLabel"), QStringLiteral("6"), 1000);
    }

    // A keyword being typed is neither lost nor interrupted: the list waits for a pause, and the
    // focus stays in the field.
    void typingInTheSearchBarIsNeverInterrupted()
    {
        addSites(4);
        showAndRefresh();
        QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
        button("toggleSearchButton")->click();
        auto *keyword = control<QLineEdit>("keywordEdit");
        QTRY_VERIFY(keyword->hasFocus());
        QTest::keyClicks(keyword, QStringLiteral("W00"));
        otherDesk(QStringLiteral("delete from t_webinfo where web_id='W000000'"));
        for (const QChar c : QStringLiteral("0002")) {
            QTest::qWait(100);
            QTest::keyClick(keyword, c.toLatin1());
        }
        QCOMPARE(label("siteCountLabel"), QStringLiteral("4"));
        QTRY_COMPARE_WITH_TIMEOUT(label("siteCountLabel"), QStringLiteral("3"), 2000);
        QCOMPARE(keyword->text(), QStringLiteral("W000002"));
        QVERIFY(keyword->hasFocus());
        QVERIFY(QApplication::activeWindow() == mainWindow());
    }

    // The expiry list follows too, by the cut-offs of the counters counted again.
    void theExpiryListKeepsTheCurrentSite()
    {
        for (int i = 1; i <= 3; ++i)
            SiteBuilder(QStringLiteral("E%1").arg(i))
                .address(QStringLiteral("e%1.example").arg(i))
                .hostingExpires(day(i))
                .addTo(*world);
        SiteBuilder(QStringLiteral("L1"))
            .address(QStringLiteral("later.example"))
            .hostingExpires(day(60))
            .addTo(*world);
        showAndRefresh();
        button("countDueButton")->click();
        expiryWindow()->refreshList();
        auto *expiryGrid = ::control<SiteGrid>(expiryWindow(), "siteGrid");
        QCOMPARE(expiryGrid->rowCount(), 3);
        expiryGrid->setCurrentRow(1);

        otherDesk(QStringLiteral("update t_webinfo set web_endtime='") + day(400) +
                  QStringLiteral("' where web_id='E1'"));
        QTRY_COMPARE_WITH_TIMEOUT(expiryGrid->rowCount(), 2, 1000);
        QCOMPARE(current(expiryGrid), QStringLiteral("E2"));
        otherDesk(QStringLiteral("update t_webinfo set web_endtime='") + day(0) +
                  QStringLiteral("' where web_id='L1'"));
        QTRY_COMPARE_WITH_TIMEOUT(expiryGrid->rowCount(), 3, 1000);
        QCOMPARE(current(expiryGrid), QStringLiteral("E2"));
        QCOMPARE(label("hostingDueLabel"), QStringLiteral("3"));
        QCOMPARE(recorder->count(), 0);
    }
};

QTEST_MAIN(OtherDesksTest)
#include "tst_otherdesks.moc"
