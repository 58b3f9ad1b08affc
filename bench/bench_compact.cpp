// Times the compaction of a 100,000-site register next to sqlite3's own VACUUM INTO
// on the same file. Run by hand: bench_compact [sites]
#include "store/Compaction.h"
#include "store/Connection.h"
#include "store/RegisterFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// A register as years of use leave it: full rows, a tenth of them deleted again.
void fillRegister(const QString &path, int sites)
{
    createRegister(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        const QString fill = QStringLiteral(
            "with recursive n(i) as (select 1 union all select i+1 from n where i<SITES) "
            "insert into t_webinfo(web_id,web_name,web_address,web_login,web_user,web_pass,web_ip,web_size,"
            "web_domain,web_domainuser,web_domainpass,web_linkman,web_dbname,web_dbsize,web_dbip,web_dbuser,"
            "web_dbpass,web_dbtype,web_time,web_endtime,web_domaintime,web_enddomaintime,web_remark) "
            "select printf('2011%010d',i),'网站 "
            "'||i,'www.site'||i||'.example.com','admin.site'||i||'.example.com',"
            "randomblob(18),randomblob(20),'192.168.'||(i%256)||'.'||(i/256%256),'500M',"
            "'site'||i||'.example.com',randomblob(30),randomblob(20),'联系人'||i,randomblob(16),'100M',"
            "randomblob(22),randomblob(16),randomblob(20),'MySQL',"
            "date('2010-01-01','+'||(i%700)||' days'),date('2011-01-01','+'||(i%700)||' days'),"
            "date('2010-01-01','+'||(i%500)||' days'),date('2011-01-01','+'||(i%500)||' days'),"
            "'备注 '||hex(randomblob(40)) from n");
        if (!query.exec(QString(fill).replace(QLatin1String("SITES"), QString::number(sites))) ||
            !query.exec(QStringLiteral("delete from t_webinfo where id % 10 = 3")))
            qFatal("cannot fill the register: %s", qPrintable(query.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

void freshCopy(const QString &pristine, const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QFile::copy(pristine, folder + QStringLiteral("/db.mdb"));
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int sites = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir work;
    const QString pristine = work.filePath(QStringLiteral("pristine.mdb"));
    fillRegister(pristine, sites);
    std::printf("register: %d sites written, %d kept, %lld bytes\n", sites, sites - sites / 10,
                QFileInfo(pristine).size());

    const int runs = 5;
    QList<double> ours;
    QList<double> theirs;
    qint64 compactedSize = 0;
    for (int run = 0; run < runs; ++run) {
        const QString mine = work.filePath(QStringLiteral("ours"));
        freshCopy(pristine, mine);
        Connection shared;
        shared.setConnectionString(Connection::connectionStringFor(mine));
        QElapsedTimer timer;
        timer.start();
        Compaction::compactRegister(&shared, mine);
        ours << timer.nsecsElapsed() / 1e6;
        compactedSize = QFileInfo(mine + QStringLiteral("/db.mdb")).size();

        const QString other = work.filePath(QStringLiteral("sqlite3"));
        freshCopy(pristine, other);
        timer.restart();
        const int status = QProcess::execute(
            QStringLiteral("sqlite3"),
            {other + QStringLiteral("/db.mdb"), QStringLiteral("VACUUM INTO '%1/x.mdb'").arg(other)});
        theirs << timer.nsecsElapsed() / 1e6;
        if (status != 0) {
            std::fprintf(stderr, "sqlite3 failed (%d)\n", status);
            return 1;
        }
    }
    std::printf("compacted register: %lld bytes\n", compactedSize);
    std::printf("Compaction::compactRegister: median %.0f ms of %d runs\n", median(ours), runs);
    std::printf("sqlite3 VACUUM INTO:         median %.0f ms of %d runs\n", median(theirs), runs);
    return 0;
}
