#include "StoreKit.h"
#include "store/StoreError.h"

#include <QTest>

// Every statement the program runs, against a fresh register.
class TestStatements : public StoreKit
{
    Q_OBJECT
private slots:
    void mainListHasItsColumnsInOrder();
    void lookupsBindTheirValue_data();
    void lookupsBindTheirValue();
    void loadOneRecordGivesEveryColumn();
    void leadTimesReadAndWrite();
    void leadTimeThatIsNoNumberIsRefused_data();
    void leadTimeThatIsNoNumberIsRefused();
    void countsCompareDatesNotTexts();
    void expiryListTakesTheCutOffs();
    void impossibleDatesAreRefused_data();
    void impossibleDatesAreRefused();
    void addressesAndSiteNumbersAreUniqueWhateverTheirCase();

private:
    int rowCount() const { return m_world->scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(); }
};

void TestStatements::mainListHasItsColumnsInOrder()
{
    Query &list = *m_module->mainList();
    list.open();
    QCOMPARE(list.recordCount(), 0);
    QVERIFY(list.eof());
    QCOMPARE(insertSite(*m_module->additions(), sampleSite(QStringLiteral("100001"), QStringLiteral("a.cn"))),
             1);
    QCOMPARE(insertSite(*m_module->additions(), sampleSite(QStringLiteral("100002"), QStringLiteral("b.cn"))),
             1);
    list.close();
    list.open();
    QCOMPARE(list.recordCount(), 2);
    QCOMPARE(list.fieldNames(), QStringLiteral("web_id,web_name,web_address,web_login,web_time,web_endtime,"
                                               "web_domaintime,web_enddomaintime,web_linkman")
                                    .split(QLatin1Char(',')));
    QCOMPARE(list.text(QStringLiteral("web_address")), QStringLiteral("a.cn"));
    QCOMPARE(list.text(QStringLiteral("web_time")), QStringLiteral("2011-3-7"));
    // The expiry list starts with the same text.
    QCOMPARE(m_module->expiryList()->sql(), Statements::MainList);
}

void TestStatements::lookupsBindTheirValue_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<int>("found");
    const QString address = QStringLiteral("web_address");
    const QString number = QStringLiteral("web_id");
    const QString quoted = QStringLiteral("o'brien.example.com");
    QTest::newRow("address with a quote") << Statements::AddressLookup << address << quoted << quoted << 1;
    QTest::newRow("address injection")
        << Statements::AddressLookup << address << quoted << QStringLiteral("x' or '1'='1") << 0;
    QTest::newRow("address statement break") << Statements::AddressLookup << address << quoted
                                             << QStringLiteral("x'; delete from t_webinfo; --") << 0;
    QTest::newRow("number with a quote") << Statements::SiteNumberLookup << number << QStringLiteral("12'456")
                                         << QStringLiteral("12'456") << 1;
    QTest::newRow("number injection") << Statements::SiteNumberLookup << number << QStringLiteral("123456")
                                      << QStringLiteral("' or ''='") << 0;
    QTest::newRow("load with a quote") << Statements::LoadSite << address << quoted << quoted << 1;
    QTest::newRow("load injection") << Statements::LoadSite << address << quoted
                                    << QStringLiteral("' or 1=1 or web_address='") << 0;
}

void TestStatements::lookupsBindTheirValue()
{
    QFETCH(QString, sql);
    QFETCH(QString, parameter);
    QFETCH(QString, stored);
    QFETCH(QString, asked);
    QFETCH(int, found);
    SiteValues site = sampleSite(QStringLiteral("200001"), QStringLiteral("other.cn"));
    site.texts[parameter] = stored;
    insertSite(*m_module->additions(), site);
    insertSite(*m_module->additions(), sampleSite(QStringLiteral("200002"), QStringLiteral("third.cn")));

    Query &query = *m_module->additions();
    openWith(query, sql, parameter, asked);
    QCOMPARE(query.recordCount(), found);
    if (found)
        QCOMPARE(
            query.text(QStringLiteral("id")),
            m_world->scalar(QStringLiteral("select id from t_webinfo where web_name='web_name of 200001'"))
                .toString());
    QCOMPARE(rowCount(), 2);
}

void TestStatements::loadOneRecordGivesEveryColumn()
{
    const SiteValues site = sampleSite(QStringLiteral("300001"), QStringLiteral("load.cn"));
    insertSite(*m_module->additions(), site);
    Query &record = *m_module->siteLoad();
    openWith(record, Statements::LoadSite, QStringLiteral("web_address"), QStringLiteral("load.cn"));
    QCOMPARE(record.recordCount(), 1);
    // id, the 23 written columns and the version, nothing of the query's own
    QCOMPARE(record.fieldNames().size(), 25);
    QVERIFY(!record.text(QStringLiteral("id")).isEmpty());
    QCOMPARE(record.text(QStringLiteral("version")), QStringLiteral("1"));
    for (auto it = site.texts.cbegin(); it != site.texts.cend(); ++it)
        QCOMPARE(record.text(it.key()), it.value());
    for (auto it = site.bytes.cbegin(); it != site.bytes.cend(); ++it)
        QCOMPARE(record.bytes(it.key()).toHex(), it.value().toHex());
}

