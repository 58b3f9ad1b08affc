#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// Another program with the register open in a transaction, through the sqlite3 tool:
// Exclusive keeps readers out as well; Write has changed a row and not committed yet.
// Commits and quits when it lets go (at the latest when destroyed).
class LockingProgram
{
public:
    enum Kind { Exclusive, Write };

    LockingProgram(const QString &path, Kind kind)
    {
        m_tool.start(QStringLiteral("sqlite3"), {path});
        m_tool.waitForStarted();
        const QByteArray begin =
            kind == Exclusive ? "BEGIN EXCLUSIVE;\n"
                              : "BEGIN IMMEDIATE;\nUPDATE t_webinfo SET web_remark='其他程序' WHERE id=1;\n";
        m_tool.write(begin + "SELECT 'holding';\n");
        m_holding = m_tool.waitForReadyRead(10000) && m_tool.readAllStandardOutput().contains("holding");
    }
    ~LockingProgram() { letGo(); }
    LockingProgram(const LockingProgram &) = delete;
    LockingProgram &operator=(const LockingProgram &) = delete;

    bool holding() const { return m_holding; }
    void letGo()
    {
        if (m_tool.state() == QProcess::NotRunning)
            return;
        m_tool.write("COMMIT;\n.quit\n");
        m_tool.closeWriteChannel();
        m_tool.waitForFinished(10000);
    }

private:
    QProcess m_tool;
    bool m_holding = false;
};
