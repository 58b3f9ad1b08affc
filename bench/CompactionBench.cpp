// Compaction as the user waits for it: from the click on the settings window's compaction
// button to its message, each run on a fresh copy of the register, next to sqlite3's own
// VACUUM INTO of the same register with its copy flushed to disk.
#include "BenchKit.h"
#include "BenchSections.h"
#include "DialogRecorder.h"
#include "TestWorld.h"
#include "gui/SettingsWindow.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

void copyRegister(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("cannot copy the register to %s", qPrintable(to));
}

// What the compaction owes beyond VACUUM INTO: the copy on disk before it replaces db.mdb.
void syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0)
        qFatal("cannot flush %s", qPrintable(path));
    ::close(fd);
}

double vacuumIntoMs(const QString &pristine, const QString &folder)
{
    const QString source = folder + QStringLiteral("/source.mdb");
    const QString copy = folder + QStringLiteral("/vacuumed.mdb");
    copyRegister(pristine, source);
    QFile::remove(copy);
    const QStringList vacuum{source, QStringLiteral("VACUUM INTO '%1'").arg(copy)};
    return Bench::runProgram(QStringLiteral("sqlite3"), vacuum) +
           Bench::milliseconds([&] { syncFile(copy); });
}

double clickToMessageMs(const QString &pristine, const TestWorld &world, DialogRecorder &recorder)
{
    copyRegister(pristine, world.databasePath());
    recorder.clear();
    auto *button = settingsWindow()->findChild<QPushButton *>(QStringLiteral("compactButton"));
    const double ms = Bench::milliseconds([button] { button->click(); });
    if (recorder.texts() != QStringList{QStringLiteral("压缩数据库成功")})
        qFatal("the compaction failed: %s", qPrintable(recorder.texts().join(QLatin1Char('|'))));
    return ms;
}

} // namespace

void benchCompaction(BenchTable &table, const BenchRegister &bench)
{
    QTemporaryDir work;
    DialogRecorder recorder;
    TestWorld world;
    settingsWindow()->show();
    QApplication::processEvents();
    const auto [vacuum, click] =
        Bench::alternatedMedians([&] { return vacuumIntoMs(bench.pristinePath, work.path()); },
                                 [&] { return clickToMessageMs(bench.pristinePath, world, recorder); });
    table.add({QStringLiteral("compaction, click to message"), click, QStringLiteral("ms"),
               QStringLiteral("sqlite3 VACUUM INTO + fsync"), vacuum, 1.5});
}