void TestStatements::leadTimesReadAndWrite()
{
    Query &settings = *m_module->leadTimes();
    settings.setSql(Statements::ReadLeadTimes);
    settings.open();
    QCOMPARE(settings.recordCount(), 1);
    QCOMPARE(settings.text(QStringLiteral("web_alarm")), QStringLiteral("3"));
    QCOMPARE(settings.text(QStringLiteral("domain_alarm")), QStringLiteral("3"));

    settings.setSql(Statements::WriteLeadTimes);
    settings.setParameter(QStringLiteral("web_alarm"), QStringLiteral("7"));
    settings.setParameter(QStringLiteral("domain_alarm"), QStringLiteral("31"));
    QCOMPARE(settings.execute(), 1);
    settings.setSql(Statements::ReadLeadTimes);
    settings.open();
    QCOMPARE(settings.text(QStringLiteral("web_alarm")), QStringLiteral("7"));
    QCOMPARE(settings.text(QStringLiteral("domain_alarm")), QStringLiteral("31"));
    // SQLite keeps what a column is given; the server's column holds whole numbers only.
    if (!m_world->onServer())
        QCOMPARE(m_world->scalar(QStringLiteral("select typeof(domain_alarm) from t_set")).toString(),
                 QStringLiteral("integer"));
}

void TestStatements::leadTimeThatIsNoNumberIsRefused_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("letters") << QStringLiteral("abc");
    QTest::newRow("empty") << QString();
    QTest::newRow("fraction") << QStringLiteral("3.5");
    QTest::newRow("number and text") << QStringLiteral("3 days");
}

void TestStatements::leadTimeThatIsNoNumberIsRefused()
{
    QFETCH(QString, value);
    Query &settings = *m_module->leadTimes();
    settings.setSql(Statements::WriteLeadTimes);
    settings.setParameter(QStringLiteral("web_alarm"), QStringLiteral("9"));
    settings.setParameter(QStringLiteral("domain_alarm"), value); // refused when the statement runs
    QVERIFY_THROWS_EXCEPTION(StoreError, settings.execute());
    QCOMPARE(m_world->scalar(QStringLiteral("select web_alarm from t_set")).toInt(), 3);
    QCOMPARE(m_world->scalar(QStringLiteral("select domain_alarm from t_set")).toInt(), 3);
}

void TestStatements::countsCompareDatesNotTexts()
{
    m_world->addPlainSite(QStringLiteral("600001"), QStringLiteral("a"), QStringLiteral("a.cn"),
                          QStringLiteral("2011-03-01"), QStringLiteral("2011-10-01"));
    m_world->addPlainSite(QStringLiteral("600002"), QStringLiteral("b"), QStringLiteral("b.cn"),
                          QStringLiteral("2011-03-07"), QStringLiteral("2011-09-30"));
    m_world->addPlainSite(QStringLiteral("600003"), QStringLiteral("c"), QStringLiteral("c.cn"),
                          QStringLiteral("2011-03-08"));
    m_world->addPlainSite(QStringLiteral("600004"), QStringLiteral("d"), QStringLiteral("d.cn"));
    Query &count = *m_module->siteSaves();
    const QString hosting = QStringLiteral("web_endtime");
    const QString domain = QStringLiteral("web_enddomaintime");
    QCOMPARE(count.countOf(Statements::CountHostingDue, hosting, QStringLiteral("2011-3-7")), 2);
    // As texts "2011-10-1" would sort before "2011-9-30".
    QCOMPARE(count.countOf(Statements::CountDomainDue, domain, QStringLiteral("2011-9-30")), 1);
    QCOMPARE(count.countOf(Statements::CountDomainDue, domain, QStringLiteral("2011-10-1")), 2);
    count.setParameter(QStringLiteral("web_enddomaintime"), QStringLiteral("2011-2-30"));
    QVERIFY_THROWS_EXCEPTION(StoreError, count.open());
}

