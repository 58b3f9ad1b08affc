// The team register under load: 100,000 sites on a private PostgreSQL server, ten desks each
// with a connection of its own refreshing, searching and saving for a minute, beside the same
// work on the SQLite file by one desk and by ten. At the end every save that went through must
// be in the register; a refused save is counted apart, and a desk that does not finish hangs.
// Usage: bench_team_load [sites] [seconds] [desks] (default 100000 60 10).
#include "BenchKit.h"
#include "TeamDesk.h"
#include "TestFolder.h"
#include "store/Connection.h"
#include "store/RegisterCopy.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// A server of the bench's own, started and stopped the way the tests start theirs.
QString startServer(const QString &conninfoFile)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(CORVANE_TEST_SERVER_SCRIPT), QStringLiteral("start"), conninfoFile});
    QFile file(conninfoFile);
    if (!script.waitForFinished(120000) || script.exitCode() != 0 || !file.open(QIODevice::ReadOnly))
        qFatal("the bench server did not start");
    return QString::fromUtf8(file.readAll()).trimmed();
}

void stopServer(const QString &conninfoFile)
{
    QProcess::execute(QStringLiteral("bash"),
                      {QStringLiteral(CORVANE_TEST_SERVER_SCRIPT), QStringLiteral("stop"), conninfoFile});
}

void runOn(const QString &conninfo, const QString &sql)
{
    const QString name = QStringLiteral("bench-admin");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(conninfo);
        if (!db.open() || !QSqlQuery(db).exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(db.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
}

double copyToServer(const QString &path, const QString &conninfo, int sites)
{
    Connection source;
    source.setConnectionString(QStringLiteral("Data Source=") + path);
    Connection target;
    target.setServer(conninfo);
    int copied = 0;
    // The copy wants a database with no table at all: it gets its own connection to it.
    const double ms = Bench::milliseconds([&] {
        const QString name = QStringLiteral("bench-copy");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setConnectOptions(conninfo);
            if (!db.open())
                qFatal("%s", qPrintable(db.lastError().text()));
            copied = RegisterCopy::copy(source.database(), db);
        }
        QSqlDatabase::removeDatabase(name);
    });
    if (copied != sites)
        qFatal("the copy took %d sites of %d", copied, sites);
    return ms;
}

struct LoadFigures
{
    QString what;
    QList<double> refreshMs;
    int saves = 0, refused = 0, failed = 0, searches = 0, badLists = 0, lost = 0, hung = 0;
    double seconds = 0, longestStepMs = 0;
    QStringList errors;
};

double percentile(QList<double> values, double share)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(share * double(values.size()))));
}

// Every save that went through is in the register: each site holds the remark of the save
// that gave it its highest version, at that version, and no two saves gave a site one version.
int lostSaves(const DeskRegister &where, const QList<DoneSave> &done)
{
    QHash<qint64, DoneSave> last;
    QSet<QPair<qint64, qint64>> versions;
    int lost = 0;
    for (const DoneSave &save : done) {
        if (versions.contains({save.id, save.version}))
            ++lost;
        versions.insert({save.id, save.version});
        if (save.version > last.value(save.id).version)
            last.insert(save.id, save);
    }
    Connection connection;
    if (where.conninfo.isEmpty())
        connection.setConnectionString(QStringLiteral("Data Source=") + where.path);
    else
        connection.setServer(where.conninfo);
    QSqlQuery stored(connection.database());
    stored.exec(QStringLiteral("select id, version, web_remark from t_webinfo"));
    while (stored.next()) {
        const auto it = last.constFind(stored.value(0).toLongLong());
        if (it != last.constEnd() &&
            (stored.value(1).toLongLong() != it->version || stored.value(2).toString() != it->remark))
            ++lost;
    }
    return lost;
}

