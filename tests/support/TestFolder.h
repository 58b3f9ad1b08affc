#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

class Connection;
class TestDatabase;

// A fresh program folder for one test, without any window: a new db.mdb from the
// schema, empty key.exe and sk.exe, the program folder pointed at it, a private
// runtime folder (so the work folder and the instance lock are the test's own) and private
// user settings (in config/ of the folder).
// Links against corvane_core only, so core tests can use it.
//
// When the tests run with a test server (CORVANE_TEST_SERVER, the <name>_pg runs), the
// register is a fresh database on it instead: the statements below run there, and
// pointAt() points a connection there.
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

    bool onServer() const { return m_server != nullptr; }
    TestDatabase *database() const { return m_server.get(); } // on a server
    // Points a connection at this folder's register, as the main window does.
    void pointAt(Connection &connection) const;

    QByteArray readFile(const QString &name) const;
    void writeFile(const QString &name, const QByteArray &bytes) const;

    // Runs statements directly on the register, outside the program's connection.
    void exec(const QString &sql) const;
    // One value from a direct query (first column of the first row).
    QVariant scalar(const QString &sql) const;
    // Makes db.mdb a register as earlier installations left it: no site versions, schema number 1.
    void makeEarlierRegister() const;
    // One text from a direct query, exactly as the register holds it (the server's driver would
    // drop a leading U+FEFF).
    QString storedText(const QString &sql) const;

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
    // Every row of a direct query, and the first column of each as text.
    QList<QVariantList> rows(const QString &sql) const;
    QStringList column(const QString &sql) const;
    // Makes the register refuse to delete the site with this number, as a register another
    // program guards would.
    void refuseDeleting(const QString &siteNumber) const;
    // Replaces the settings table by one without column types, as a register brought over from
    // elsewhere may have (on a server: text columns), holding one row of the values given.
    void looseSettingsTable(const QString &values) const;
    // Takes the register away (db.mdb; on a server its sites table, which leaves a database the
    // program refuses), and tells whether it is there.
    void removeRegister() const;
    bool registerExists() const;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
    std::unique_ptr<TestDatabase> m_server;
};
