#include "SiteRows.h"
#include "TestDatabase.h"
#include "store/Compaction.h"
#include "store/StoreError.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

// A register on a PostgreSQL server: what opening a database makes of it, and what it refuses.
class TestServerRegister : public QObject
{
    Q_OBJECT
private slots:
    void emptyDatabaseGetsTheRegister();
    void registerOpensAsItIs();
    void databaseWithOtherTablesIsRefused_data();
    void databaseWithOtherTablesIsRefused();
    void unreachableServerSaysWhy();
    void readOnlySessionChangesNothing();
    void listKeepsItsOrderAfterASave();
    void otherDesksChangesAreNoticed_data();
    void otherDesksChangesAreNoticed();
    void compactionIsLeftToTheServer();
};

namespace {

QStringList tablesOf(const TestDatabase &db)
{
    QSqlQuery query = db.run(QStringLiteral("select table_name from information_schema.tables "
                                            "where table_schema = 'public' order by 1"));
    QStringList tables;
    while (query.next())
        tables << query.value(0).toString();
    return tables;
}

QString refusal(Connection &connection)
{
    try {
        connection.open();
    } catch (const StoreError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

void TestServerRegister::emptyDatabaseGetsTheRegister()
{
    TestDatabase db;
    SiteRegister module;
    module.connection()->setServer(db.conninfo());
    QVERIFY(module.connection()->isServer());
    module.connection()->open();
    QCOMPARE(tablesOf(db), QStringList({QStringLiteral("t_set"), QStringLiteral("t_webinfo")}));
    QCOMPARE(db.scalar(QStringLiteral("select string_agg(web_alarm || '/' || domain_alarm, ',') from t_set"))
                 .toString(),
             QStringLiteral("3/3"));

    QCOMPARE(insertSite(*module.additions(), sampleSite(QStringLiteral("000001"), QStringLiteral("a.cn"))),
             1);
    QSqlQuery stored = db.run(QStringLiteral("select version, pg_typeof(web_time)::text, web_time, "
                                             "pg_typeof(web_user)::text from t_webinfo"));
    QVERIFY(stored.next());
    QCOMPARE(stored.value(0).toInt(), 1);
    QCOMPARE(stored.value(1).toString(), QStringLiteral("date"));
    QCOMPARE(stored.value(2).toDate(), QDate(2011, 3, 7));
    QCOMPARE(stored.value(3).toString(), QStringLiteral("bytea"));
}

void TestServerRegister::registerOpensAsItIs()
{
    TestDatabase db;
    {
        SiteRegister first;
        first.connection()->setServer(db.conninfo());
        insertSite(*first.additions(), sampleSite(QStringLiteral("000001"), QStringLiteral("a.cn")));
    }
    SiteRegister second;
    second.connection()->setServer(db.conninfo());
    Query &list = *second.mainList();
    list.open();
    QCOMPARE(list.recordCount(), 1);
    QCOMPARE(list.text(QStringLiteral("web_address")), QStringLiteral("a.cn"));
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from t_set")).toInt(), 1);
}

void TestServerRegister::databaseWithOtherTablesIsRefused_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("message");
    QTest::newRow("another program's table")
        << QStringLiteral("create table invoices(n int)")
        << QStringLiteral("数据库中有其他数据表：invoices\r请使用空数据库或本程序的数据库");
    QTest::newRow("beside the register")
        << QStringLiteral("create table t_webinfo(id int); create table t_set(n int); "
                          "create schema accounts; create view accounts.totals as select 1 as n")
        << QStringLiteral("数据库中有其他数据表：accounts.totals\r请使用空数据库或本程序的数据库");
    QTest::newRow("half a register") << QStringLiteral("create table t_set(n int)")
                                     << QStringLiteral("数据库中缺少数据表：t_webinfo");
}

void TestServerRegister::databaseWithOtherTablesIsRefused()
{
    QFETCH(QString, setUp);
    QFETCH(QString, message);
    TestDatabase db;
    for (const QString &statement : setUp.split(QLatin1Char(';')))
        db.run(statement);
    const QStringList before = tablesOf(db);
    Connection connection;
    connection.setServer(db.conninfo());
    QCOMPARE(refusal(connection), message);
    QVERIFY(!connection.isOpen());
    QCOMPARE(tablesOf(db), before);
}

void TestServerRegister::unreachableServerSaysWhy()
{
    Connection connection;
    connection.setServer(
        QStringLiteral("host=/nonexistent/corvane port=5432 dbname=register connect_timeout=2"));
    const QString message = refusal(connection);
    QVERIFY2(message.contains(QLatin1String("/nonexistent/corvane/.s.PGSQL.5432")), qPrintable(message));
    QVERIFY2(message.contains(QLatin1String("No such file or directory")), qPrintable(message));
}

void TestServerRegister::readOnlySessionChangesNothing()
{
    TestDatabase db;
    SiteRegister reader;
    reader.connection()->setReadOnly(true);
    reader.connection()->setServer(db.conninfo());
    // An empty database is no register to read, and is left empty.
    QCOMPARE(refusal(*reader.connection()), QStringLiteral("数据库中缺少数据表：t_set、t_webinfo"));
    QCOMPARE(tablesOf(db), QStringList());

    SiteRegister writer;
    writer.connection()->setServer(db.conninfo());
    insertSite(*writer.additions(), sampleSite(QStringLiteral("000001"), QStringLiteral("a.cn")));
    reader.mainList()->open();
    QCOMPARE(reader.mainList()->recordCount(), 1);
    QVERIFY_THROWS_EXCEPTION(StoreError, insertSite(*reader.additions(), sampleSite(QStringLiteral("000002"),
                                                                                    QStringLiteral("b.cn"))));
    QVERIFY_THROWS_EXCEPTION(StoreError, reader.mainList()->deleteRows({0}));
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 1);
}

void TestServerRegister::listKeepsItsOrderAfterASave()
{
    TestDatabase db;
    SiteRegister module;
    module.connection()->setServer(db.conninfo());
    for (const char *number : {"000001", "000002", "000003"})
        insertSite(*module.additions(),
                   sampleSite(QLatin1String(number), QLatin1String(number) + QStringLiteral(".cn")));
    db.run(QStringLiteral("update t_webinfo set web_name = 'renamed' where web_id = '000001'"));
    Query &list = *module.mainList();
    list.open();
    QStringList numbers;
    for (int row = 0; row < list.recordCount(); ++row)
        numbers << list.textAt(row, QStringLiteral("web_id"));
    QCOMPARE(numbers,
             QStringList({QStringLiteral("000001"), QStringLiteral("000002"), QStringLiteral("000003")}));
    // The ids behind the rows are the sites' own: deleting the first row deletes the renamed site.
    list.deleteRows({0});
    QCOMPARE(db.scalar(QStringLiteral("select string_agg(web_id::text, ',' order by id) from t_webinfo"))
                 .toString(),
             QStringLiteral("000002,000003"));
}

using Change = std::function<void(SiteRegister &)>;
Q_DECLARE_METATYPE(Change)

void TestServerRegister::otherDesksChangesAreNoticed_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("insert") << Change([](SiteRegister &desk) {
        insertSite(*desk.additions(), sampleSite(QStringLiteral("000002"), QStringLiteral("b.cn")));
    });
    QTest::newRow("save") << Change([](SiteRegister &desk) {
        Query &save = *desk.siteSaves();
        save.setSql(Statements::SaveRemark);
        save.setParameter(QStringLiteral("web_remark"), QStringLiteral("changed"));
        save.setParameter(QStringLiteral("id"), QStringLiteral("1"));
        save.setParameter(QStringLiteral("web_address"), QStringLiteral("a.cn"));
        save.setParameter(QStringLiteral("version"), QStringLiteral("1"));
        QCOMPARE(save.execute(), 1);
    });
    QTest::newRow("delete") << Change([](SiteRegister &desk) {
        desk.mainList()->open();
        desk.mainList()->deleteRows({0});
    });
    QTest::newRow("settings") << Change([](SiteRegister &desk) {
        Query &settings = *desk.leadTimes();
        settings.setSql(Statements::WriteLeadTimes);
        settings.setParameter(QStringLiteral("web_alarm"), QStringLiteral("7"));
        settings.setParameter(QStringLiteral("domain_alarm"), QStringLiteral("7"));
        settings.execute();
    });
}

