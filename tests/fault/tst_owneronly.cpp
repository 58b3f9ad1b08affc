// The register and every file made from it or for a secret are the owner's alone from
// the moment they exist, whatever the umask; the private work folder is the owner's;
// exports, which hold no credentials, follow the umask like any document.
#include "FaultKit.h"
#include "SiteBuilder.h"
#include "TableGrid.h"
#include "TempLocation.h"
#include "TestFolder.h"

#include "export/ExportFile.h"
#include "platform/WorkFolder.h"
#include "secrets/TrailerStore.h"
#include "store/Compaction.h"
#include "store/RegisterFile.h"
#include "store/StoreError.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <memory>
#include <poll.h>
#include <sys/inotify.h>

using namespace FaultKit;

namespace {

enum class Afterwards { Kill, RunToEnd };

// Starts a program, and the moment the named file appears in folder stops it (SIGSTOP)
// and takes the file's mode: what anyone could have opened it with then, and kept it
// open to read whatever is written later. 0 when the file was not seen in time. A
// program that starts others of its own is left to finish, so none is orphaned.
mode_t modeWhenCreated(const QString &program, const QStringList &arguments, const QString &folder,
                       const QString &name, int millis, Afterwards afterwards = Afterwards::Kill)
{
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0 || inotify_add_watch(watch, QFile::encodeName(folder).constData(), IN_CREATE) < 0)
        return 0;
    QProcess child;
    child.setStandardOutputFile(QProcess::nullDevice());
    child.start(program, arguments);
    child.waitForStarted();
    const pid_t pid = pid_t(child.processId());
    mode_t mode = 0;
    QElapsedTimer timer;
    timer.start();
    while (mode == 0 && timer.elapsed() < millis && !child.waitForFinished(0)) {
        pollfd ready = {watch, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0)
            continue;
        alignas(inotify_event) char buffer[4096];
        const ssize_t got = ::read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (mode != 0 || event->len == 0 || QFile::decodeName(event->name) != name)
                continue;
            ::kill(pid, SIGSTOP);
            mode = modeOf(QDir(folder).filePath(name)); // 0 when it came and went already
            ::kill(pid, SIGCONT);
        }
    }
    if (afterwards == Afterwards::Kill)
        ::kill(pid, SIGKILL);
    child.waitForFinished(60000);
    ::close(watch);
    return mode;
}

void addUmasks()
{
    QTest::addColumn<int>("mask");
    QTest::newRow("umask 022") << 022;
    QTest::newRow("umask 000") << 0;
}

// The program's own operations in the fault child.
mode_t modeWhenCreated(const QStringList &arguments, const QString &folder, const QString &name, int millis)
{
    return modeWhenCreated(childProgram(), arguments, folder, name, millis);
}

} // namespace

class TestOwnerOnly : public QObject
{
    Q_OBJECT

private slots:
    void newRegisterIsOwnerOnly_data() { addUmasks(); }
    void newRegisterIsOwnerOnly()
    {
        QFETCH(int, mask);
        const Umask withMask{mode_t(mask)};
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath(QStringLiteral("db.mdb"));
        createRegister(path);
        QCOMPARE(modeOf(path), mode_t(0600));
        // Never over a file that is there.
        QVERIFY_THROWS_EXCEPTION(StoreError, createRegister(path));
    }

    // The build puts a fresh register and empty carriers beside the executable.
    void programFolderFilesAreOwnerOnlyFromTheStart_data() { addUmasks(); }
    void programFolderFilesAreOwnerOnlyFromTheStart()
    {
        QFETCH(int, mask);
        const Umask withMask{mode_t(mask)};
        QTemporaryDir folder;
        const QStringList script = {QStringLiteral("-DSCHEMA=" CORVANE_SOURCE "/src/core/store/schema.sql"),
                                    QStringLiteral("-DFOLDER=") + folder.path(), QStringLiteral("-P"),
                                    QStringLiteral(CORVANE_SOURCE "/scripts/program_folder.cmake")};
        // The file lives only while sqlite3 fills it; a busy machine may miss it, so a few tries.
        mode_t atCreation = 0;
        for (int attempt = 0; attempt < 5 && atCreation == 0; ++attempt) {
            QDir(folder.path()).removeRecursively();
            QDir().mkpath(folder.path());
            atCreation = modeWhenCreated(QStringLiteral(CMAKE_PROGRAM), script, folder.path(),
                                         QStringLiteral("db.mdb.building"), 20000, Afterwards::RunToEnd);
        }
        QCOMPARE(atCreation, mode_t(0600));
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
        QCOMPARE(QProcess::execute(QStringLiteral(CMAKE_PROGRAM), script), 0);
        for (const QString &name :
             {QStringLiteral("db.mdb"), QStringLiteral("key.exe"), QStringLiteral("sk.exe")})
            QCOMPARE(modeOf(QDir(folder.path()).filePath(name)), mode_t(0600));
        QVERIFY(isSqliteFile(QDir(folder.path()).filePath(QStringLiteral("db.mdb"))));
    }

