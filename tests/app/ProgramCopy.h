#pragma once

#include "store/RegisterFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

inline const QString DejaVu = QStringLiteral("/usr/share/fonts/truetype/dejavu/");

// A program folder of its own (executable, fresh register, empty carriers) and a
// private runtime folder, so the instance lock is this test's alone. Without its register
// the copy is an installed program.
class ProgramCopy
{
public:
    explicit ProgramCopy(bool withFonts, bool withRegister = true)
    {
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_ready = QFile::copy(QStringLiteral(CORVANE_EXE), executable());
        if (!withRegister)
            return;
        createRegister(m_folder.filePath(QStringLiteral("db.mdb")));
        for (const QString &carrier : {QStringLiteral("key.exe"), QStringLiteral("sk.exe")}) {
            QFile file(m_folder.filePath(carrier));
            m_ready = m_ready && file.open(QIODevice::WriteOnly);
        }
        if (withFonts) {
            m_ready = m_ready &&
                      QFile::copy(DejaVu + QStringLiteral("DejaVuSans.ttf"),
                                  m_folder.filePath(QStringLiteral("msyh.TTF"))) &&
                      QFile::copy(DejaVu + QStringLiteral("DejaVuSans-Bold.ttf"),
                                  m_folder.filePath(QStringLiteral("msyhbd.TTF")));
        }
    }

    bool ready() const { return m_ready; }
    QString executable() const { return m_folder.filePath(QStringLiteral("corvane")); }
    QString file(const QString &name) const { return m_folder.filePath(name); }
    // The copy's user settings, the user's own never read.
    QString configFolder() const { return m_runtime.filePath(QStringLiteral("config")); }

    void start(QProcess &process, const QStringList &arguments = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        start(process, arguments, environment);
    }

    void start(QProcess &process, const QStringList &arguments, QProcessEnvironment environment) const
    {
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        if (!environment.contains(QStringLiteral("XDG_CONFIG_HOME")))
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_runtime.path());
        process.start(executable(), arguments);
    }

    // True when the process holds the instance lock: read from /proc/locks, so that
    // looking never takes the lock away from a starting program.
    bool lockHeldBy(qint64 pid) const
    {
        struct stat info
        {
        };
        const QString lock = QDir(m_runtime.path()).filePath(QStringLiteral("corvane/Corvane"));
        if (stat(QFile::encodeName(lock).constData(), &info) != 0)
            return false;
        QFile locks(QStringLiteral("/proc/locks"));
        if (!locks.open(QIODevice::ReadOnly))
            return false;
        const QByteArray inode = ":" + QByteArray::number(qulonglong(info.st_ino)) + " ";
        for (const QByteArray &line : locks.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (line.contains("FLOCK") && fields.size() > 5 && fields.at(4) == QByteArray::number(pid) &&
                (fields.at(5) + ' ').endsWith(inode))
                return true;
        }
        return false;
    }

    // Starts the program and waits until it runs and holds the lock.
    bool startRunning(QProcess &process) const
    {
        start(process);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 30000) {
            if (process.state() == QProcess::NotRunning)
                return false;
            if (process.state() == QProcess::Running && lockHeldBy(process.processId()))
                return true;
            QTest::qWait(20);
        }
        return false;
    }

private:
    QTemporaryDir m_folder;
    QTemporaryDir m_runtime;
    bool m_ready = false;
};

inline void killAndWait(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished(10000);
}

// A command on the terminal (--due, --copy-register-to, the protection commands) run to its end,
// with the input given on its standard input.
struct CommandRun
{
    int status = -1; // -1: it did not end within a minute, or crashed
    QByteArray out;
    QString err;
};

inline CommandRun runCommand(const QString &executable, const QStringList &arguments,
                             const QByteArray &input = QByteArray())
{
    QProcess process;
    process.start(executable, arguments);
    process.write(input);
    process.closeWriteChannel();
    CommandRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
