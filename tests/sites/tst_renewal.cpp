#include "TestFolder.h"

#include "sites/Renewal.h"
#include "store/Connection.h"
#include "store/Query.h"

#include <QTest>

// Renewal without any window: the date rule, and the one statement that stores it.
class TestRenewal : public QObject
{
    Q_OBJECT

private:
    // Both expiry dates of the site as stored, "hosting/domain".
    static QString storedDates(const TestFolder &world, const QString &address)
    {
        return world
            .scalar(QStringLiteral("select coalesce(cast(web_endtime as text),'-')||'/'||"
                                   "coalesce(cast(web_enddomaintime as text),'-') "
                                   "from t_webinfo where web_address='%1'")
                        .arg(address))
            .toString();
    }

private slots:
    void dateMovesOnByWholeYears_data()
    {
        QTest::addColumn<QDate>("expiry");
        QTest::addColumn<int>("years");
        QTest::addColumn<QDate>("renewed");
        QTest::newRow("31 January") << QDate(2023, 1, 31) << 1 << QDate(2024, 1, 31);
        QTest::newRow("30 April") << QDate(2023, 4, 30) << 1 << QDate(2024, 4, 30);
        QTest::newRow("31 December, ten years") << QDate(2023, 12, 31) << 10 << QDate(2033, 12, 31);
        // 28 February is no month end to keep: it stays the 28th in a leap year.
        QTest::newRow("28 February into a leap year") << QDate(2023, 2, 28) << 1 << QDate(2024, 2, 28);
        QTest::newRow("29 February to a common year") << QDate(2024, 2, 29) << 1 << QDate(2025, 2, 28);
        QTest::newRow("29 February, ten years") << QDate(2024, 2, 29) << 10 << QDate(2034, 2, 28);
        QTest::newRow("29 February to a leap year") << QDate(2024, 2, 29) << 4 << QDate(2028, 2, 29);
        QTest::newRow("29 February to 2100") << QDate(2096, 2, 29) << 4 << QDate(2100, 2, 28);
        QTest::newRow("29 February to 2000") << QDate(1996, 2, 29) << 4 << QDate(2000, 2, 29);
        QTest::newRow("last four-digit year") << QDate(9989, 12, 31) << 10 << QDate(9999, 12, 31);
        // Nothing to renew.
        QTest::newRow("no years") << QDate(2023, 5, 1) << 0 << QDate();
        QTest::newRow("eleven years") << QDate(2023, 5, 1) << 11 << QDate();
        QTest::newRow("back a year") << QDate(2023, 5, 1) << -1 << QDate();
        QTest::newRow("no date") << QDate() << 1 << QDate();
        QTest::newRow("past year 9999") << QDate(9995, 6, 1) << 5 << QDate();
    }

    void dateMovesOnByWholeYears()
    {
        QFETCH(QDate, expiry);
        QFETCH(int, years);
        QFETCH(QDate, renewed);
        QCOMPARE(Renewal::movedOn(expiry, years), renewed);
    }

    // One kind of one site, and only while the register still holds the date renewed from:
    // a second renewal from the same window, or one from a date changed since, writes nothing.
    void storesOnlyOverTheDateRenewedFrom()
    {
        TestFolder world;
        world.addPlainSite("000001", "leap", "a.example", "2024-02-29", "2024-06-30");
        world.addPlainSite("000002", "other", "b.example", "2024-02-29", "2024-02-29");
        world.addPlainSite("000003", "no dates", "c.example");
        Connection connection;
        world.pointAt(connection);
        Query query(&connection);
        using Renewal::Kind;
        using Renewal::Outcome;

        Renewal::Result result = Renewal::renew(query, "a.example", Kind::Hosting, QDate(2024, 2, 29), 1);
        QCOMPARE(result.outcome, Outcome::Renewed);
        QCOMPARE(result.renewed, QDate(2025, 2, 28));
        result = Renewal::renew(query, "a.example", Kind::Domain, QDate(2024, 6, 30), 3);
        QCOMPARE(result.outcome, Outcome::Renewed);
        QCOMPARE(storedDates(world, "a.example"), QStringLiteral("2025-02-28/2027-06-30"));

        // Stale: the date was renewed already.
        result = Renewal::renew(query, "a.example", Kind::Hosting, QDate(2024, 2, 29), 1);
        QCOMPARE(result.outcome, Outcome::Changed);
        QVERIFY(!result.renewed.isValid());
        // Gone: no site has the address.
        QCOMPARE(Renewal::renew(query, "gone.example", Kind::Hosting, QDate(2024, 2, 29), 1).outcome,
                 Outcome::Changed);
        // Empty: nothing to move on.
        QCOMPARE(Renewal::renew(query, "c.example", Kind::Domain, QDate(), 1).outcome, Outcome::NoDate);
        QCOMPARE(storedDates(world, "a.example"), QStringLiteral("2025-02-28/2027-06-30"));
        QCOMPARE(storedDates(world, "b.example"), QStringLiteral("2024-02-29/2024-02-29"));
        QCOMPARE(storedDates(world, "c.example"), QStringLiteral("-/-"));
    }
};

QTEST_GUILESS_MAIN(TestRenewal)
#include "tst_renewal.moc"
