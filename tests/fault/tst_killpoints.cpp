// The program killed (SIGKILL) at random moments of its writes: after every kill the
// register opens, passes the integrity check and holds the old or the new state of the
// record, never a mixture; a carrier reads the old or the new secret and never ends in
// a partial record; after a key change every site opens under the key the next start reads.
#include "FaultKit.h"
#include "FaultSites.h"
#include "SiteBuilder.h"
#include "TestFolder.h"

#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"
#include "sites/KeyChange.h"
#include "sites/SiteCredentials.h"
#include "store/Compaction.h"
#include "store/Statements.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTest>
#include <QtEndian>

using namespace FaultKit;

namespace {

Connection *openShared(const TestFolder &world)
{
    auto *connection = new Connection;
    connection->setConnectionString(Connection::connectionStringFor(world.folder()));
    return connection;
}

// The later of the last state known before the run and the last the child reported.
int lastKnown(const Outcome &outcome, int before)
{
    return outcome.lastDone ? qMax(*outcome.lastDone, before) : before;
}

void insertSite(Connection &connection, int site)
{
    Query insert(&connection);
    insert.setSql(Statements::InsertSite);
    FaultSites::bind(insert, FaultSites::insertValues(site), FaultSites::siteNumber(site));
    insert.execute();
}

bool loadSite(Query &row, int site)
{
    row.setSql(Statements::LoadSite);
    row.setParameter(QStringLiteral("web_address"), FaultSites::address(site));
    row.open();
    return row.recordCount() == 1;
}

// Every row and every byte of the register's sites, to compare a register before and after.
QByteArray fingerprint(Connection &connection)
{
    Query all(&connection);
    all.setSql(QStringLiteral("select * from t_webinfo order by id"));
    all.open();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int row = 0; row < all.recordCount(); ++row) {
        for (int column = 0; column < all.fieldNames().size(); ++column) {
            const QVariant value = all.valueAt(row, column);
            hash.addData(value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                                 : value.toString().toUtf8());
            hash.addData(QByteArrayView("\x1f"));
        }
    }
    return hash.result();
}

// The carrier's records from the newest back, each "secret-<k>", down to the supplied content.
QString checkCarrierRecords(QByteArray carrier, int newest, const QByteArray &supplied)
{
    for (int number = newest; number >= 1; --number) {
        QByteArray record;
        if (!newestRecord(carrier, record))
            return QStringLiteral("record %1 missing").arg(number);
        const QByteArray line = record.endsWith("\r\n") ? record.chopped(2) : record;
        const QString secret = TextBytes::fromBytes(unscrambleText(line).mid(14));
        if (secret != QStringLiteral("secret-%1").arg(number))
            return QStringLiteral("record %1 reads %2").arg(number).arg(secret);
        carrier.chop(record.size() + 4);
    }
    return carrier == supplied ? QString() : QStringLiteral("the supplied content changed");
}

// Sites whose domain user carries no secret key yet, as before the first key change.
void addKeylessSites(const TestFolder &world, int count)
{
    QList<SiteBuilder> sites;
    for (int site = 0; site < count; ++site) {
        const QString number = FaultSites::siteNumber(site);
        sites << SiteBuilder(number)
                     .address(FaultSites::address(site))
                     .credential(QStringLiteral("web_domainuser"), QStringLiteral("用户") + number);
    }
    SiteBuilder::addAllTo(world, sites);
}

// How many sites the domain-user check lets through under key, each with its own user.
int sitesOpenUnder(Connection &connection, const QString &key)
{
    QSqlQuery all(connection.database());
    all.exec(QStringLiteral("select web_id,web_domainuser from t_webinfo"));
    int open = 0;
    while (all.next()) {
        const QString number = all.value(0).toString();
        QString user;
        open += SiteCredentials::readDomainUser(all.value(1).toByteArray(), number, key, user) &&
                user == QStringLiteral("用户") + number;
    }
    return open;
}

void report(const char *what, int hits, int kills)
{
    qInfo("%d of %d kills came %s", hits, kills, what);
}

} // namespace

class TestKillPoints : public QObject
{
    Q_OBJECT

private slots:
    void siteInsertIsWholeOrAbsent();
    void sectionSaveIsOldOrNew();
    void carrierAppendIsOldOrNew();
    void keyChangeKeepsEverySiteOpen();
    void compactionKeepsEveryRecordOwnerOnly();
};

