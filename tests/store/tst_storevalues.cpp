#include "SiteBuilder.h"
#include "StoreKit.h"
#include "store/DateText.h"
#include "store/StoreError.h"

#include <QTest>

// What goes into the register comes back unchanged, and an open result can be
// searched and have rows deleted.
class TestStoreValues : public StoreKit
{
    Q_OBJECT
private slots:
    void textsComeBackUnchanged_data();
    void textsComeBackUnchanged();
    void scrambledColumnsKeepEveryByte();
    void datesReadAsDateTextAndNothingAsEmpty();
    void storedDatesShowAsDateText();
    void findLooksFromTheTopWithoutMoving();
    void deletedRowsLeaveTableAndResult();
    void manyRowsGoAllOrNone();
    void connectionOpensItselfWhenNeeded();
    void eachQueryKeepsItsOwnResult();

private:
    void addThree();
};

void TestStoreValues::addThree()
{
    const char *names[] = {"北京 网站", "上海 网站", "北京 分站"};
    for (int i = 0; i < 3; ++i) {
        SiteValues site = sampleSite(QStringLiteral("10000%1").arg(i), QStringLiteral("s%1.cn").arg(i));
        site.texts[QStringLiteral("web_name")] = QString::fromUtf8(names[i]);
        insertSite(*m_module->additions(), site);
    }
}

void TestStoreValues::textsComeBackUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QString longText;
    while (longText.size() < 100000)
        longText += QStringLiteral("网站备注 remark 0123456789 ");
    longText.truncate(100000);
    QString controls;
    for (char16_t c = 1; c < 0x20; ++c)
        controls += QChar(c);
    controls += QChar(0x7f);
    QTest::newRow("100,000 characters") << longText;
    QTest::newRow("quotes") << QStringLiteral("it's \"quoted\" `so' '' ''' ;--");
    QTest::newRow("control characters") << controls;
    QTest::newRow("emoji and rare characters")
        << QString::fromUtf8("备注 😀👍🏽 \xF0\xA0\x80\x80 ü");
    QTest::newRow("lines and blanks") << QStringLiteral("  first\r\nsecond\rthird\n  ");
    QTest::newRow("hash signs and colons") << QStringLiteral("#2011-2-30# :web_id :x");
    QTest::newRow("leading byte-order marks") << QStringLiteral("\uFEFF\uFEFF备注");
}

void TestStoreValues::textsComeBackUnchanged()
{
    QFETCH(QString, text);
    SiteValues site = sampleSite(QStringLiteral("110001"), QStringLiteral("text.cn"));
    site.texts[QStringLiteral("web_remark")] = text;
    site.texts[QStringLiteral("web_name")] = text;
    site.texts[QStringLiteral("web_linkman")] = text;
    insertSite(*m_module->additions(), site);

    Query &record = *m_module->siteLoad();
    openWith(record, Statements::LoadSite, QStringLiteral("web_address"), QStringLiteral("text.cn"));
    QCOMPARE(record.text(QStringLiteral("web_remark")), text);
    QCOMPARE(record.text(QStringLiteral("web_name")), text);
    Query &list = *m_module->mainList();
    list.open();
    QCOMPARE(list.text(QStringLiteral("web_linkman")), text);
    // Stored as readable text, not as bytes of some code page.
    QCOMPARE(m_world->storedText(QStringLiteral("select web_remark from t_webinfo")), text);
}

void TestStoreValues::scrambledColumnsKeepEveryByte()
{
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every.append(char(b));
    SiteValues site = sampleSite(QStringLiteral("120001"), QStringLiteral("bytes.cn"));
    site.bytes[QStringLiteral("web_pass")] = every;
    site.bytes[QStringLiteral("web_dbpass")] = QByteArray::fromHex("d6d1d0d6ff80"); // not valid GBK
    site.bytes[QStringLiteral("web_dbuser")] = QByteArray();
    insertSite(*m_module->additions(), site);

    Query &record = *m_module->siteLoad();
    openWith(record, Statements::LoadSite, QStringLiteral("web_address"), QStringLiteral("bytes.cn"));
    QCOMPARE(record.bytes(QStringLiteral("web_pass")).toHex(), every.toHex());
    QCOMPARE(record.bytes(QStringLiteral("web_dbpass")).toHex(), QByteArray("d6d1d0d6ff80"));
    QCOMPARE(record.bytes(QStringLiteral("web_dbuser")), QByteArray());
    // SQLite keeps what a column is given; the server's column holds bytes only.
    if (!m_world->onServer())
        QCOMPARE(m_world->scalar(QStringLiteral("select typeof(web_pass) from t_webinfo")).toString(),
                 QStringLiteral("blob"));

    // A scrambled column given as text is kept as the text's bytes.
    Query &save = *m_module->siteSaves();
    save.setSql(QStringLiteral("update t_webinfo set web_user=:web_user where web_address=:web_address"));
    save.setParameter(QStringLiteral("web_user"), QStringLiteral("中😀"));
    save.setParameter(QStringLiteral("web_address"), QStringLiteral("bytes.cn"));
    save.execute();
    openWith(record, Statements::LoadSite, QStringLiteral("web_address"), QStringLiteral("bytes.cn"));
    QCOMPARE(record.bytes(QStringLiteral("web_user")).toHex(), QByteArray("d6d09439fc36"));
}

