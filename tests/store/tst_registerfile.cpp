#include "ReadOnlyPath.h"
#include "SiteRows.h"
#include "TestFolder.h"
#include "store/RegisterFile.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

// db.mdb as the user may leave it: missing, empty, foreign, damaged, read-only.
// Each gives the calling operation a StoreError and the file stays as it was.
class TestRegisterFile : public QObject
{
    Q_OBJECT
private slots:
    void connectionStringNamesTheFolder();
    void folderWithUnusualCharactersOpens();
    void missingRegisterIsNeverCreated();
    void unusableFileIsRefusedAndLeftAlone_data();
    void unusableFileIsRefusedAndLeftAlone();
    void readOnlyRegisterReadsButRefusesWrites();
    void registerAKilledWriterLeftShortOpens();
    void emptySettingsTableFailsTheReader();
    void earlierRegisterGainsVersionsWhenOpenedWritable();
};

void TestRegisterFile::connectionStringNamesTheFolder()
{
    QCOMPARE(Connection::connectionStringFor(QStringLiteral("/opt/corvane")),
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/corvane/db.mdb;"
                            "Persist Security Info=False"));
    QCOMPARE(Connection::connectionStringFor(QStringLiteral("/opt/corvane/")),
             Connection::connectionStringFor(QStringLiteral("/opt/corvane")));
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(QStringLiteral("/opt/corvane")));
    QCOMPARE(connection.databasePath(), QStringLiteral("/opt/corvane/db.mdb"));
}

void TestRegisterFile::folderWithUnusualCharactersOpens()
{
    QTemporaryDir base;
    const QString folder = base.filePath(QStringLiteral("网站 #1 ?x%20"));
    QVERIFY(QDir().mkpath(folder));
    createRegister(QDir(folder).filePath(QStringLiteral("db.mdb")));
    SiteRegister module;
    pointAt(module, folder);
    module.leadTimes()->setSql(Statements::ReadLeadTimes);
    module.leadTimes()->open();
    QCOMPARE(module.leadTimes()->text(QStringLiteral("web_alarm")), QStringLiteral("3"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("db.mdb")});
}

void TestRegisterFile::missingRegisterIsNeverCreated()
{
    TestFolder world;
    QVERIFY(QFile::remove(world.databasePath()));
    SiteRegister module;
    pointAt(module, world.folder());
    QVERIFY_THROWS_EXCEPTION(StoreError, module.connection()->open());
    QVERIFY_THROWS_EXCEPTION(StoreError, module.mainList()->open());
    module.leadTimes()->setSql(Statements::WriteLeadTimes);
    module.leadTimes()->setParameter(QStringLiteral("web_alarm"), QStringLiteral("1"));
    module.leadTimes()->setParameter(QStringLiteral("domain_alarm"), QStringLiteral("1"));
    QVERIFY_THROWS_EXCEPTION(StoreError, module.leadTimes()->execute());
    QVERIFY(!module.connection()->isOpen());
    QVERIFY(!QFile::exists(world.databasePath()));

    // Before the main window sets the real path, db.mdb is looked for in the current folder.
    QTemporaryDir elsewhere;
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    SiteRegister unset;
    bool refused = false;
    try {
        unset.mainList()->open();
    } catch (const StoreError &) {
        refused = true;
    }
    QDir::setCurrent(oldCurrent);
    QVERIFY(refused);
    QVERIFY(QDir(elsewhere.path()).isEmpty());
}

void TestRegisterFile::unusableFileIsRefusedAndLeftAlone_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("zip archive") << QByteArray("PK\x03\x04\x14\x00\x00\x00", 8) + QByteArray(2040, '\x5a');
    QTest::newRow("text") << QByteArray("web_id;web_name\r\n1;a\r\n");
    QTest::newRow("damaged SQLite") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xee');
    // It would open and pass SQLite's own check, reading zeros where the last byte was.
    TestFolder whole;
    whole.addPlainSite(QStringLiteral("100001"), QStringLiteral("a"), QStringLiteral("a.cn"));
    whole.exec(QStringLiteral("update t_set set web_alarm = 30, domain_alarm = 30"));
    QTest::newRow("register cut one byte short") << whole.readFile(QStringLiteral("db.mdb")).chopped(1);
}

void TestRegisterFile::unusableFileIsRefusedAndLeftAlone()
{
    QFETCH(QByteArray, content);
    TestFolder world;
    world.writeFile(QStringLiteral("db.mdb"), content);
    SiteRegister module;
    pointAt(module, world.folder());
    QVERIFY_THROWS_EXCEPTION(StoreError, module.mainList()->open());
    QVERIFY_THROWS_EXCEPTION(StoreError, insertSite(*module.additions(), sampleSite(QStringLiteral("100001"),
                                                                                    QStringLiteral("a.cn"))));
    module.leadTimes()->setSql(Statements::ReadLeadTimes);
    QVERIFY_THROWS_EXCEPTION(StoreError, module.leadTimes()->open());
    module.connection()->close();
    QCOMPARE(world.readFile(QStringLiteral("db.mdb")), content);
    QCOMPARE(QDir(world.folder()).entryList(QDir::Files),
             QStringList({QStringLiteral("db.mdb"), QStringLiteral("key.exe"), QStringLiteral("sk.exe")}));
}