void TestKillPoints::siteInsertIsWholeOrAbsent()
{
    TestFolder world;
    int sites = 0; // sites 0 .. sites-1 are in the register, each checked whole
    int inside = 0;
    for (int kill = 0; kill < killCount(); ++kill) {
        const Outcome outcome = killDuring(QStringLiteral("insert"), world.folder(), 30000);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.failure));
        const int done = lastKnown(outcome, sites - 1);
        inside += journalLeft(world.folder());
        std::unique_ptr<Connection> connection(openShared(world));
        QCOMPARE(integrity(*connection), QStringLiteral("ok"));
        Query list(connection.get());
        list.setSql(Statements::MainList);
        list.open();
        const int now = list.recordCount();
        // Every site the child finished is there; the one it was writing may be too.
        QVERIFY2(now == done + 1 || now == done + 2,
                 qPrintable(QStringLiteral("%1 sites after %2").arg(now).arg(done)));
        Query row(connection.get());
        for (int site = sites; site < now; ++site) {
            QVERIFY(loadSite(row, site));
            QVERIFY2(FaultSites::rowHolds(row, FaultSites::insertValues(site), FaultSites::siteNumber(site)),
                     qPrintable(QStringLiteral("site %1 is not whole").arg(site)));
        }
        sites = now;
    }
    report("inside an insert", inside, killCount());
    QVERIFY(sites > 0);
}

void TestKillPoints::sectionSaveIsOldOrNew()
{
    TestFolder world;
    {
        std::unique_ptr<Connection> connection(openShared(world));
        insertSite(*connection, 0);
    }
    const FaultSites::Values inserted = FaultSites::insertValues(0);
    QStringList sectionColumns;
    for (const auto &pair : FaultSites::sectionValues(1))
        sectionColumns << pair.first;
    int version = 0; // 0: the site as inserted
    int inside = 0;
    for (int kill = 0; kill < killCount(); ++kill) {
        const Outcome outcome = killDuring(QStringLiteral("save"), world.folder(), 30000);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.failure));
        const int done = lastKnown(outcome, version);
        inside += journalLeft(world.folder());
        std::unique_ptr<Connection> connection(openShared(world));
        QCOMPARE(integrity(*connection), QStringLiteral("ok"));
        Query row(connection.get());
        QVERIFY(loadSite(row, 0));
        const QString name = row.text(QStringLiteral("web_name"));
        const int now = name.startsWith(QStringLiteral("名称")) ? name.mid(2).toInt() : 0;
        QVERIFY2(now == done || now == done + 1,
                 qPrintable(QStringLiteral("version %1 after %2").arg(now).arg(done)));
        // The whole section is of one version, and the columns outside it are untouched.
        const FaultSites::Values section = now == 0 ? FaultSites::Values() : FaultSites::sectionValues(now);
        QVERIFY2(FaultSites::rowHolds(row, section, FaultSites::siteNumber(0)),
                 qPrintable(QStringLiteral("version %1 is mixed").arg(now)));
        for (const auto &[column, value] : inserted) {
            if (now == 0 || !sectionColumns.contains(column))
                QCOMPARE(FaultSites::readBack(row, column, FaultSites::siteNumber(0)), value);
        }
        version = now;
    }
    report("inside a save", inside, killCount());
    QVERIFY(version > 0);
}

void TestKillPoints::carrierAppendIsOldOrNew()
{
    TestFolder world;
    // A carrier as supplied with the program: content of its own, no record.
    const QByteArray supplied = QByteArray("MZ") + QByteArray(1022, '\x90');
    world.writeFile(QStringLiteral("sk.exe"), supplied);
    const QString workFolder = QDir(world.runtimeFolder()).filePath(QStringLiteral("corvane"));
    int secrets = 0;
    int inside = 0;
    for (int kill = 0; kill < killCount(); ++kill) {
        const Outcome outcome = killDuring(QStringLiteral("append"), world.folder(), 20000);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.failure));
        const int done = lastKnown(outcome, secrets);
        inside += !filesIn(workFolder).isEmpty();
        QString secret;
        const bool found = readSecret(SecretStore::secretKey(), secret);
        const int now = found ? secret.mid(7).toInt() : 0;
        QVERIFY2(now == done || now == done + 1,
                 qPrintable(QStringLiteral("secret %1 after %2").arg(now).arg(done)));
        const QString broken = checkCarrierRecords(world.readFile(QStringLiteral("sk.exe")), now, supplied);
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
        // A work file the kill left behind stays private, and the next write replaces it.
        QCOMPARE(modeOf(workFolder), mode_t(0700));
        for (const QString &left : filesIn(workFolder))
            QCOMPARE(modeOf(QDir(workFolder).filePath(left)), mode_t(0600));
        secrets = now;
    }
    report("between the work file and its removal", inside, killCount());
    QVERIFY(secrets > 0);
}

