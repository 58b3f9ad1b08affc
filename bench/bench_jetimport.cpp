// Times the conversion of a 10,000-site Jet register next to mdb-export of the same
// table into a file, the plain reading that any conversion has to do. Not a CTest test:
// run it by hand from the build folder (tests/store/bench_jetimport).

#include "legacy/JetImport.h"
#include "legacy/JetReader.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int runs = 3;

bool run(const QString &program, const QStringList &arguments, const QString &folder,
         const QString &output = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

qint64 median(QList<qint64> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int sites(const QString &path)
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("select count(*) from t_webinfo")) && query.next())
            count = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    JetReader::setProgram(QStringLiteral(CORVANE_JET_READER));
    QTemporaryDir dir;
    const QString packed = dir.filePath(QStringLiteral("db.mdb.gz"));
    const QString jet = dir.filePath(QStringLiteral("db.mdb"));
    if (!QFile::copy(QStringLiteral(CORVANE_LEGACY_10K "/db.mdb.gz"), packed) ||
        !run(QStringLiteral("gunzip"), {QStringLiteral("-k"), packed}, dir.path())) {
        std::fprintf(stderr, "cannot unpack the 10,000-site register\n");
        return 1;
    }
    QList<qint64> exportTimes;
    QList<qint64> convertTimes;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        if (!run(QStringLiteral("mdb-export"), {jet, QStringLiteral("t_webinfo")}, dir.path(),
                 dir.filePath(QStringLiteral("t_webinfo.csv")))) {
            std::fprintf(stderr, "mdb-export failed\n");
            return 1;
        }
        exportTimes << timer.elapsed();

        // Each run converts a fresh copy in a folder of its own.
        QDir(dir.path()).mkdir(QString::number(i));
        const QString copy = dir.filePath(QStringLiteral("%1/db.mdb").arg(i));
        QFile::copy(jet, copy);
        timer.start();
        try {
            JetImport::convert(copy);
        } catch (const StoreError &error) {
            std::fprintf(stderr, "conversion failed: %s\n", qPrintable(error.message()));
            return 1;
        }
        convertTimes << timer.elapsed();
        if (sites(copy) != 10000) {
            std::fprintf(stderr, "the converted register does not hold 10,000 sites\n");
            return 1;
        }
    }
    std::printf("Jet register of 10,000 sites (%lld bytes), median of %d runs:\n", QFile(jet).size(), runs);
    std::printf("  conversion into the register      %6lld ms\n", median(convertTimes));
    std::printf("  mdb-export db.mdb t_webinfo > file %6lld ms\n", median(exportTimes));
    return 0;
}
