#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// A fresh program folder for one test, without any window: a new db.mdb from the
// schema, empty key.exe and sk.exe, the program folder pointed at it, a private
// runtime folder (so the work folder and the instance lock are the test's own) and private
// user settings (in config/ of the folder).
// Links against corvane_core only, so core tests can use it.
class TestFolder
{
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder &) = delete;
    TestFolder &operator=(const TestFolder &) = delete;

    QString folder() const { return m_dir.path(); }
    QString file(const QString &name) const;
    QString databasePath() const { return file(QStringLiteral("db.mdb")); }
    QString runtimeFolder() const { return m_runtime.path(); }

    QByteArray readFile(const QString &name) const;
    void writeFile(const QString &name, const QByteArray &bytes) const;

    // Runs statements directly on db.mdb, outside the program's connection.
    void exec(const QString &sql) const;
    // One value from a direct query (first column of the first row).
    QVariant scalar(const QString &sql) const;
    // Makes db.mdb a register as earlier installations left it: no site versions, schema number 1.
    void makeEarlierRegister() const;

    // Adds a site row directly (plain texts; no scrambling); returns its id. SiteBuilder names
    // any other column.
    qint64 addPlainSite(const QString &webId, const QString &name, const QString &address,
                        const QString &endTime = QString(), const QString &endDomainTime = QString()) const;

    // Rows put into a table directly, in one transaction; returns the last row's id.
    struct Row
    {
        QStringList columns;
        QVariantList values;
    };
    qint64 insertRows(const QString &table, const QList<Row> &rows) const;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
};
