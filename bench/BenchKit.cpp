#include "BenchKit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

void BenchTable::add(const BenchLine &line)
{
    m_lines << line;
}

void BenchTable::note(const QString &what, double figure, const QString &unit, double limit)
{
    m_lines << BenchLine{what, figure, unit, QString(), limit, 0};
}

namespace {

bool met(const BenchLine &line)
{
    if (line.anchor.isEmpty())
        return line.anchorFigure <= 0 || line.figure <= line.anchorFigure;
    return line.goal <= 0 || line.figure <= line.goal * line.anchorFigure;
}

} // namespace

void BenchTable::print() const
{
    std::printf("\n%-40s %12s   %-36s %12s %7s %7s  %s\n", "what", "figure", "anchor (same run)", "anchor",
                "ratio", "goal", "");
    for (const BenchLine &line : m_lines) {
        const QByteArray what = line.what.toUtf8();
        if (line.anchor.isEmpty()) {
            std::printf("%-40s %9.1f %-2s   %-36s %12s %7s %7s  %s\n", what.constData(), line.figure,
                        qPrintable(line.unit), "(limit)", qPrintable(QString::number(line.anchorFigure)), "",
                        "", met(line) ? "met" : "NOT MET");
            continue;
        }
        const double ratio = line.anchorFigure > 0 ? line.figure / line.anchorFigure : 0;
        std::printf("%-40s %9.1f %-2s   %-36s %9.1f %-2s %6.2fx %6.1fx  %s\n", what.constData(), line.figure,
                    qPrintable(line.unit), line.anchor.toUtf8().constData(), line.anchorFigure,
                    qPrintable(line.unit), ratio, line.goal, met(line) ? "met" : "NOT MET");
    }
}

bool BenchTable::allMet() const
{
    return std::all_of(m_lines.cbegin(), m_lines.cend(), met);
}

namespace Bench {

int runs()
{
    return std::max(5, qEnvironmentVariableIntValue("CORVANE_BENCH_RUNS"));
}

double median(const std::function<double()> &measure)
{
    QList<double> figures;
    for (int run = 0; run < runs(); ++run)
        figures << measure();
    return medianOf(figures);
}

double medianOf(QList<double> figures)
{
    std::sort(figures.begin(), figures.end());
    return figures.at(figures.size() / 2);
}

QPair<double, double> alternatedMedians(const std::function<double()> &first,
                                        const std::function<double()> &second)
{
    QList<double> firsts;
    QList<double> seconds;
    for (int run = 0; run < runs(); ++run) {
        firsts << first();
        seconds << second();
    }
    return {medianOf(firsts), medianOf(seconds)};
}

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

void fillRegister(const QString &path, int sites)
{
    const QString name = QStringLiteral("bench-fill");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        const QString fill = QStringLiteral(
            "with recursive n(i) as (select 1 union all select i+1 from n where i<SITES) "
            "insert into t_webinfo(web_id,web_name,web_address,web_login,web_user,web_pass,web_ip,web_size,"
            "web_domain,web_domainuser,web_domainpass,web_linkman,web_dbname,web_dbsize,web_dbip,web_dbuser,"
            "web_dbpass,web_dbtype,web_time,web_endtime,web_domaintime,web_enddomaintime,web_remark) "
            "select printf('2011%010d',i),'网站名称 site '||i,'www.site'||i||'.example.com',"
            "'http://www.site'||i||'.example.com/admin/',"
            "randomblob(18),randomblob(20),'192.168.'||(i%256)||'.'||(i/256%256),'500M',"
            "'site'||i||'.example.com',randomblob(30),randomblob(20),'联系人'||i,randomblob(16),'100M',"
            "randomblob(22),randomblob(16),randomblob(20),'MySQL',"
            "date('2010-01-01','+'||(i%700)||' days'),date('2011-01-01','+'||(i%700)||' days'),"
            "date('2010-01-01','+'||(i%500)||' days'),date('2011-01-01','+'||(i%500)||' days'),"
            "'备注 '||hex(randomblob(40)) from n");
        if (!query.exec(QString(fill).replace(QLatin1String("SITES"), QString::number(sites))))
            qFatal("cannot fill the register: %s", qPrintable(query.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

double runProgram(const QString &program, const QStringList &arguments, const QString &outputFile)
{
    QProcess process;
    process.setStandardOutputFile(outputFile.isEmpty() ? QProcess::nullDevice() : outputFile);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), qPrintable(process.errorString()));
    return timer.nsecsElapsed() / 1e6;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    return -1;
}

} // namespace Bench
