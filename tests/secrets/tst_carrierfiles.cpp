#include "TempLocation.h"
#include "TestFolder.h"
#include "platform/WorkFolder.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <stdexcept>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The names created in folder while run ran.
QStringList namesCreatedIn(const QString &folder, const std::function<void()> &run)
{
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0 || inotify_add_watch(watch, QFile::encodeName(folder).constData(), IN_CREATE) < 0)
        qFatal("cannot watch %s", qPrintable(folder));
    run();
    QStringList names;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            names << QFile::decodeName(event->name);
        }
    }
    ::close(watch);
    return names;
}

enum class Outcome { Returned, Threw, Hung };

// Runs an operation in a child, so that one waiting on a carrier fails the test instead
// of hanging it.
Outcome outcomeInChild(const std::function<void()> &operation)
{
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        try {
            operation();
        } catch (const std::runtime_error &) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        return Outcome::Hung;
    return WEXITSTATUS(status) == 1 ? Outcome::Threw : Outcome::Returned;
}

mode_t modeOf(const QString &path)
{
    struct stat info
    {
    };
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

QByteArray carrierWith(const QString &secret)
{
    const QByteArray payload = scrambleWithKey("20110307090502" + secret.toUtf8(), 0x22) + "\r\n";
    QByteArray field(4, '\0');
    qToLittleEndian<qint32>(qint32(payload.size() + 4), field.data());
    return payload + field;
}

// Runs appendTrailer in a child whose file size limit lies inside the record, so the
// write fails part-way with EFBIG. Returns the child's appendTrailer result.
bool appendWithSizeLimit(const QString &source, const QString &carrier, rlim_t limit)
{
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const struct rlimit size
        {
            limit, limit
        };
        setrlimit(RLIMIT_FSIZE, &size);
        _exit(appendTrailer(source, carrier) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

} // namespace

// The write and read steps on real files: where the work files go, and what
// happens when a carrier is missing, locked or cannot take the whole record.
class TestCarrierFiles : public QObject
{
    Q_OBJECT
private slots:
    void writeWorkFileLivesInThePrivateFolder();
    void readWorkFileLivesInThePrivateFolder();
    void carrierThatIsNoPlainFileIsRefused_data();
    void carrierThatIsNoPlainFileIsRefused();
    void copiedCarriersBecomeOwnerOnly();
    void missingCarrierOnWriteAppendsNothing();
    void lockedCarrierOnWriteAppendsNothing();
    void appendFailingHalfWayCutsTheCarrierBack();
    void sharedWorkFolderIsPassedOver();
};

void TestCarrierFiles::writeWorkFileLivesInThePrivateFolder()
{
    TestFolder world;
    const QString folder = WorkFolder::path();
    WriteResult result = WriteResult::CarrierRefused;
    const QStringList created = namesCreatedIn(
        folder, [&] { result = writeSecret(SecretStore::loginPassword(), QStringLiteral("abc123")); });
    QCOMPARE(result, WriteResult::Written);
    QCOMPARE(created, QStringList{QStringLiteral("pass2.txt")});
    QVERIFY(folder.startsWith(world.runtimeFolder()));
    QCOMPARE(modeOf(folder), mode_t(0700));
    // The work file holds the scrambled secret: it is gone again.
    QVERIFY(QDir(folder).isEmpty());
    QCOMPARE(QDir(world.folder()).entryList(QDir::Files | QDir::System),
             QStringList({QStringLiteral("db.mdb"), QStringLiteral("key.exe"), QStringLiteral("sk.exe")}));
}

void TestCarrierFiles::readWorkFileLivesInThePrivateFolder()
{
    TestFolder world;
    world.writeFile(QStringLiteral("sk.exe"), carrierWith(QStringLiteral("stored-key")));
    const QString folder = WorkFolder::path();
    bool found = false;
    QString secret;
    const QStringList created =
        namesCreatedIn(folder, [&] { found = readSecret(SecretStore::secretKey(), secret); });
    QVERIFY(found);
    QCOMPARE(secret, QStringLiteral("stored-key"));
    QCOMPARE(created, QStringList{QStringLiteral("sktemp.txt")});
    QVERIFY(QDir(folder).isEmpty());
}

// A carrier that is a link, a pipe or a folder is refused: never read or written through,
// and never waited on.
void TestCarrierFiles::carrierThatIsNoPlainFileIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a link to a carrier") << "link";
    QTest::newRow("a pipe") << "pipe";
    QTest::newRow("a folder") << "folder";
}

void TestCarrierFiles::carrierThatIsNoPlainFileIsRefused()
{
    QFETCH(QString, kind);
    TestFolder world;
    const QByteArray elsewhere = carrierWith(QStringLiteral("linked-key"));
    world.writeFile(QStringLiteral("elsewhere.exe"), elsewhere);
    const QString carrier = world.file(QStringLiteral("sk.exe"));
    QVERIFY(QFile::remove(carrier));
    if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(world.file(QStringLiteral("elsewhere.exe")), carrier));
    else if (kind == QLatin1String("pipe"))
        QVERIFY(mkfifo(QFile::encodeName(carrier).constData(), 0600) == 0);
    else
        QVERIFY(QDir().mkdir(carrier));

    QString secret;
    QCOMPARE(outcomeInChild([&] { readSecret(SecretStore::secretKey(), secret); }), Outcome::Threw);
    QCOMPARE(outcomeInChild([] { writeSecret(SecretStore::secretKey(), QStringLiteral("new-key")); }),
             Outcome::Threw);
    QCOMPARE(world.readFile(QStringLiteral("elsewhere.exe")), elsewhere);
    QVERIFY(QDir(WorkFolder::path()).isEmpty());
}

