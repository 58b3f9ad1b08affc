#include "TestFolder.h"

#include "sites/ExpiryCounters.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/StoreError.h"

#include <QTest>

// The counters and the lead times they read, without any window.
class TestExpiryCounters : public QObject
{
    Q_OBJECT

private:
    struct Store
    {
        explicit Store(const TestFolder &world) { world.pointAt(connection); }
        Connection connection;
        Query query{&connection};
    };

    const QDate m_today{2011, 3, 10};

    static void setLeadTimes(const TestFolder &world, const QString &hosting, const QString &domain)
    {
        world.exec(QStringLiteral("delete from t_set"));
        world.exec(QStringLiteral("insert into t_set values(%1,%2)").arg(hosting, domain));
    }

private slots:
    void cutOffIsTodayPlusTheLeadTime()
    {
        QCOMPARE(ExpiryCounters::cutOff(m_today, 3), QDate(2011, 3, 13));
        QCOMPARE(ExpiryCounters::cutOff(m_today, 0), QDate(2011, 3, 10));
        QCOMPARE(ExpiryCounters::cutOff(QDate(2011, 12, 30), 31), QDate(2012, 1, 30));
        QCOMPARE(ExpiryCounters::cutOff(m_today, 45), QDate(2011, 4, 24));
        QVERIFY_THROWS_EXCEPTION(StoreError, ExpiryCounters::cutOff(m_today, 5000000));
    }

    void countsSitesDueOnOrBeforeTheCutOff()
    {
        TestFolder world;
        setLeadTimes(world, QStringLiteral("3"), QStringLiteral("7"));
        // Hosting cut-off 2011-03-13, domain cut-off 2011-03-17.
        world.addPlainSite("000001", "cut-off day", "a.example", "2011-03-13", "2011-03-17");
        world.addPlainSite("000002", "day after", "b.example", "2011-03-14", "2011-03-18");
        world.addPlainSite("000003", "expired", "c.example", "2010-01-01", "2030-01-01");
        world.addPlainSite("000004", "no dates", "d.example");
        world.addPlainSite("000005", "today", "e.example", "2011-03-10", "2011-03-10");
        Store store(world);
        ExpiryCounters::Outcome outcome;
        ExpiryCounters::compute(store.query, m_today, outcome);
        QCOMPARE(outcome.hostingCutOff, QDate(2011, 3, 13));
        QCOMPARE(outcome.domainCutOff, QDate(2011, 3, 17));
        QCOMPARE(outcome.hostingDue, 3); // cut-off day, expired, today
        QCOMPARE(outcome.domainDue, 2);  // cut-off day, today
        QVERIFY(!store.query.isOpen());
    }

    void firstSettingsRowCounts()
    {
        TestFolder world;
        setLeadTimes(world, QStringLiteral("1"), QStringLiteral("2"));
        world.exec(QStringLiteral("insert into t_set values(30,30)"));
        Store store(world);
        ExpiryCounters::Outcome outcome;
        ExpiryCounters::compute(store.query, m_today, outcome);
        QCOMPARE(outcome.hostingCutOff, QDate(2011, 3, 11));
        QCOMPARE(outcome.domainCutOff, QDate(2011, 3, 12));
    }

    void unusableSettingsChangeNothing_data()
    {
        QTest::addColumn<QString>("values"); // empty: no settings row at all
        QTest::newRow("no row") << QString();
        QTest::newRow("empty hosting") << QStringLiteral("NULL,3");
        QTest::newRow("empty domain") << QStringLiteral("3,NULL");
        QTest::newRow("word") << QStringLiteral("'abc',3");
        QTest::newRow("fraction") << QStringLiteral("3,'2.5'");
    }
    void unusableSettingsChangeNothing()
    {
        QFETCH(QString, values);
        TestFolder world;
        if (values.isEmpty())
            world.exec(QStringLiteral("delete from t_set"));
        else
            world.looseSettingsTable(values);
        Store store(world);
        ExpiryCounters::Outcome outcome;
        QVERIFY_THROWS_EXCEPTION(StoreError, ExpiryCounters::compute(store.query, m_today, outcome));
        QVERIFY(outcome.hostingCutOff.isNull());
        QVERIFY(outcome.domainCutOff.isNull());
        QCOMPARE(outcome.hostingDue, -1);
        QCOMPARE(outcome.domainDue, -1);
    }

    void failedCountKeepsTheCutOffs()
    {
        TestFolder world;
        world.exec(QStringLiteral("alter table t_webinfo rename column web_endtime to web_endtime_gone"));
        Store store(world);
        ExpiryCounters::Outcome outcome;
        QVERIFY_THROWS_EXCEPTION(StoreError, ExpiryCounters::compute(store.query, m_today, outcome));
        QCOMPARE(outcome.hostingCutOff, QDate(2011, 3, 13));
        QCOMPARE(outcome.hostingDue, -1);
    }
};

QTEST_GUILESS_MAIN(TestExpiryCounters)
#include "tst_expirycounters.moc"
