#pragma once

#include "store/Connection.h"
#include "store/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

// Helpers shared by the fault tests: the child that runs the program's operations, the
// register as the program opens it after a crash, and file modes.
namespace FaultKit {

inline QString childProgram()
{
    return QStringLiteral(FAULT_CHILD);
}

inline mode_t modeOf(const QString &path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

// Sets the umask for the lifetime of the object; children started meanwhile inherit it.
class Umask
{
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }
    Umask(const Umask &) = delete;
    Umask &operator=(const Umask &) = delete;

private:
    mode_t m_old;
};

// The kill test's random moments, from a seed that is printed so a failure can be replayed
// (CORVANE_KILL_SEED=<seed>).
inline QRandomGenerator &moments()
{
    static QRandomGenerator generator = [] {
        const quint32 seed = qEnvironmentVariableIsSet("CORVANE_KILL_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("CORVANE_KILL_SEED"))
                                 : QRandomGenerator::system()->generate();
        qInfo("kill moments from CORVANE_KILL_SEED=%u", seed);
        return QRandomGenerator(seed);
    }();
    return generator;
}

// How many kills each operation gets (CORVANE_KILLS raises it for a longer hunt).
inline int killCount()
{
    const int wanted = qEnvironmentVariableIntValue("CORVANE_KILLS");
    return wanted > 0 ? wanted : 100;
}

struct Outcome
{
    std::optional<int> lastDone; // the number of the last operation the child finished
    QString failure;             // what the child reported when it stopped by itself
};

// Runs "fault_child <mode> <operation> <folder>" and kills it (SIGKILL) a random number of
// microseconds, below maxMicros, after it is ready.
inline Outcome killDuring(const QString &operation, const QString &folder, int maxMicros,
                          const QString &mode = QStringLiteral("loop"))
{
    QProcess child;
    child.start(childProgram(), {mode, operation, folder});
    Outcome outcome;
    if (!child.waitForStarted() || !child.waitForReadyRead(20000)) {
        outcome.failure = QStringLiteral("the child did not start");
        return outcome;
    }
    const int micros = int(moments().bounded(maxMicros));
    ::usleep(useconds_t(micros));
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished(20000);
    const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
    // The last piece is whatever followed the last complete line: possibly cut short.
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.startsWith("failed"))
            outcome.failure = QString::fromLocal8Bit(line);
        bool isNumber = false;
        const int number = line.toInt(&isNumber);
        if (isNumber)
            outcome.lastDone = number;
    }
    if (child.exitStatus() != QProcess::CrashExit && outcome.failure.isEmpty())
        outcome.failure = QStringLiteral("the child ended by itself with status %1").arg(child.exitCode());
    return outcome;
}

// The register as the program opens it on its next start.
inline QString integrity(Connection &connection)
{
    Query check(&connection);
    check.setSql(QStringLiteral("PRAGMA integrity_check"));
    check.open();
    return check.recordCount() == 1 ? check.textAt(0, 0)
                                    : QStringLiteral("%1 problems").arg(check.recordCount());
}

// A journal left with content means the kill came in the middle of a transaction.
inline bool journalLeft(const QString &folder)
{
    return QFileInfo(QDir(folder).filePath(QStringLiteral("db.mdb-journal"))).size() > 0;
}

inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace FaultKit
