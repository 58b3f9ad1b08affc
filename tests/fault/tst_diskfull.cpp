// A full disk during a carrier append, a compaction and an export: the program's own
// operation runs in a child whose file size limit stands for the disk's end. Each fails
// clearly, loses nothing, and leaves no partial file where a good one was.
#include "FaultKit.h"
#include "FaultSites.h"
#include "SiteBuilder.h"
#include "TestFolder.h"

#include "platform/TextBytes.h"
#include "secrets/TrailerStore.h"
#include "store/Compaction.h"
#include "store/Statements.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace FaultKit;

namespace {

struct Run
{
    int status = -1;
    QString said;
};

// fault_child once <operation> <folder> <limit> [rows]
Run runWithLimit(const QString &operation, const QString &folder, qint64 limit, int rows = 0)
{
    QProcess child;
    child.start(childProgram(),
                {QStringLiteral("once"), operation, folder, QString::number(limit), QString::number(rows)});
    Run run;
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = child.exitCode();
    run.said = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
    return run;
}

Connection *openShared(const TestFolder &world)
{
    auto *connection = new Connection;
    connection->setConnectionString(Connection::connectionStringFor(world.folder()));
    return connection;
}

QString workFolder(const TestFolder &world)
{
    return QDir(world.runtimeFolder()).filePath(QStringLiteral("corvane"));
}

} // namespace

class TestDiskFull : public QObject
{
    Q_OBJECT

private slots:
    // Limits: room for the work file but not the record; no room even for the work file.
    void appendFailsAndKeepsTheCarrier_data()
    {
        QTest::addColumn<int>("room");
        QTest::addColumn<int>("status");
        QTest::newRow("carrier full") << 10 << 1;
        QTest::newRow("work file cut short") << -1 << 2;
    }
    void appendFailsAndKeepsTheCarrier()
    {
        QFETCH(int, room);
        QFETCH(int, status);
        TestFolder world;
        world.writeFile(QStringLiteral("sk.exe"), QByteArray("MZ") + QByteArray(1022, '\x90'));
        QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("旧的密钥")), WriteResult::Written);
        const QByteArray before = world.readFile(QStringLiteral("sk.exe"));

        const qint64 limit = room < 0 ? 8 : before.size() + room;
        const Run run = runWithLimit(QStringLiteral("append"), world.folder(), limit);
        QVERIFY2(run.status == status, qPrintable(run.said));
        QCOMPARE(world.readFile(QStringLiteral("sk.exe")), before);
        // The work file holds the scrambled secret: not even a piece of it stays behind.
        QCOMPARE(filesIn(workFolder(world)), QStringList());
        QString secret;
        QVERIFY(readSecret(SecretStore::secretKey(), secret));
        QCOMPARE(secret, QStringLiteral("旧的密钥"));

        QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("新的密钥")), WriteResult::Written);
        QVERIFY(readSecret(SecretStore::secretKey(), secret));
        QCOMPARE(secret, QStringLiteral("新的密钥"));
    }

    void compactionFailsAndKeepsTheRegister()
    {
        TestFolder world;
        SiteBuilder::addMany(world, 800, 300);
        world.writeFile(QStringLiteral("tempdb.mdb"), "an earlier run's backup");
        const QByteArray before = world.readFile(QStringLiteral("db.mdb"));
        QVERIFY(before.size() > 200000);

        const Run run = runWithLimit(QStringLiteral("compact"), world.folder(), before.size() / 2);
        QVERIFY2(run.status == 2, qPrintable(run.said));
        QCOMPARE(world.readFile(QStringLiteral("db.mdb")), before);
        QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("newdb.mdb"))));
        // The backup is whole or absent: a cut-short copy would pass for one.
        QVERIFY(!QFileInfo::exists(world.file(QStringLiteral("tempdb.mdb"))) ||
                world.readFile(QStringLiteral("tempdb.mdb")) == before);

        std::unique_ptr<Connection> shared(openShared(world));
        Compaction::compactRegister(shared.get(), world.folder());
        QCOMPARE(integrity(*shared), QStringLiteral("ok"));
        QCOMPARE(world.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 800);
    }

    void exportFailsAndKeepsTheFormerFile_data()
    {
        QTest::addColumn<QByteArray>("former");
        QTest::newRow("over a former export") << QByteArray("\"an earlier export\"");
        QTest::newRow("new file") << QByteArray();
    }
    void exportFailsAndKeepsTheFormerFile()
    {
        QFETCH(QByteArray, former);
        TestFolder world;
        if (!former.isEmpty())
            world.writeFile(QStringLiteral("export.csv"), former);
        const QStringList filesBefore = filesIn(world.folder());

        const Run run = runWithLimit(QStringLiteral("export"), world.folder(), 64 * 1024, 5000);
        QVERIFY2(run.status == 2, qPrintable(run.said));
        QCOMPARE(filesIn(world.folder()), filesBefore);
        if (!former.isEmpty())
            QCOMPARE(world.readFile(QStringLiteral("export.csv")), former);

        const Run small = runWithLimit(QStringLiteral("export"), world.folder(), 64 * 1024, 10);
        QVERIFY2(small.status == 0, qPrintable(small.said));
        const QByteArray written = world.readFile(QStringLiteral("export.csv"));
        QVERIFY(written.startsWith(TextBytes::toBytes(QStringLiteral("\"列0\";\"列1\""))));
        QCOMPARE(written.count("\r\n"), 10);
    }
};

QTEST_GUILESS_MAIN(TestDiskFull)
#include "tst_diskfull.moc"