    void compactionFilesAreOwnerOnlyFromTheStart_data() { addUmasks(); }
    void compactionFilesAreOwnerOnlyFromTheStart()
    {
        QFETCH(int, mask);
        const Umask withMask{mode_t(mask)};
        TestFolder world;
        SiteBuilder::addMany(world, 3000, 600);
        const QStringList compact = {QStringLiteral("loop"), QStringLiteral("compact"), world.folder()};
        QCOMPARE(modeWhenCreated(compact, world.folder(), QStringLiteral("newdb.mdb"), 20000), mode_t(0600));

        // The register the compaction puts in place, and the backup only a failed run makes.
        std::unique_ptr<Connection> shared(new Connection);
        shared->setConnectionString(Connection::connectionStringFor(world.folder()));
        Compaction::compactRegister(shared.get(), world.folder());
        QCOMPARE(modeOf(world.databasePath()), mode_t(0600));
        QFile file(world.databasePath());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2));
        file.write(QByteArray(8192, '\x55'));
        file.close();
        const QStringList failing = {QStringLiteral("once"), QStringLiteral("compact"), world.folder(),
                                     QString::number(1LL << 40)};
        QCOMPARE(modeWhenCreated(failing, world.folder(), QStringLiteral("tempdb.mdb"), 20000), mode_t(0600));
        QVERIFY_THROWS_EXCEPTION(StoreError, Compaction::compactRegister(shared.get(), world.folder()));
        QCOMPARE(modeOf(world.file(QStringLiteral("tempdb.mdb"))), mode_t(0600));
    }

    void convertedRegisterAndOriginalAreOwnerOnly_data() { addUmasks(); }
    void convertedRegisterAndOriginalAreOwnerOnly()
    {
        QFETCH(int, mask);
        const QString legacy = QStringLiteral(CORVANE_LEGACY_DATA "/db.mdb");
        if (!QFileInfo::exists(legacy))
            QSKIP("the legacy register is not there");
        const Umask withMask{mode_t(mask)};
        TestFolder world;
        // The legacy register as the user copied it over from the old machine: readable by
        // everyone, and nothing left of an earlier conversion.
        auto installLegacy = [&] {
            for (const QString &left : filesIn(world.folder())) {
                if (left.startsWith(QLatin1String("db.")))
                    QFile::remove(world.file(left));
            }
            QVERIFY(QFile::copy(legacy, world.databasePath()));
            QFile::setPermissions(world.databasePath(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        };
        const QStringList convert = {QStringLiteral("once"), QStringLiteral("convert"), world.folder(),
                                     QString::number(1LL << 40)};
        // The new register lives a few milliseconds under its working name; on a busy machine
        // the watch may miss it, so it gets a few tries.
        mode_t atCreation = 0;
        for (int attempt = 0; attempt < 5 && atCreation == 0; ++attempt) {
            installLegacy();
            atCreation = modeWhenCreated(convert, world.folder(), QStringLiteral("db.mdb.converting"), 60000);
        }
        QCOMPARE(atCreation, mode_t(0600));

        installLegacy();
        QProcess child;
        child.start(childProgram(), convert);
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
        QVERIFY(isSqliteFile(world.databasePath()));
        QCOMPARE(modeOf(world.databasePath()), mode_t(0600));
        QCOMPARE(modeOf(world.file(QStringLiteral("db.jet.mdb"))), mode_t(0600));
    }

    void workFilesAndTheirFolderAreOwnerOnly_data() { addUmasks(); }
    void workFilesAndTheirFolderAreOwnerOnly()
    {
        QFETCH(int, mask);
        const Umask withMask{mode_t(mask)};
        TestFolder world;
        const QString folder = WorkFolder::path();
        QCOMPARE(modeOf(folder), mode_t(0700));
        const QStringList append = {QStringLiteral("loop"), QStringLiteral("append"), world.folder()};
        QCOMPARE(modeWhenCreated(append, folder, QStringLiteral("sks.txt"), 20000), mode_t(0600));

        QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("密钥123")), WriteResult::Written);
        const QString target = QDir(folder).filePath(QStringLiteral("sktemp.txt"));
        QVERIFY(extractTrailer(world.file(QStringLiteral("sk.exe")), target));
        QCOMPARE(modeOf(target), mode_t(0600));
    }

    // A work folder others can reach is passed over for one that is the owner's alone.
    void sharedWorkFolderIsPassedOver()
    {
        TestFolder world;
        const TempLocation temp(world.runtimeFolder()); // where the fresh folder goes
        const QString shared = WorkFolder::path();
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0770) == 0);
        QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("x")), WriteResult::Written);
        const QString used = WorkFolder::path();
        QVERIFY(used != shared);
        QCOMPARE(modeOf(used), mode_t(0700));
        QCOMPARE(filesIn(shared), QStringList());
    }

    void exportsFollowTheUmask_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("mode");
        QTest::newRow("umask 022") << 022 << 0644;
        QTest::newRow("umask 027") << 027 << 0640;
        QTest::newRow("umask 000") << 0 << 0666;
    }
    void exportsFollowTheUmask()
    {
        QFETCH(int, mask);
        QFETCH(int, mode);
        const Umask withMask{mode_t(mask)};
        QTemporaryDir folder;
        TableGrid grid;
        grid.columns << TableGrid::siteColumn(QStringLiteral("网站编号"), 80);
        grid.rows << QVariantList{QStringLiteral("100001")};
        for (ExportKind kind :
             {ExportKind::Xls, ExportKind::Csv, ExportKind::Html, ExportKind::Rtf, ExportKind::Text}) {
            const QString path =
                QDir(folder.path()).filePath(QStringLiteral("export.") + ExportFile::extension(kind));
            saveGridToExportFile(kind, grid, path);
            QCOMPARE(modeOf(path), mode_t(mode));
        }
    }
};

QTEST_GUILESS_MAIN(TestOwnerOnly)
#include "tst_owneronly.moc"