void TestKillPoints::keyChangeKeepsEverySiteOpen()
{
    TestFolder world;
    const int sites = 500;
    addKeylessSites(world, sites);
    int changes = 0;
    int finished = 0;
    for (int kill = 0; kill < killCount(); ++kill) {
        const Outcome outcome = killDuring(QStringLiteral("rekey"), world.folder(), 40000);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.failure));
        const int done = lastKnown(outcome, changes);
        std::unique_ptr<Connection> connection(openShared(world));
        // What the next start does before it reads the key.
        finished += KeyChange::finishInterrupted(connection.get()) > 0;
        QCOMPARE(integrity(*connection), QStringLiteral("ok"));
        QString key;
        readSecret(SecretStore::secretKey(), key);
        const int now = FaultSites::changeNumber(key);
        QVERIFY2(now == done || now == done + 1,
                 qPrintable(QStringLiteral("key %1 after %2").arg(now).arg(done)));
        QCOMPARE(sitesOpenUnder(*connection, key), sites);
        QVERIFY(!filesIn(world.folder()).contains(QStringLiteral("sk.exe.changing")));
        changes = now;
    }
    report("after sk.exe took the key and before the records were committed", finished, killCount());
    QVERIFY(changes > 0);
}

void TestKillPoints::compactionKeepsEveryRecordOwnerOnly()
{
    // Even with a umask that lets everyone read, nothing the compaction makes is readable
    // by another user at any moment.
    Umask open(0);
    TestFolder world;
    {
        std::unique_ptr<Connection> connection(openShared(world));
        for (int site = 0; site < 300; ++site)
            insertSite(*connection, site);
    }
    world.exec(QStringLiteral("update t_webinfo set web_remark=web_remark||hex(randomblob(600))"));
    world.exec(QStringLiteral("delete from t_webinfo where id % 3 = 0"));
    QByteArray before;
    {
        std::unique_ptr<Connection> connection(openShared(world));
        before = fingerprint(*connection);
    }
    QElapsedTimer timer;
    timer.start();
    QProcess whole;
    whole.start(childProgram(), {QStringLiteral("once"), QStringLiteral("compact"), world.folder(),
                                 QString::number(1LL << 40)});
    QVERIFY(whole.waitForFinished(60000) && whole.exitCode() == 0);
    const int span = int(qMin<qint64>(timer.elapsed() * 1000 + 5000, 2000000));
    const QStringList carriers = {QStringLiteral("key.exe"), QStringLiteral("sk.exe")};

    int inside = 0;
    for (int kill = 0; kill < killCount(); ++kill) {
        const Outcome outcome = killDuring(QStringLiteral("compact"), world.folder(), span);
        QVERIFY2(outcome.failure.isEmpty(), qPrintable(outcome.failure));
        inside += QFileInfo::exists(world.file(QStringLiteral("newdb.mdb")));
        for (const QString &name : filesIn(world.folder())) {
            if (!carriers.contains(name))
                QVERIFY2(modeOf(world.file(name)) == 0600,
                         qPrintable(name + QStringLiteral(" is not owner-only")));
        }
        std::unique_ptr<Connection> connection(openShared(world));
        QCOMPARE(integrity(*connection), QStringLiteral("ok"));
        QCOMPARE(fingerprint(*connection), before);
    }
    report("while the compacted copy was being made", inside, killCount());
    std::unique_ptr<Connection> connection(openShared(world));
    Compaction::compactRegister(connection.get(), world.folder());
    QCOMPARE(filesIn(world.folder()),
             (QStringList{QStringLiteral("db.mdb"), QStringLiteral("key.exe"), QStringLiteral("sk.exe")}));
    QCOMPARE(fingerprint(*connection), before);
}

QTEST_GUILESS_MAIN(TestKillPoints)
#include "tst_killpoints.moc"