void TestRegisterFile::readOnlyRegisterReadsButRefusesWrites()
{
    TestFolder world;
    world.addPlainSite(QStringLiteral("100001"), QStringLiteral("a"), QStringLiteral("a.cn"));
    QVERIFY(
        QFile::setPermissions(world.databasePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QByteArray before = world.readFile(QStringLiteral("db.mdb"));
    SiteRegister module;
    pointAt(module, world.folder());
    module.mainList()->open();
    QCOMPARE(module.mainList()->recordCount(), 1);
    QVERIFY_THROWS_EXCEPTION(StoreError, insertSite(*module.additions(), sampleSite(QStringLiteral("100002"),
                                                                                    QStringLiteral("b.cn"))));
    module.leadTimes()->setSql(Statements::WriteLeadTimes);
    module.leadTimes()->setParameter(QStringLiteral("web_alarm"), QStringLiteral("9"));
    module.leadTimes()->setParameter(QStringLiteral("domain_alarm"), QStringLiteral("9"));
    QVERIFY_THROWS_EXCEPTION(StoreError, module.leadTimes()->execute());
    QVERIFY_THROWS_EXCEPTION(StoreError, module.mainList()->deleteRows({0}));
    module.connection()->close();
    QCOMPARE(world.readFile(QStringLiteral("db.mdb")), before);
    QCOMPARE(world.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 1);
}

// A writer killed in the middle of a transaction leaves its journal beside the register,
// and until SQLite rolls it back the register may end short of the pages its header
// records. That register is sound: it opens with what was committed.
void TestRegisterFile::registerAKilledWriterLeftShortOpens()
{
    TestFolder world;
    world.addPlainSite(QStringLiteral("100001"), QStringLiteral("a"), QStringLiteral("a.cn"));
    QTemporaryDir killed;
    {
        QSqlDatabase writer = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
        writer.setDatabaseName(world.databasePath());
        QVERIFY(writer.open());
        QSqlQuery query(writer);
        // A small cache makes the transaction write into the register before it ends.
        query.exec(QStringLiteral("pragma cache_size = 2"));
        QVERIFY(query.exec(QStringLiteral("begin")) && query.exec(QStringLiteral("create table grown(x)")));
        for (int i = 0; i < 50; ++i)
            query.exec(QStringLiteral("insert into grown values(randomblob(4000))"));
        for (const QString name : {QStringLiteral("db.mdb"), QStringLiteral("db.mdb-journal")})
            QVERIFY(QFile::copy(world.file(name), QDir(killed.path()).filePath(name)));
        query.exec(QStringLiteral("rollback"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    QFile copy(QDir(killed.path()).filePath(QStringLiteral("db.mdb")));
    QVERIFY(copy.open(QIODevice::ReadWrite) && copy.seek(28));
    QByteArray pages = copy.read(4);
    qToBigEndian(qFromBigEndian<quint32>(pages.constData()) + 100, pages.data()); // far beyond the end
    QVERIFY(copy.seek(28) && copy.write(pages) == 4);
    copy.close();

    SiteRegister module;
    pointAt(module, killed.path());
    module.mainList()->open();
    QCOMPARE(module.mainList()->recordCount(), 1);
}

void TestRegisterFile::emptySettingsTableFailsTheReader()
{
    TestFolder world;
    world.exec(QStringLiteral("delete from t_set"));
    SiteRegister module;
    pointAt(module, world.folder());
    Query &settings = *module.leadTimes();
    settings.setSql(Statements::ReadLeadTimes);
    settings.open();
    QCOMPARE(settings.recordCount(), 0);
    // The reader takes the first row; there is none, and that is an error, not a zero.
    QVERIFY_THROWS_EXCEPTION(StoreError, settings.text(QStringLiteral("web_alarm")));
    // A register without the table at all fails the statement itself.
    world.exec(QStringLiteral("drop table t_set"));
    module.connection()->close();
    QVERIFY_THROWS_EXCEPTION(StoreError, settings.open());
}

// A register of an earlier installation: read as it is where it may not be written, and given
// site versions, every value kept, at its first writable opening.
void TestRegisterFile::earlierRegisterGainsVersionsWhenOpenedWritable()
{
    TestFolder world;
    {
        SiteRegister filling;
        pointAt(filling, world.folder());
        insertSite(*filling.additions(), sampleSite(QStringLiteral("100001"), QStringLiteral("a.cn")));
        insertSite(*filling.additions(), sampleSite(QStringLiteral("100002"), QStringLiteral("b.cn")));
    }
    world.makeEarlierRegister();
    QStringList quoted;
    for (const QString &column : QStringList{QStringLiteral("id")} + insertColumns())
        quoted << QStringLiteral("quote(%1)").arg(column);
    const QString everyValue =
        QStringLiteral("select group_concat(%1, '|') from (select * from t_webinfo order by id)")
            .arg(quoted.join(QStringLiteral("||','||")));
    const QString values = world.scalar(everyValue).toString();
    const QByteArray earlier = world.readFile(QStringLiteral("db.mdb"));

    const auto readsUnchanged = [&] {
        {
            SiteRegister module;
            pointAt(module, world.folder());
            module.mainList()->open();
            QCOMPARE(module.mainList()->recordCount(), 2);
        }
        QCOMPARE(world.readFile(QStringLiteral("db.mdb")), earlier);
    };
    {
        // A writable file in a folder that takes no journal.
        ReadOnlyPath folder(world.folder());
        if (folder.active())
            readsUnchanged();
    }
    QVERIFY(QFile::setPermissions(world.databasePath(), QFile::ReadOwner));
    readsUnchanged();

    QVERIFY(QFile::setPermissions(world.databasePath(), QFile::ReadOwner | QFile::WriteOwner));
    SiteRegister module;
    pointAt(module, world.folder());
    module.mainList()->open();
    QCOMPARE(world.scalar(QStringLiteral("select group_concat(version) from t_webinfo")).toString(),
             QStringLiteral("1,1"));
    QCOMPARE(world.scalar(QStringLiteral("pragma user_version")).toInt(), 2);
    QCOMPARE(world.scalar(everyValue).toString(), values);
}

QTEST_GUILESS_MAIN(TestRegisterFile)
#include "tst_registerfile.moc"