// An earlier installation's carriers come over readable by everyone.
void TestCarrierFiles::copiedCarriersBecomeOwnerOnly()
{
    TestFolder world;
    const QByteArray password = carrierWith(QStringLiteral("copied-password"));
    world.writeFile(QStringLiteral("key.exe"), password);
    world.writeFile(QStringLiteral("sk.exe"), carrierWith(QStringLiteral("copied-key")));
    for (const QString &name : {QStringLiteral("key.exe"), QStringLiteral("sk.exe")})
        QVERIFY(chmod(QFile::encodeName(world.file(name)).constData(), 0644) == 0);

    QString secret;
    QVERIFY(readSecret(SecretStore::loginPassword(), secret));
    QCOMPARE(secret, QStringLiteral("copied-password"));
    QCOMPARE(modeOf(world.file(QStringLiteral("key.exe"))), mode_t(0600));
    QCOMPARE(world.readFile(QStringLiteral("key.exe")), password);
    QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("new-key")), WriteResult::Written);
    QCOMPARE(modeOf(world.file(QStringLiteral("sk.exe"))), mode_t(0600));
}

void TestCarrierFiles::missingCarrierOnWriteAppendsNothing()
{
    TestFolder world;
    QVERIFY(QFile::remove(world.file(QStringLiteral("sk.exe"))));
    QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("new-key")), WriteResult::CarrierRefused);
    QVERIFY(!QFile::exists(world.file(QStringLiteral("sk.exe")))); // never created by a write
    QVERIFY(QDir(WorkFolder::path()).isEmpty());

    // A carrier that comes back still holds its old secret.
    world.writeFile(QStringLiteral("sk.exe"), carrierWith(QStringLiteral("old-key")));
    QString secret;
    QVERIFY(readSecret(SecretStore::secretKey(), secret));
    QCOMPARE(secret, QStringLiteral("old-key"));
}

void TestCarrierFiles::lockedCarrierOnWriteAppendsNothing()
{
    TestFolder world;
    const QByteArray before = carrierWith(QStringLiteral("old-password"));
    world.writeFile(QStringLiteral("key.exe"), before);
    const int other = ::open(QFile::encodeName(world.file(QStringLiteral("key.exe"))).constData(), O_RDONLY);
    QVERIFY(other >= 0);
    QVERIFY(flock(other, LOCK_EX | LOCK_NB) == 0);
    const WriteResult result = writeSecret(SecretStore::loginPassword(), QStringLiteral("new-password"));
    // Reading does not wait for the lock.
    QString secret;
    const bool read = readSecret(SecretStore::loginPassword(), secret);
    ::close(other);
    QCOMPARE(result, WriteResult::CarrierRefused);
    QCOMPARE(world.readFile(QStringLiteral("key.exe")), before);
    QVERIFY(read);
    QCOMPARE(secret, QStringLiteral("old-password"));
    QVERIFY(QDir(WorkFolder::path()).isEmpty());
}

void TestCarrierFiles::appendFailingHalfWayCutsTheCarrierBack()
{
    TestFolder world;
    const QByteArray before = carrierWith(QStringLiteral("kept-password"));
    world.writeFile(QStringLiteral("key.exe"), before);
    world.writeFile(QStringLiteral("source"), QByteArray(1000, 'r'));
    const QString source = world.file(QStringLiteral("source"));
    const QString carrier = world.file(QStringLiteral("key.exe"));

    QVERIFY(!appendWithSizeLimit(source, carrier, rlim_t(before.size() + 10)));
    QCOMPARE(world.readFile(QStringLiteral("key.exe")), before);
    // Room for the record but not for its length field: still nothing half-written.
    QVERIFY(!appendWithSizeLimit(source, carrier, rlim_t(before.size() + 1002)));
    QCOMPARE(world.readFile(QStringLiteral("key.exe")), before);
    QString secret;
    QVERIFY(readSecret(SecretStore::loginPassword(), secret));
    QCOMPARE(secret, QStringLiteral("kept-password"));

    // With room for all of it the same child appends.
    QVERIFY(appendWithSizeLimit(source, carrier, rlim_t(before.size() + 1004)));
    QCOMPARE(world.readFile(QStringLiteral("key.exe")).size(), before.size() + 1004);
}

void TestCarrierFiles::sharedWorkFolderIsPassedOver()
{
    TestFolder world;
    const TempLocation temp(world.runtimeFolder()); // where the fresh folder goes
    const QString shared = WorkFolder::path();
    QVERIFY(chmod(QFile::encodeName(shared).constData(), 0777) == 0);
    QCOMPARE(writeSecret(SecretStore::loginPassword(), QStringLiteral("abc123")), WriteResult::Written);
    QString secret;
    QVERIFY(readSecret(SecretStore::loginPassword(), secret));
    QCOMPARE(secret, QStringLiteral("abc123"));
    QVERIFY(QDir(shared).isEmpty());
    QVERIFY(WorkFolder::path() != shared);
    QCOMPARE(QDir(world.folder()).entryList(QDir::Files),
             QStringList({QStringLiteral("db.mdb"), QStringLiteral("key.exe"), QStringLiteral("sk.exe")}));
}

QTEST_GUILESS_MAIN(TestCarrierFiles)
#include "tst_carrierfiles.moc"
