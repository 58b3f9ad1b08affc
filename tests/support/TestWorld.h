#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh program folder for one test: a new db.mdb from the schema, empty key.exe
// and sk.exe, the program folder pointed at it, and a private runtime folder.
// withWindows also creates the global objects as at start (and destroys them).
class TestWorld
{
public:
    explicit TestWorld(bool withWindows = true);
    ~TestWorld();
    TestWorld(const TestWorld &) = delete;
    TestWorld &operator=(const TestWorld &) = delete;

    QString folder() const { return m_dir.path(); }
    QString file(const QString &name) const;
    QString databasePath() const { return file(QStringLiteral("db.mdb")); }

    QByteArray readFile(const QString &name) const;
    void writeFile(const QString &name, const QByteArray &bytes) const;

    // Runs statements directly on db.mdb, outside the program's connection.
    void exec(const QString &sql) const;
    // One value from a direct query (first column of the first row).
    QVariant scalar(const QString &sql) const;

    // Adds a site row directly (plain texts; no scrambling); returns its id.
    qint64 addPlainSite(const QString &webId, const QString &name, const QString &address,
                        const QString &endTime = QString(), const QString &endDomainTime = QString()) const;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
    bool m_withWindows;
};