void TestStatements::expiryListTakesTheCutOffs()
{
    m_world->addPlainSite(QStringLiteral("700001"), QStringLiteral("hosting due"), QStringLiteral("a.cn"),
                          QStringLiteral("2011-03-07"), QStringLiteral("2012-01-01"));
    m_world->addPlainSite(QStringLiteral("700002"), QStringLiteral("domain due"), QStringLiteral("b.cn"),
                          QStringLiteral("2012-01-01"), QStringLiteral("2010-12-31"));
    m_world->addPlainSite(QStringLiteral("700003"), QStringLiteral("nothing due"), QStringLiteral("c.cn"),
                          QStringLiteral("2011-03-08"), QStringLiteral("2011-01-02"));
    Query &list = *m_module->expiryList();
    const auto selectBy = [&list](const QDate &hosting, const QDate &domain) {
        list.setSql(Statements::ExpiryList);
        list.setParameterDate(QStringLiteral("web_endtime"), hosting);
        list.setParameterDate(QStringLiteral("web_enddomaintime"), domain);
        list.open();
    };
    selectBy(QDate(2011, 3, 7), QDate(2011, 1, 1));
    QCOMPARE(list.recordCount(), 2);
    QCOMPARE(list.fieldNames().first(), QStringLiteral("web_id"));
    QCOMPARE(list.fieldNames().size(), 9);
    QStringList names{list.textAt(0, QStringLiteral("web_name")), list.textAt(1, QStringLiteral("web_name"))};
    names.sort();
    QCOMPARE(names, QStringList({QStringLiteral("domain due"), QStringLiteral("hosting due")}));
    QCOMPARE(list.textAt(0, QStringLiteral("web_endtime")), QStringLiteral("2011-3-7"));

    selectBy(QDate(2011, 3, 8), QDate(2011, 1, 2));
    QCOMPARE(list.recordCount(), 3);
    // A cut-off never computed selects nothing: the list fails.
    QVERIFY_THROWS_EXCEPTION(StoreError, selectBy(QDate(), QDate(2011, 1, 1)));
    QVERIFY(!list.isOpen());
}

void TestStatements::impossibleDatesAreRefused_data()
{
    QTest::addColumn<QString>("date");
    QTest::newRow("30 February") << QStringLiteral("2011-2-30");
    QTest::newRow("29 February of a common year") << QStringLiteral("2011-2-29");
    QTest::newRow("month 13") << QStringLiteral("2011-13-1");
    QTest::newRow("day 0") << QStringLiteral("2011-3-0");
    QTest::newRow("no date") << QStringLiteral("soon");
}

void TestStatements::impossibleDatesAreRefused()
{
    QFETCH(QString, date);
    SiteValues site = sampleSite(QStringLiteral("800001"), QStringLiteral("date.cn"));
    site.texts[QStringLiteral("web_endtime")] = date;
    QVERIFY_THROWS_EXCEPTION(StoreError, insertSite(*m_module->additions(), site));
    QCOMPARE(rowCount(), 0);

    insertSite(*m_module->additions(), sampleSite(QStringLiteral("800002"), QStringLiteral("kept.cn")));
    Query &save = *m_module->siteSaves();
    // The register itself refuses an impossible date that does not come through a parameter. SQLite
    // keeps text, where only the ISO form is a date; the server reads 2011-3-7 as the date it names.
    QStringList impossible = {QStringLiteral("2011-02-30"), QStringLiteral("abc"), QString()};
    if (!m_world->onServer())
        impossible << QStringLiteral("2011-3-7");
    for (const QString &bad : std::as_const(impossible)) {
        save.setSql(QStringLiteral("update t_webinfo set web_time='%1'").arg(bad));
        QVERIFY_THROWS_EXCEPTION(StoreError, save.execute());
    }
    QCOMPARE(m_world->scalar(QStringLiteral("select web_time from t_webinfo")).toString(),
             QStringLiteral("2011-03-07"));
}

void TestStatements::addressesAndSiteNumbersAreUniqueWhateverTheirCase()
{
    Query &add = *m_module->additions();
    insertSite(add, sampleSite(QStringLiteral("abc123"), QStringLiteral("Www.Example.com")));
    QVERIFY_THROWS_EXCEPTION(
        StoreError, insertSite(add, sampleSite(QStringLiteral("900002"), QStringLiteral("www.EXAMPLE.com"))));
    QVERIFY_THROWS_EXCEPTION(
        StoreError, insertSite(add, sampleSite(QStringLiteral("ABC123"), QStringLiteral("other.com"))));
    QCOMPARE(rowCount(), 1);
    // The duplicate lookups find what the register would refuse.
    openWith(add, Statements::AddressLookup, QStringLiteral("web_address"),
             QStringLiteral("WWW.example.COM"));
    QCOMPARE(add.recordCount(), 1);
    openWith(add, Statements::SiteNumberLookup, QStringLiteral("web_id"), QStringLiteral("Abc123"));
    QCOMPARE(add.recordCount(), 1);
}

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
