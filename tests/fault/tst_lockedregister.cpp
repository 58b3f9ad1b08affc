// db.mdb held by another program (the sqlite3 tool, in a transaction of its own) while
// the program saves, refreshes or compacts: the operation fails within the busy timeout
// instead of hanging, loses nothing, and works again once the other program lets go.
#include "FaultKit.h"
#include "FaultSites.h"
#include "LockingProgram.h"
#include "TestFolder.h"

#include "store/Compaction.h"
#include "store/Statements.h"
#include "store/StoreError.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace FaultKit;

namespace {

// The longest a refused operation may take: the register's busy timeout (two seconds)
// and room for a slow machine.
const int Patience = 4000;

Connection *openShared(const TestFolder &world)
{
    auto *connection = new Connection;
    connection->setConnectionString(Connection::connectionStringFor(world.folder()));
    return connection;
}

void fill(const TestFolder &world, int sites)
{
    std::unique_ptr<Connection> connection(openShared(world));
    Query insert(connection.get());
    for (int site = 0; site < sites; ++site) {
        insert.setSql(Statements::InsertSite);
        FaultSites::bind(insert, FaultSites::insertValues(site), FaultSites::siteNumber(site));
        insert.execute();
    }
}

void saveSection(Query &query, int version)
{
    query.setSql(Statements::SaveSiteSection);
    FaultSites::bind(query, FaultSites::sectionValues(version), FaultSites::siteNumber(0));
    query.setParameter(QStringLiteral("id"), QStringLiteral("1")); // the first and only site
    query.setParameter(QStringLiteral("web_address"), FaultSites::address(0));
    query.execute();
}

// Runs the operation, which must fail with StoreError, and says how long it took.
template <typename Operation> qint64 refusedAfter(Operation operation, bool &refused)
{
    QElapsedTimer timer;
    timer.start();
    refused = false;
    try {
        operation();
    } catch (const StoreError &) {
        refused = true;
    }
    return timer.elapsed();
}

} // namespace

class TestLockedRegister : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            QSKIP("the sqlite3 tool is not installed");
    }

    void saveWaitsThenFailsAndLosesNothing_data()
    {
        QTest::addColumn<LockingProgram::Kind>("kind");
        QTest::newRow("exclusive") << LockingProgram::Exclusive;
        QTest::newRow("write") << LockingProgram::Write;
    }
    void saveWaitsThenFailsAndLosesNothing()
    {
        QFETCH(LockingProgram::Kind, kind);
        TestFolder world;
        fill(world, 3);
        std::unique_ptr<Connection> shared(openShared(world));
        Query query(shared.get());
        saveSection(query, 1);

        LockingProgram other(world.databasePath(), kind);
        QVERIFY(other.holding());
        bool refused = false;
        const qint64 took = refusedAfter([&] { saveSection(query, 2); }, refused);
        QVERIFY(refused);
        QVERIFY2(took < Patience, qPrintable(QStringLiteral("%1 ms").arg(took)));
        other.letGo();

        // The other program's change and the earlier save are both there; the next try works.
        Query row(shared.get());
        row.setSql(Statements::LoadSite);
        row.setParameter(QStringLiteral("web_address"), FaultSites::address(0));
        row.open();
        QVERIFY(FaultSites::rowHolds(row, FaultSites::sectionValues(1), FaultSites::siteNumber(0)));
        saveSection(query, 2);
        row.open();
        QVERIFY(FaultSites::rowHolds(row, FaultSites::sectionValues(2), FaultSites::siteNumber(0)));
        if (kind == LockingProgram::Write)
            QCOMPARE(row.text(QStringLiteral("web_remark")), QStringLiteral("其他程序"));
    }

    void refreshWaitsThenFailsWhileReadersAreKeptOut()
    {
        TestFolder world;
        fill(world, 5);
        std::unique_ptr<Connection> shared(openShared(world));
        Query list(shared.get());
        list.setSql(Statements::MainList);
        {
            LockingProgram other(world.databasePath(), LockingProgram::Exclusive);
            QVERIFY(other.holding());
            bool refused = false;
            const qint64 took = refusedAfter([&] { list.open(); }, refused);
            QVERIFY(refused);
            QVERIFY2(took < Patience, qPrintable(QStringLiteral("%1 ms").arg(took)));
        }
        list.open();
        QCOMPARE(list.recordCount(), 5);
    }

    // A writer that has not committed yet does not keep the list from loading the rows as
    // they stand.
    void refreshReadsPastAnUncommittedWrite()
    {
        TestFolder world;
        fill(world, 5);
        std::unique_ptr<Connection> shared(openShared(world));
        LockingProgram other(world.databasePath(), LockingProgram::Write);
        QVERIFY(other.holding());
        Query row(shared.get());
        row.setSql(Statements::LoadSite);
        row.setParameter(QStringLiteral("web_address"), FaultSites::address(0));
        row.open();
        QVERIFY(FaultSites::rowHolds(row, FaultSites::insertValues(0), FaultSites::siteNumber(0)));
        Query list(shared.get());
        list.setSql(Statements::MainList);
        list.open();
        QCOMPARE(list.recordCount(), 5);
    }

    void compactionWaitsThenFailsAndLeavesTheRegister_data() { saveWaitsThenFailsAndLosesNothing_data(); }
    void compactionWaitsThenFailsAndLeavesTheRegister()
    {
        QFETCH(LockingProgram::Kind, kind);
        TestFolder world;
        fill(world, 20);
        const QByteArray before = world.readFile(QStringLiteral("db.mdb"));
        std::unique_ptr<Connection> shared(openShared(world));
        {
            LockingProgram other(world.databasePath(), kind);
            QVERIFY(other.holding());
            bool refused = false;
            const qint64 took =
                refusedAfter([&] { Compaction::compactRegister(shared.get(), world.folder()); }, refused);
            QVERIFY(refused);
            QVERIFY2(took < Patience, qPrintable(QStringLiteral("%1 ms").arg(took)));
            QCOMPARE(world.readFile(QStringLiteral("db.mdb")), before);
            QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("newdb.mdb"))));
            QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("tempdb.mdb"))));
        }
        Compaction::compactRegister(shared.get(), world.folder());
        Query list(shared.get());
        list.setSql(Statements::MainList);
        list.open();
        QCOMPARE(list.recordCount(), 20);
        QCOMPARE(integrity(*shared), QStringLiteral("ok"));
    }
};

QTEST_GUILESS_MAIN(TestLockedRegister)
#include "tst_lockedregister.moc"
