#include "ReadOnlyPath.h"
#include "SiteBuilder.h"
#include "TestFolder.h"

#include "store/Compaction.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "store/StoreError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

#include <csignal>
#include <memory>
#include <sys/stat.h>

namespace {

// A second program holding the register open, with its own connection.
class OtherProgram
{
public:
    explicit OtherProgram(const QString &path) : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~OtherProgram()
    {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool run(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        return query.exec(sql);
    }

private:
    QString m_name;
};

} // namespace

// Compaction never loses the register: every way it can fail leaves db.mdb as it was.
class TestCompaction : public QObject
{
    Q_OBJECT

private:
    static Connection *sharedConnection(const TestFolder &world)
    {
        auto *connection = new Connection;
        connection->setConnectionString(Connection::connectionStringFor(world.folder()));
        return connection;
    }
    static QString integrity(const QString &path)
    {
        const QString name = QUuid::createUuid().toString();
        QString verdict;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            if (db.open()) {
                QSqlQuery query(db);
                verdict = query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next()
                              ? query.value(0).toString()
                              : query.lastError().text();
            }
        }
        QSqlDatabase::removeDatabase(name);
        return verdict;
    }
    enum class Backup { None, OfTheRegister, AsItWas };
    // A failure leaves db.mdb as it was and no newdb.mdb; tempdb.mdb is what the run got to.
    static void expectFailureLeavesRegister(const TestFolder &world, Connection &shared, Backup backup)
    {
        const QByteArray before = world.readFile(QStringLiteral("db.mdb"));
        const QByteArray backupBefore = world.readFile(QStringLiteral("tempdb.mdb"));
        QVERIFY_THROWS_EXCEPTION(StoreError, Compaction::compactRegister(&shared, world.folder()));
        QCOMPARE(world.readFile(QStringLiteral("db.mdb")), before);
        QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("newdb.mdb"))));
        QVERIFY(!shared.isOpen());
        switch (backup) {
        case Backup::None:
            QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("tempdb.mdb"))));
            break;
        case Backup::OfTheRegister:
            QCOMPARE(world.readFile(QStringLiteral("tempdb.mdb")), before);
            break;
        case Backup::AsItWas:
            QCOMPARE(world.readFile(QStringLiteral("tempdb.mdb")), backupBefore);
            break;
        }
    }

