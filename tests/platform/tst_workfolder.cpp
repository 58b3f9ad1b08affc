#include "TempLocation.h"
#include "TestFolder.h"
#include "platform/SingleInstance.h"
#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info
    {
    };
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

uid_t ownerOf(const QString &path)
{
    struct stat info
    {
    };
    return lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_uid : uid_t(-1);
}

// A shared temp folder of the test's own (TMPDIR), as /tmp is to every user.
class OwnTempFolder
{
public:
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    TempLocation m_location{m_dir.path()};
};

// A folder at the work folder's usual place that is not the user's alone: another user's
// (needs root to hand it over) or one open to everyone.
void takeFolder(const QString &path, bool anotherUsers)
{
    QDir().mkpath(path);
    const QByteArray native = QFile::encodeName(path);
    if (anotherUsers && getuid() == 0)
        QVERIFY(chown(native.constData(), 65534, 65534) == 0 && chmod(native.constData(), 0700) == 0);
    else
        QVERIFY(chmod(native.constData(), 0777) == 0);
}

} // namespace

class TestWorkFolder : public QObject
{
    Q_OBJECT
private slots:
    void livesInTheRuntimeFolderOwnerOnly();
    void withoutRuntimeFolderUsesAFolderOfTheUsersOwn();
    void aTakenFolderGivesWayToAFreshOne_data();
    void aTakenFolderGivesWayToAFreshOne();
    void noFolderAtAllIsReported();
    void anotherUsersLockCannotBlockTheStart();
};

void TestWorkFolder::livesInTheRuntimeFolderOwnerOnly()
{
    TestFolder world;
    const mode_t oldMask = umask(0); // even a permissive umask gives an owner-only folder
    const QString folder = WorkFolder::path();
    umask(oldMask);
    QCOMPARE(folder, QDir(world.runtimeFolder()).filePath(QStringLiteral("corvane")));
    QCOMPARE(modeOf(folder), mode_t(0700));
    QCOMPARE(WorkFolder::file(QStringLiteral("pass2.txt")),
             QDir(folder).filePath(QStringLiteral("pass2.txt")));
}

void TestWorkFolder::withoutRuntimeFolderUsesAFolderOfTheUsersOwn()
{
    TestFolder world;
    OwnTempFolder temp;
    qunsetenv("XDG_RUNTIME_DIR");
    const QString folder = WorkFolder::path();
    QCOMPARE(folder, QDir(temp.path()).filePath(QStringLiteral("corvane-%1").arg(getuid())));
    QCOMPARE(modeOf(folder), mode_t(0700));
}

void TestWorkFolder::aTakenFolderGivesWayToAFreshOne_data()
{
    QTest::addColumn<QString>("taken");
    QTest::newRow("open to others") << "open";
    QTest::newRow("a link") << "link";
    QTest::newRow("another user's") << "foreign";
}

void TestWorkFolder::aTakenFolderGivesWayToAFreshOne()
{
    QFETCH(QString, taken);
    if (taken == QLatin1String("foreign") && getuid() != 0)
        QSKIP("handing a folder to another user needs root");
    TestFolder world;
    OwnTempFolder temp;
    const QString usual = QDir(world.runtimeFolder()).filePath(QStringLiteral("corvane"));
    QTemporaryDir elsewhere;
    if (taken == QLatin1String("link"))
        QVERIFY(QFile::link(elsewhere.path(), usual));
    else
        takeFolder(usual, taken == QLatin1String("foreign"));

    const QString folder = WorkFolder::path();
    QVERIFY2(folder.startsWith(temp.path() + QLatin1Char('/')), qPrintable(folder));
    QVERIFY(QFileInfo(folder).isDir() && !QFileInfo(folder).isSymLink());
    QCOMPARE(modeOf(folder), mode_t(0700));
    QCOMPARE(ownerOf(folder), getuid());
    // The same folder for the rest of the run, and the work files go there.
    QCOMPARE(WorkFolder::path(), folder);
    QCOMPARE(WorkFolder::file(QStringLiteral("pass2.txt")),
             QDir(folder).filePath(QStringLiteral("pass2.txt")));
    QVERIFY(QDir(elsewhere.path()).isEmpty());
}

void TestWorkFolder::noFolderAtAllIsReported()
{
    TestFolder world;
    takeFolder(QDir(world.runtimeFolder()).filePath(QStringLiteral("corvane")), false);
    const TempLocation gone(world.file(QStringLiteral("missing")));
    QVERIFY(WorkFolder::path().isEmpty());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, WorkFolder::file(QStringLiteral("pass2.txt")));
}

// Without a runtime folder, another user who makes the usual folder and holds a lock file
// where the program used to fall back can no longer keep it from starting.
void TestWorkFolder::anotherUsersLockCannotBlockTheStart()
{
    TestFolder world;
    OwnTempFolder temp;
    qunsetenv("XDG_RUNTIME_DIR");
    const QString usual = QDir(temp.path()).filePath(QStringLiteral("corvane-%1").arg(getuid()));
    QVERIFY(QDir().mkdir(usual));
    takeFolder(usual, true);
    const QString planted = QDir(temp.path()).filePath(QStringLiteral("Corvane-%1").arg(getuid()));
    const int held = ::open(QFile::encodeName(planted).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    QVERIFY(held >= 0 && fchmod(held, 0666) == 0 && flock(held, LOCK_EX | LOCK_NB) == 0);

    SingleInstance first(QStringLiteral("Corvane"));
    SingleInstance second(QStringLiteral("Corvane"));
    ::close(held);
    QVERIFY(first.acquired());
    QVERIFY(!second.acquired()); // still one copy at a time
}

QTEST_APPLESS_MAIN(TestWorkFolder)
#include "tst_workfolder.moc"