// Two desks on one register: each hears of the other's changes within a second, not of its own.
void TestServerRegister::otherDesksChangesAreNoticed()
{
    QFETCH(Change, change);
    TestDatabase db;
    SiteRegister here;
    SiteRegister there;
    for (SiteRegister *desk : {&here, &there})
        desk->connection()->setServer(db.conninfo());
    insertSite(*here.additions(), sampleSite(QStringLiteral("000001"), QStringLiteral("a.cn")));
    QSignalSpy heardHere(here.connection(), &Connection::changedElsewhere);
    QSignalSpy heardThere(there.connection(), &Connection::changedElsewhere);
    there.mainList()->open();
    // A connection opened again listens again.
    here.connection()->close();
    here.mainList()->open();

    change(there);
    QVERIFY(heardHere.wait(1000));
    QTest::qWait(100);
    QCOMPARE(heardThere.count(), 0);
}

// The server compacts where the user may; a user who may not is told the server does it. The
// program's folder is never touched, and the connection stays open.
void TestServerRegister::compactionIsLeftToTheServer()
{
    TestDatabase db;
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("db.mdb")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("a file of its own") > 0);
    file.close();
    SiteRegister owner;
    owner.connection()->setServer(db.conninfo());
    insertSite(*owner.additions(), sampleSite(QStringLiteral("000001"), QStringLiteral("a.cn")));
    const QString vacuumed =
        QStringLiteral("select count(*) from pg_stat_user_tables where relname in ('t_webinfo', 't_set') "
                       "and last_vacuum is not null and last_analyze is not null");

    Connection clerk;
    clerk.setServer(db.conninfoOfAClerk());
    QCOMPARE(Compaction::compactRegister(&clerk, folder.path()), Compaction::Outcome::LeftToServer);
    QCOMPARE(db.scalar(vacuumed).toInt(), 0);
    QVERIFY(clerk.isOpen());

    QCOMPARE(Compaction::compactRegister(owner.connection(), folder.path()), Compaction::Outcome::Compacted);
    QCOMPARE(db.scalar(vacuumed).toInt(), 2);
    QVERIFY(owner.connection()->isOpen());
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("db.mdb")});
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("a file of its own"));
}

QTEST_GUILESS_MAIN(TestServerRegister)
#include "tst_serverregister.moc"