private slots:
    void successLeavesOnlyTheCompactedRegister()
    {
        TestFolder world;
        SiteBuilder::addMany(world, 2000);
        world.exec(QStringLiteral("delete from t_webinfo where id % 2 = 0"));
        world.writeFile(QStringLiteral("newdb.mdb"), "stale copy of an earlier run");
        world.writeFile(QStringLiteral("tempdb.mdb"), "stale backup of an earlier run");
        const qint64 sizeBefore = QFileInfo(world.databasePath()).size();

        std::unique_ptr<Connection> shared(sharedConnection(world));
        Query list(shared.get());
        list.setSql(Statements::MainList);
        list.open();
        QCOMPARE(list.recordCount(), 1000);

        Compaction::compactRegister(shared.get(), world.folder());
        QVERIFY(!shared->isOpen());
        QVERIFY(!list.isOpen());
        QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("newdb.mdb"))));
        QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("tempdb.mdb"))));
        QVERIFY(QFileInfo(world.databasePath()).size() < sizeBefore);
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(world.databasePath()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QCOMPARE(integrity(world.databasePath()), QStringLiteral("ok"));

        // The next query opens the shared connection again, on the new file.
        list.open();
        QCOMPARE(list.recordCount(), 1000);
        QCOMPARE(
            world.scalar(QStringLiteral("select web_name from t_webinfo where web_id='000999'")).toString(),
            QStringLiteral("site 999"));
        QCOMPARE(world.scalar(QStringLiteral("select count(*) from t_set")).toInt(), 1);
    }

    void lockedRegisterIsLeftAlone()
    {
        TestFolder world;
        SiteBuilder::addMany(world, 50);
        world.writeFile(QStringLiteral("tempdb.mdb"), "stale backup");
        std::unique_ptr<Connection> shared(sharedConnection(world));
        OtherProgram other(world.databasePath());
        QVERIFY(other.run(QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(other.run(QStringLiteral("update t_webinfo set web_name='changing' where id=1")));
        // Nothing was begun, so the earlier backup was not touched either.
        expectFailureLeavesRegister(world, *shared, Backup::AsItWas);
        QVERIFY(other.run(QStringLiteral("COMMIT")));
        QCOMPARE(world.scalar(QStringLiteral("select web_name from t_webinfo where id=1")).toString(),
                 QStringLiteral("changing"));
    }

    void readOnlyFolderIsLeftAlone()
    {
        TestFolder world;
        SiteBuilder::addMany(world, 50);
        std::unique_ptr<Connection> shared(sharedConnection(world));
        ReadOnlyPath folder(world.folder());
        if (!folder.active())
            QSKIP("the folder cannot be made read-only here");
        expectFailureLeavesRegister(world, *shared, Backup::None);
    }

    void readOnlyRegisterIsLeftAlone()
    {
        TestFolder world;
        SiteBuilder::addMany(world, 50);
        std::unique_ptr<Connection> shared(sharedConnection(world));
        QFile::setPermissions(world.databasePath(), QFile::ReadOwner | QFile::ReadUser);
        expectFailureLeavesRegister(world, *shared, Backup::None);
        QCOMPARE(QFileInfo(world.databasePath()).permissions() & QFile::WriteOwner, QFile::Permissions());
    }

    void damagedRegisterIsNotReplaced()
    {
        TestFolder world;
        SiteBuilder::addMany(world, 3000);
        // Scribble over pages in the middle of the table: the copy cannot be made sound.
        QFile file(world.databasePath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(file.size() / 2);
        file.write(QByteArray(8192, '\x55'));
        file.close();
        std::unique_ptr<Connection> shared(sharedConnection(world));
        expectFailureLeavesRegister(world, *shared, Backup::OfTheRegister);
    }

    // A register cut short reads zeros for its lost tail and passes SQLite's own check;
    // a compacted copy would make that loss look whole.
    void cutShortRegisterIsNotCompacted()
    {
        TestFolder world;
        SiteBuilder::addMany(world, 50);
        QFile file(world.databasePath());
        QVERIFY(file.resize(file.size() - 1));
        std::unique_ptr<Connection> shared(sharedConnection(world));
        expectFailureLeavesRegister(world, *shared, Backup::None);
    }

    // Where db.mdb is a link, the register it names is the one compacted, and it stays linked.
    void linkedRegisterIsCompactedWhereItLives()
    {
        TestFolder world;
        SiteBuilder::addMany(world, 50);
        QVERIFY(QDir(world.folder()).mkdir(QStringLiteral("store")));
        const QString target = world.file(QStringLiteral("store/db.mdb"));
        QVERIFY(QFile::rename(world.databasePath(), target) && QFile::link(target, world.databasePath()));
        std::unique_ptr<Connection> shared(sharedConnection(world));
        Compaction::compactRegister(shared.get(), world.folder());
        QVERIFY(QFileInfo(world.databasePath()).isSymLink());
        QCOMPARE(integrity(target), QStringLiteral("ok"));
        QCOMPARE(world.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 50);
        QCOMPARE(QDir(world.file(QStringLiteral("store"))).entryList(QDir::Files), QStringList{"db.mdb"});
    }

    void missingRegisterIsNotCreated()
    {
        TestFolder world;
        QFile::remove(world.databasePath());
        std::unique_ptr<Connection> shared(sharedConnection(world));
        QVERIFY_THROWS_EXCEPTION(StoreError, Compaction::compactRegister(shared.get(), world.folder()));
        QVERIFY(!QFileInfo::exists(world.databasePath()));
        QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("newdb.mdb"))));
    }

    // Killed at any moment, the program finds on its next start a register that opens
    // and holds every record; the next compaction clears what the killed one left.
    void killedAtAnyMomentKeepsEveryRecord()
    {
        TestFolder world;
        const int sites = 20000;
        SiteBuilder::addMany(world, sites);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(QProcess::execute(QStringLiteral(COMPACT_CHILD), {world.folder()}), 0);
        const qint64 fullRun = qMax<qint64>(timer.elapsed(), 20);
        const int steps = 16;
        for (int step = 0; step < steps; ++step) {
            QProcess child;
            child.start(QStringLiteral(COMPACT_CHILD), {world.folder()});
            QVERIFY(child.waitForStarted());
            QTest::qSleep(int(fullRun * step / steps));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished());
            QCOMPARE(integrity(world.databasePath()), QStringLiteral("ok"));
            QCOMPARE(world.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), sites);
        }
        std::unique_ptr<Connection> shared(sharedConnection(world));
        Compaction::compactRegister(shared.get(), world.folder());
        QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("newdb.mdb"))));
        QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("tempdb.mdb"))));
        QCOMPARE(world.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), sites);
    }
};

QTEST_GUILESS_MAIN(TestCompaction)
#include "tst_compaction.moc"
