#include "TestFolder.h"
#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
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

} // namespace

class TestWorkFolder : public QObject
{
    Q_OBJECT
private slots:
    void livesInTheRuntimeFolderOwnerOnly();
    void withoutRuntimeFolderUsesAFolderOfTheUsersOwn();
    void refusesAFolderOthersCanReach();
    void refusesASymlink();
    void refusesAFolderOfAnotherUser();
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
    QTemporaryDir temp;
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    qunsetenv("XDG_RUNTIME_DIR");
    const QString folder = WorkFolder::path();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(world.runtimeFolder()));
    if (oldTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTemp);
    QCOMPARE(folder, QDir(temp.path()).filePath(QStringLiteral("corvane-%1").arg(getuid())));
    QCOMPARE(modeOf(folder), mode_t(0700));
}

void TestWorkFolder::refusesAFolderOthersCanReach()
{
    TestFolder world;
    const QString folder = WorkFolder::path();
    QVERIFY(!folder.isEmpty());
    QVERIFY(chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    QVERIFY(WorkFolder::path().isEmpty());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, WorkFolder::file(QStringLiteral("pass2.txt")));
}

void TestWorkFolder::refusesASymlink()
{
    TestFolder world;
    QTemporaryDir elsewhere;
    QVERIFY(chmod(QFile::encodeName(elsewhere.path()).constData(), 0700) == 0);
    const QString folder = QDir(world.runtimeFolder()).filePath(QStringLiteral("corvane"));
    QVERIFY(QFile::link(elsewhere.path(), folder));
    QVERIFY(WorkFolder::path().isEmpty());
}

void TestWorkFolder::refusesAFolderOfAnotherUser()
{
    if (getuid() != 0)
        QSKIP("handing a folder to another user needs root");
    TestFolder world;
    const QString folder = WorkFolder::path();
    QVERIFY(chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
    QVERIFY(WorkFolder::path().isEmpty());
}

QTEST_APPLESS_MAIN(TestWorkFolder)
#include "TestWorkFolder.moc"