void TestStoreValues::datesReadAsDateTextAndNothingAsEmpty()
{
    SiteValues site = sampleSite(QStringLiteral("130001"), QStringLiteral("dates.cn"));
    site.texts[QStringLiteral("web_time")] = QStringLiteral("2011-03-07");
    site.texts[QStringLiteral("web_endtime")] = QStringLiteral("2011-12-31");
    site.texts[QStringLiteral("web_domaintime")] = QString();
    site.texts[QStringLiteral("web_linkman")] = QString();
    site.texts.remove(QStringLiteral("web_enddomaintime"));
    site.bytes.remove(QStringLiteral("web_dbip"));
    Query &add = *m_module->additions();
    // A parameter the statement names but nobody set fails the statement.
    QVERIFY_THROWS_EXCEPTION(StoreError, insertSite(add, site));
    add.setParameter(QStringLiteral("web_enddomaintime"), QStringLiteral(" "));
    add.setParameter(QStringLiteral("web_dbip"), QString());
    QCOMPARE(add.execute(), 1);

    Query &record = *m_module->siteLoad();
    openWith(record, Statements::LoadSite, QStringLiteral("web_address"), QStringLiteral("dates.cn"));
    QCOMPARE(record.text(QStringLiteral("web_time")), QStringLiteral("2011-3-7"));
    QCOMPARE(record.text(QStringLiteral("web_endtime")), QStringLiteral("2011-12-31"));
    QCOMPARE(record.text(QStringLiteral("web_domaintime")), QString());
    QVERIFY(record.isNull(QStringLiteral("web_enddomaintime")));
    QCOMPARE(record.text(QStringLiteral("web_enddomaintime")), QString());
    QCOMPARE(record.text(QStringLiteral("web_linkman")), QString());
    QCOMPARE(record.text(QStringLiteral("web_dbip")), QString());
    QCOMPARE(m_world->scalar(QStringLiteral("select web_time from t_webinfo")).toString(),
             QStringLiteral("2011-03-07"));
}

void TestStoreValues::storedDatesShowAsDateText()
{
    // Dates lose their leading zeros; what is no date stays as it was stored.
    const std::pair<const char *, const char *> cases[] = {
        {"2011-03-07", "2011-3-7"},   {"0099-10-01", "99-10-1"},    {"2000-02-29", "2000-2-29"},
        {"2011-02-29", "2011-02-29"}, {"0000-01-01", "0000-01-01"}, {"2011-00-07", "2011-00-07"},
        {"2011/03/07", "2011-3-7"},   {"2011-3-7", "2011-3-7"},
    };
    for (const auto &[stored, shown] : cases)
        QCOMPARE(DateText::fromStored(QLatin1String(stored)), QLatin1String(shown));
}

void TestStoreValues::findLooksFromTheTopWithoutMoving()
{
    addThree();
    Query &list = *m_module->mainList();
    list.open();
    list.moveTo(2);
    const auto hasBeijing = [](const QString &text) { return text.contains(QStringLiteral("北京")); };
    QCOMPARE(list.find(QStringLiteral("web_name"), hasBeijing), 0);
    QCOMPARE(list.find(QStringLiteral("web_name"),
                       [](const QString &text) { return text.startsWith(QStringLiteral("上海")); }),
             1);
    QCOMPARE(list.find(QStringLiteral("web_name"), [](const QString &text) { return text.isEmpty(); }), -1);
    QCOMPARE(list.find(QStringLiteral("web_time"),
                       [](const QString &text) { return text == QLatin1String("2011-3-7"); }),
             0);
    QCOMPARE(list.recNo(), 2);
    QVERIFY_THROWS_EXCEPTION(StoreError, list.find(QStringLiteral("no_such_column"), hasBeijing));

    list.first();
    int seen = 0;
    while (!list.eof()) {
        ++seen;
        list.next();
    }
    QCOMPARE(seen, 3);
    QVERIFY_THROWS_EXCEPTION(StoreError, list.text(QStringLiteral("web_name")));
}