void gather(LoadFigures &figures, const DeskFigures &desk, QList<DoneSave> &done)
{
    figures.refreshMs += desk.refreshMs;
    figures.saves += desk.saves;
    figures.refused += desk.refused;
    figures.failed += desk.failed;
    figures.searches += desk.searches;
    figures.badLists += desk.badLists;
    figures.longestStepMs = std::max(figures.longestStepMs, desk.longestStepMs);
    if (!desk.error.isEmpty())
        figures.errors << QStringLiteral("a desk stopped: ") + desk.error;
    if (!desk.lastFailure.isEmpty() && figures.errors.size() < 3)
        figures.errors << QStringLiteral("a save failed: ") + desk.lastFailure;
    done += desk.done;
}

LoadFigures runDesks(const QString &what, const DeskRegister &where, int desks, int seconds)
{
    LoadFigures figures;
    figures.what = what;
    const QDeadlineTimer deadline{qint64(seconds) * 1000};
    std::vector<std::unique_ptr<TeamDesk>> team;
    for (int number = 1; number <= desks; ++number)
        team.push_back(std::make_unique<TeamDesk>(where, number, deadline));
    for (auto &desk : team)
        desk->start();
    QList<DoneSave> done;
    for (auto &desk : team) {
        // A desk still at work half a minute after its time has hung.
        if (!desk->wait(QDeadlineTimer(deadline.remainingTime() + 30000))) {
            ++figures.hung;
            continue;
        }
        gather(figures, desk->figures(), done);
    }
    figures.seconds = seconds;
    if (figures.hung == 0)
        figures.lost = lostSaves(where, done);
    else
        std::printf("%s: %d desks hung; the figures are left incomplete\n", qPrintable(what), figures.hung);
    return figures;
}

void print(const LoadFigures &f)
{
    std::printf("%-22s %9.1f %9.1f %9.1f %8d %8d %11.1f %6d %7d %5d %9.0f\n", qPrintable(f.what),
                percentile(f.refreshMs, 0.5), percentile(f.refreshMs, 0.95), f.saves / f.seconds, f.refused,
                f.failed, f.searches / f.seconds, f.badLists, f.lost, f.hung, f.longestStepMs);
    for (const QString &error : f.errors)
        std::printf("  %s\n", qPrintable(error));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int sites = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    const int desks = argc > 3 ? std::atoi(argv[3]) : 10;
    QTemporaryDir work;
    const QString conninfoFile = work.filePath(QStringLiteral("server.conninfo"));
    const QString server = startServer(conninfoFile);
    auto stop = qScopeGuard([&] { stopServer(conninfoFile); });
    runOn(server + QStringLiteral(" dbname=postgres"), QStringLiteral("create database corvane_load"));
    const QString conninfo = server + QStringLiteral(" dbname=corvane_load");

    const QString path = work.filePath(QStringLiteral("db.mdb"));
    {
        TestFolder fresh;
        QFile::copy(fresh.databasePath(), path);
    }
    const double fillMs = Bench::milliseconds([&] { Bench::fillRegister(path, sites); });
    const double copyMs = copyToServer(path, conninfo, sites);
    std::printf("%d sites: written to the file in %.1f s, copied to the server and verified in %.1f s\n",
                sites, fillMs / 1000, copyMs / 1000);
    std::printf("%d s per run; each desk: refresh, then 5 x (search, load a site, save its remark)\n\n",
                seconds);
    std::printf("%-22s %9s %9s %9s %8s %8s %11s %6s %7s %5s %9s\n", "", "refresh", "p95 ms", "saves/s",
                "refused", "failed", "searches/s", "wrong", "lost", "hung", "longest");
    std::printf("%-22s %9s\n", "", "median ms");
    print(runDesks(QStringLiteral("PostgreSQL, %1 desks").arg(desks), {QString(), conninfo, sites}, desks,
                   seconds));
    print(runDesks(QStringLiteral("SQLite, 1 desk"), {path, QString(), sites}, 1, seconds));
    print(runDesks(QStringLiteral("SQLite, %1 desks").arg(desks), {path, QString(), sites}, desks, seconds));
    return 0;
}
