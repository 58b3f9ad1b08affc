#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

// A database of its own on the test server (the file CORVANE_TEST_SERVER names, written by
// test_server.sh), made empty for one test and dropped after it, so tests run side by side.
class TestDatabase
{
public:
    TestDatabase();
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    // True when the tests run with a test server.
    static bool available();
    // The options that reach the server, without a database name.
    static QString serverOptions();

    QString name() const { return m_name; }
    // The libpq options for Connection::setServer.
    QString conninfo() const;
    // The options for a new user of the database, who may read and change the register's rows
    // but owns nothing; the user goes with the database.
    QString conninfoOfAClerk();
    // Runs a statement on the database, outside the program's connection; fails the run when
    // the statement fails.
    QSqlQuery run(const QString &sql, const QVariantList &values = {}) const;
    // One value from a direct query (first column of the first row).
    QVariant scalar(const QString &sql) const;

private:
    QString m_name;
    QString m_connection;
    QStringList m_users;
};