// More rows than one statement takes; a register that refuses one of them keeps them all.
void TestStoreValues::manyRowsGoAllOrNone()
{
    SiteBuilder::addMany(*m_world, 1500, 4);
    Query &list = *m_module->mainList();
    list.open();
    QList<int> everyOther;
    for (int row = 0; row < 1500; row += 2)
        everyOther << row;
    m_world->refuseDeleting(QStringLiteral("001400"));
    QVERIFY_THROWS_EXCEPTION(StoreError, list.deleteRows(everyOther + QList<int>{1399}));
    QCOMPARE(list.recordCount(), 1500);
    QCOMPARE(m_world->scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 1500);

    list.deleteRows(everyOther);
    QCOMPARE(list.recordCount(), 750);
    QCOMPARE(m_world->scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 750);
    // Row k of the result is now the site numbered 2k+2, every field of it, in the register as in
    // the result.
    for (int row = 0; row < 750; ++row) {
        const int site = 2 * row + 2;
        QCOMPARE(list.textAt(row, QStringLiteral("web_id")),
                 QStringLiteral("%1").arg(site, 6, 10, QLatin1Char('0')));
        QCOMPARE(list.textAt(row, QStringLiteral("web_address")), QStringLiteral("s%1.example").arg(site));
        QCOMPARE(list.textAt(row, QStringLiteral("web_endtime")), QStringLiteral("2011-3-7"));
        QVERIFY(list.textAt(row, QStringLiteral("web_linkman")).isEmpty());
    }
    QCOMPARE(
        m_world
            ->scalar(QStringLiteral("select count(*) from t_webinfo where (cast(web_id as integer) % 2)=1"))
            .toInt(),
        0);
}

void TestStoreValues::deletedRowsLeaveTableAndResult()
{
    addThree();
    Query &list = *m_module->mainList();
    list.open();
    list.deleteRows({1});
    QCOMPARE(list.recordCount(), 2);
    QCOMPARE(
        m_world->scalar(QStringLiteral("select count(*) from t_webinfo where web_address='s1.cn'")).toInt(),
        0);
    QCOMPARE(m_world->scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 2);
    QCOMPARE(list.textAt(1, QStringLiteral("web_address")), QStringLiteral("s2.cn"));
    list.deleteRows({1, 0, 1});
    QCOMPARE(list.recordCount(), 0);
    QVERIFY_THROWS_EXCEPTION(StoreError, list.deleteRows({0}));
    QCOMPARE(m_world->scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 0);

    // A result that is not rows of one table cannot delete.
    addThree();
    Query &count = *m_module->siteSaves();
    count.setSql(QStringLiteral("select count(*) as n from t_webinfo"));
    count.open();
    QVERIFY_THROWS_EXCEPTION(StoreError, count.deleteRows({0}));
    count.setSql(QStringLiteral("select distinct web_dbtype from t_webinfo"));
    count.open();
    QCOMPARE(count.recordCount(), 3);
    QVERIFY_THROWS_EXCEPTION(StoreError, count.deleteRows({0}));
    QCOMPARE(m_world->scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 3);
}

void TestStoreValues::connectionOpensItselfWhenNeeded()
{
    addThree();
    SiteRegister module;
    m_world->pointAt(*module.connection());
    QVERIFY(!module.connection()->isOpen());
    module.mainList()->open();
    QVERIFY(module.connection()->isOpen());
    QCOMPARE(module.mainList()->recordCount(), 3);

    // Closing the connection (as compaction does) closes its results; the next statement reopens it.
    module.connection()->close();
    QVERIFY(!module.connection()->isOpen());
    QVERIFY(!module.mainList()->isOpen());
    module.leadTimes()->setSql(Statements::WriteLeadTimes);
    module.leadTimes()->setParameter(QStringLiteral("web_alarm"), QStringLiteral("5"));
    module.leadTimes()->setParameter(QStringLiteral("domain_alarm"), QStringLiteral("6"));
    QCOMPARE(module.leadTimes()->execute(), 1);
    QVERIFY(module.connection()->isOpen());
    QCOMPARE(m_world->scalar(QStringLiteral("select domain_alarm from t_set")).toInt(), 6);
}

void TestStoreValues::eachQueryKeepsItsOwnResult()
{
    addThree();
    Query &list = *m_module->mainList();
    list.open();
    list.moveTo(1);
    Query &other = *m_module->siteSaves();
    QCOMPARE(
        other.countOf(Statements::CountHostingDue, QStringLiteral("web_endtime"), QStringLiteral("2020-1-1")),
        3);
    insertSite(*m_module->additions(), sampleSite(QStringLiteral("140001"), QStringLiteral("late.cn")));
    QCOMPARE(list.recordCount(), 3); // a static cursor: it does not see the new row until reopened
    QCOMPARE(list.recNo(), 1);
    QCOMPARE(list.text(QStringLiteral("web_address")), QStringLiteral("s1.cn"));
    list.close();
    list.open();
    QCOMPARE(list.recordCount(), 4);
}

QTEST_GUILESS_MAIN(TestStoreValues)
#include "tst_storevalues.moc"
