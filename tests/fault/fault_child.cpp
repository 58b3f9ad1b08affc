// The program's own operations, run by a process the fault tests can kill or starve:
//
//   fault_child loop <insert|save|append|rekey|compact> <folder>
//       repeats the operation until killed; prints "ready", then the number of every
//       operation that completed, one per line.
//   fault_child step <protect|unprotect|addslot|removeslot|password> <folder>
//       opens the register, prints "ready", runs the protection step once, prints "1" and waits
//       to be killed, so that every kill falls in that step or after it.
//   fault_child once <append|compact|export|convert> <folder> <file size limit> [rows]
//       runs the operation once with the file size limit set (a full disk) and prints
//       "done", "refused" or "failed: <what>"; exit status 0, 1 or 2 accordingly.
#include "FaultSites.h"
#include "ProtectionSteps.h"

#include "TableGrid.h"

#include "export/ExportFile.h"
#include "legacy/JetImport.h"
#include "legacy/JetReader.h"
#include "platform/ProgramFolder.h"
#include "secrets/TrailerStore.h"
#include "sites/KeyChange.h"
#include "store/Compaction.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <exception>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int count(Query &query, const QString &sql)
{
    query.setSql(sql);
    query.open();
    return query.recordCount();
}

[[noreturn]] void insertLoop(Connection &connection)
{
    Query query(&connection);
    for (int site = count(query, Statements::MainList);; ++site) {
        query.setSql(Statements::InsertSite);
        FaultSites::bind(query, FaultSites::insertValues(site), FaultSites::siteNumber(site));
        query.execute();
        say(QString::number(site));
    }
}

[[noreturn]] void saveLoop(Connection &connection)
{
    Query query(&connection);
    query.setSql(Statements::LoadSite);
    query.setParameter(QStringLiteral("web_address"), FaultSites::address(0));
    query.open();
    const QString id = query.text(QStringLiteral("id"));
    // Each save moves the row's own version on by one.
    qint64 rowVersion = query.text(QStringLiteral("version")).toLongLong();
    // The version saved last is in the name: "名称<k>".
    for (int version = query.text(QStringLiteral("web_name")).mid(2).toInt() + 1;; ++version) {
        query.setSql(Statements::SaveSiteSection);
        FaultSites::bind(query, FaultSites::sectionValues(version), FaultSites::siteNumber(0));
        query.setParameter(QStringLiteral("id"), id);
        query.setParameter(QStringLiteral("web_address"), FaultSites::address(0));
        query.setParameter(QStringLiteral("version"), QString::number(rowVersion++));
        query.execute();
        say(QString::number(version));
    }
}

int lastSecretNumber()
{
    QString secret;
    readSecret(SecretStore::secretKey(), secret);
    return secret.startsWith(QLatin1String("secret-")) ? secret.mid(7).toInt() : 0;
}

[[noreturn]] void appendLoop()
{
    for (int number = lastSecretNumber() + 1;; ++number) {
        if (writeSecret(SecretStore::secretKey(), QStringLiteral("secret-%1").arg(number)) !=
            WriteResult::Written)
            std::exit(3);
        say(QString::number(number));
    }
}

[[noreturn]] void rekeyLoop(Connection &connection)
{
    QString key;
    readSecret(SecretStore::secretKey(), key);
    for (int number = FaultSites::changeNumber(key) + 1;; ++number) {
        const QString next = FaultSites::changedKey(number);
        KeyChange::change(&connection, key, next);
        key = next;
        say(QString::number(number));
    }
}

[[noreturn]] void compactLoop(Connection &connection, const QString &folder)
{
    for (int run = 1;; ++run) {
        Compaction::compactRegister(&connection, folder);
        say(QString::number(run));
    }
}

[[noreturn]] void protectionStep(Connection &connection, const QString &step)
{
    connection.open();
    say(QStringLiteral("ready"));
    ProtectionSteps::run(step, &connection);
    say(QStringLiteral("1"));
    for (;;)
        ::pause();
}

// A grid of plain rows, large enough to outgrow a small limit.
void exportGrid(const QString &folder, int rows)
{
    TableGrid grid;
    for (int i = 0; i < 5; ++i)
        grid.columns << TableGrid::siteColumn(QStringLiteral("列%1").arg(i), 80);
    for (int r = 0; r < rows; ++r)
        grid.rows << QVariantList{FaultSites::siteNumber(r), QStringLiteral("网站%1").arg(r),
                                  FaultSites::address(r), QStringLiteral("2011-3-7"),
                                  QStringLiteral("联系人%1").arg(r)};
    saveGridToExportFile(ExportKind::Csv, grid, QDir(folder).filePath(QStringLiteral("export.csv")));
}

int once(const QString &operation, Connection &connection, const QString &folder, qint64 limit, int rows)
{
    // A full disk as far as this process can tell: writes past the limit fail with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit fileSize = {rlim_t(limit), rlim_t(limit)};
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
        return 4;
    try {
        if (operation == QLatin1String("append")) {
            if (writeSecret(SecretStore::secretKey(), QStringLiteral("after-the-limit")) !=
                WriteResult::Written) {
                say(QStringLiteral("refused"));
                return 1;
            }
        } else if (operation == QLatin1String("compact")) {
            Compaction::compactRegister(&connection, folder);
        } else if (operation == QLatin1String("export")) {
            exportGrid(folder, rows);
        } else if (operation == QLatin1String("convert")) {
            JetReader::setProgram(QStringLiteral(CORVANE_JET_READER));
            connection.open(); // a Jet register is converted on opening
        } else {
            return 4;
        }
    } catch (const std::exception &error) {
        say(QStringLiteral("failed: ") + QString::fromLocal8Bit(error.what()));
        return 2;
    }
    say(QStringLiteral("done"));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 4;
    const QString &operation = args.at(2);
    const QString &folder = args.at(3);
    ProgramFolder::use(folder);
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(folder));
    connection.setPreparation(&JetImport::prepareRegister);
    if (args.at(1) == QLatin1String("once") && args.size() >= 5)
        return once(operation, connection, folder, args.at(4).toLongLong(), args.value(5).toInt());
    const bool step = args.at(1) == QLatin1String("step");
    if (args.at(1) != QLatin1String("loop") && !step)
        return 4;
    if (!step)
        say(QStringLiteral("ready"));
    try {
        if (step)
            protectionStep(connection, operation);
        if (operation == QLatin1String("insert"))
            insertLoop(connection);
        if (operation == QLatin1String("save"))
            saveLoop(connection);
        if (operation == QLatin1String("append"))
            appendLoop();
        if (operation == QLatin1String("rekey"))
            rekeyLoop(connection);
        if (operation == QLatin1String("compact"))
            compactLoop(connection, folder);
    } catch (const std::exception &error) {
        say(QStringLiteral("failed: ") + QString::fromLocal8Bit(error.what()));
        return 2;
    }
    return 4;
}
