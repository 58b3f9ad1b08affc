#include "TempLocation.h"
#include "TestFolder.h"
#include "platform/WorkFolder.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

bool waitForFile(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(path)) {
        if (timer.elapsed() > 10000)
            return false;
        QThread::msleep(2);
    }
    return true;
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

// Runs AppendTrailer in a child whose file size limit lies inside the record, so the
// write fails part-way with EFBIG. Returns the child's AppendTrailer result.
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
        _exit(AppendTrailer(source, carrier) ? 1 : 0);
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
    void missingCarrierOnWriteAppendsNothing();
    void lockedCarrierOnWriteAppendsNothing();
    void appendFailingHalfWayCutsTheCarrierBack();
    void sharedWorkFolderIsPassedOver();
};

void TestCarrierFiles::writeWorkFileLivesInThePrivateFolder()
{
    TestFolder world;
    // A pipe as the carrier holds the write step at the append, while its work file exists.
    QFile::remove(world.file(QStringLiteral("key.exe")));
    QVERIFY(mkfifo(QFile::encodeName(world.file(QStringLiteral("key.exe"))).constData(), 0600) == 0);
    const QString workFile = QDir(WorkFolder::path()).filePath(QStringLiteral("pass2.txt"));
    WriteResult result = WriteResult::Written;
    std::thread writer([&] { result = writeSecret(SecretStore::loginPassword(), QStringLiteral("abc123")); });
    const bool seen = waitForFile(workFile);
    const mode_t fileMode = modeOf(workFile);
    const int pipe =
        ::open(QFile::encodeName(world.file(QStringLiteral("key.exe"))).constData(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(pipe);
    QVERIFY(seen);
    QCOMPARE(fileMode, mode_t(0600));
    QCOMPARE(modeOf(WorkFolder::path()), mode_t(0700));
    QVERIFY(WorkFolder::path().startsWith(world.runtimeFolder()));
    // A pipe cannot take a record; the work file, holding the scrambled secret, is gone again.
    QCOMPARE(result, WriteResult::CarrierRefused);
    QVERIFY(!QFile::exists(workFile));
    QCOMPARE(QDir(world.folder()).entryList(QDir::Files | QDir::System),
             QStringList({QStringLiteral("db.mdb"), QStringLiteral("key.exe"), QStringLiteral("sk.exe")}));
}

void TestCarrierFiles::readWorkFileLivesInThePrivateFolder()
{
    TestFolder world;
    QFile::remove(world.file(QStringLiteral("sk.exe")));
    QVERIFY(mkfifo(QFile::encodeName(world.file(QStringLiteral("sk.exe"))).constData(), 0600) == 0);
    const QString workFile = QDir(WorkFolder::path()).filePath(QStringLiteral("sktemp.txt"));
    bool found = false;
    QString secret;
    std::thread reader([&] { found = readSecret(SecretStore::secretKey(), secret); });
    const bool seen = waitForFile(workFile);
    const mode_t fileMode = modeOf(workFile);
    // Feed the carrier through the pipe once the reader has opened it.
    int pipe = -1;
    QElapsedTimer timer;
    timer.start();
    while (pipe < 0 && timer.elapsed() < 10000) {
        pipe = ::open(QFile::encodeName(world.file(QStringLiteral("sk.exe"))).constData(),
                      O_WRONLY | O_NONBLOCK);
        if (pipe < 0)
            QThread::msleep(2);
    }
    const QByteArray carrier = carrierWith(QStringLiteral("piped-key"));
    const bool fed =
        pipe >= 0 && ::write(pipe, carrier.constData(), size_t(carrier.size())) == carrier.size();
    ::close(pipe);
    reader.join();
    QVERIFY(seen);
    QVERIFY(fed);
    QCOMPARE(fileMode, mode_t(0600));
    QVERIFY(found);
    QCOMPARE(secret, QStringLiteral("piped-key"));
    QVERIFY(!QFile::exists(workFile));
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
#include "TestCarrierFiles.moc"
