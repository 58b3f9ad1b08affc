#include "SiteBuilder.h"
#include "TestWorld.h"
#include "sites/KeywordSearch.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"

#include <QTest>

// The search bar's matching over a loaded main list.
class KeywordSearchTest : public QObject
{
    Q_OBJECT

private:
    static KeywordSearch::Item item(const QString &caption)
    {
        for (const KeywordSearch::Item &candidate : KeywordSearch::items())
            if (candidate.caption == caption)
                return candidate;
        qFatal("no search item %s", qPrintable(caption));
    }

    // Opens the main list over the world's register.
    struct List
    {
        explicit List(const TestWorld &world) : query(&connection)
        {
            world.pointAt(connection);
            query.setSql(Statements::MainList);
            query.open();
        }
        Connection connection;
        Query query;
    };

    static KeywordSearch::Result search(const TestWorld &world, const QString &caption,
                                        const QString &keyword)
    {
        List list(world);
        return KeywordSearch::find(list.query, item(caption), keyword);
    }

private slots:
    void itemsAndTheirColumns()
    {
        const QList<KeywordSearch::Item> &items = KeywordSearch::items();
        QCOMPARE(items.size(), 8);
        QCOMPARE(items.at(KeywordSearch::defaultItem()).caption, QStringLiteral("域名到期日期"));
        QStringList fields;
        for (const KeywordSearch::Item &each : items)
            fields << each.field + (each.isDate ? QStringLiteral(":date") : QString());
        QCOMPARE(fields, QStringList({"web_id", "web_name", "web_address", "web_linkman", "web_time:date",
                                      "web_endtime:date", "web_domaintime:date", "web_enddomaintime:date"}));
    }

    void textPrefixIgnoresCase_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<int>("row");
        QTest::newRow("prefix in another case") << "网站名称"
                                                << "abc" << 1;
        QTest::newRow("blanks around the keyword") << "网站名称"
                                                   << "  aBc\t" << 1;
        QTest::newRow("whole value") << "网站名称"
                                     << "abc shop" << 1;
        QTest::newRow("first from the top") << "网站名称"
                                            << "SHOP" << 0;
        QTest::newRow("longer than the value") << "网站名称"
                                               << "abc shop 2" << -1;
        QTest::newRow("regular expression dot") << "网站名称"
                                                << "a.b" << 4;
        QTest::newRow("regular expression brackets") << "网站名称"
                                                     << "a.b*[c](" << 4;
        QTest::newRow("backslash") << "网站地址"
                                   << "c:\\" << 5;
        QTest::newRow("quotes") << "网站名称"
                                << "o'brien \"q" << 5;
        QTest::newRow("chinese") << "网站名称"
                                 << "中文" << 2;
        QTest::newRow("site number") << "网站编号"
                                     << "1000002" << 2;
        QTest::newRow("address") << "网站地址"
                                 << "WWW.ABC" << 1;
        QTest::newRow("contact, not a grid column") << "网站联系人"
                                                    << "wang" << 2;
        QTest::newRow("only blanks match an empty value") << "网站名称"
                                                          << "   " << 6;
        QTest::newRow("empty keyword, empty contact") << "网站联系人"
                                                      << "" << 0;
    }
    void textPrefixIgnoresCase()
    {
        QFETCH(QString, caption);
        QFETCH(QString, keyword);
        QFETCH(int, row);
        TestWorld world(false);
        const auto site = [](const char *number, const char *name, const char *address, const char *contact) {
            return SiteBuilder(number).name(name).address(address).contact(contact);
        };
        SiteBuilder::addAllTo(world, {SiteBuilder("1000000").name("Shop abc").address("www.shop.com"),
                                      site("1000001", "ABC Shop", "www.abc.com", "Li"),
                                      site("1000002", "中文网站", "www.zh.cn", "Wang Wu"),
                                      site("1000003", "aXb*[c](1)", "www.rx.com", "Li"),
                                      site("1000004", "a.b*[c](1)", "www.re.com", "Li"),
                                      site("1000005", "O'Brien \"Quoted\"", "c:\\site", "Li"),
                                      site("1000006", "", "www.empty.com", "Li")});
        const KeywordSearch::Result result = search(world, caption, keyword);
        QVERIFY(result.usable);
        QCOMPARE(result.row, row);
    }

    void dateEquality_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<int>("row");
        QTest::newRow("date text") << "域名到期日期"
                                   << "2011-3-7" << true << 1;
        QTest::newRow("leading zeros") << "域名到期日期"
                                       << "2011-03-07" << true << 1;
        QTest::newRow("blanks around") << "域名到期日期"
                                       << " 2011-3-7 " << true << 1;
        QTest::newRow("other date column") << "网站到期日期"
                                           << "2011-3-7" << true << 2;
        QTest::newRow("purchase date") << "网站申请日期"
                                       << "2010-12-31" << true << 0;
        QTest::newRow("domain registration") << "域名申请日期"
                                             << "2009-1-1" << true << 2;
        QTest::newRow("a date no site has") << "域名到期日期"
                                            << "2011-3-9" << true << -1;
        QTest::newRow("no such day") << "域名到期日期"
                                     << "2011-2-30" << false << -1;
        QTest::newRow("a word") << "网站到期日期"
                                << "abc" << false << -1;
        QTest::newRow("only blanks") << "网站申请日期"
                                     << "  " << false << -1;
        QTest::newRow("date and more") << "域名到期日期"
                                       << "2011-3-7x" << false << -1;
        QTest::newRow("month 13") << "域名申请日期"
                                  << "2011-13-1" << false << -1;
    }
    void dateEquality()
    {
        QFETCH(QString, caption);
        QFETCH(QString, keyword);
        QFETCH(bool, usable);
        QFETCH(int, row);
        TestWorld world(false);
        world.addPlainSite("1000000", "a", "a.com", "2012-01-01", "2011-03-08");
        world.addPlainSite("1000001", "b", "b.com", "2011-03-08", "2011-03-07");
        world.addPlainSite("1000002", "c", "c.com", "2011-03-07", "2011-03-07");
        world.exec("update t_webinfo set web_time='2010-12-31' where web_id='1000000'");
        world.exec("update t_webinfo set web_domaintime='2009-01-01' where web_id='1000002'");
        const KeywordSearch::Result result = search(world, caption, keyword);
        QCOMPARE(result.usable, usable);
        QCOMPARE(result.row, row);
    }

    void unloadedListFindsNothing()
    {
        TestWorld world(false);
        world.addPlainSite("1000000", "abc", "a.com", "2011-03-07", "2011-03-07");
        Connection connection;
        Query closed(&connection);
        const KeywordSearch::Result text = KeywordSearch::find(closed, item("网站名称"), "abc");
        QVERIFY(text.usable);
        QCOMPARE(text.row, -1);
        QCOMPARE(KeywordSearch::find(closed, item("域名到期日期"), "2011-3-7").row, -1);
        QVERIFY(!KeywordSearch::find(closed, item("域名到期日期"), "abc").usable);
    }
};

QTEST_GUILESS_MAIN(KeywordSearchTest)
#include "tst_keywordsearch.moc"
