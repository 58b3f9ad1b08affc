#include "TestDatabase.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

namespace {

// Runs one statement on the server's own maintenance database.
void administer(const QString &sql)
{
    const QString name = QStringLiteral("admin-") + QUuid::createUuid().toString();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(TestDatabase::serverOptions() + QStringLiteral(" dbname=postgres"));
        if (!db.open())
            failure = db.lastError().text();
        else if (QSqlQuery query(db); !query.exec(sql))
            failure = query.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        qFatal("test server: %s: %s", qPrintable(sql), qPrintable(failure));
}

} // namespace

bool TestDatabase::available()
{
    return !qEnvironmentVariableIsEmpty("CORVANE_TEST_SERVER");
}

QString TestDatabase::serverOptions()
{
    QFile file(qEnvironmentVariable("CORVANE_TEST_SERVER"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no test server: %s cannot be read", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll()).trimmed();
}

TestDatabase::TestDatabase()
    : m_name(QStringLiteral("corvane_") + QUuid::createUuid().toString(QUuid::Id128)),
      m_connection(QStringLiteral("test-") + m_name)
{
    administer(QStringLiteral("create database ") + m_name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    db.setConnectOptions(conninfo());
    if (!db.open())
        qFatal("cannot open the test database: %s", qPrintable(db.lastError().text()));
}

TestDatabase::~TestDatabase()
{
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
    // Whatever connection a failed test left open goes with it.
    administer(QStringLiteral("drop database ") + m_name + QStringLiteral(" with (force)"));
    for (const QString &user : std::as_const(m_users))
        administer(QStringLiteral("drop role ") + user);
}

QString TestDatabase::conninfoOfAClerk()
{
    const QString user = m_name + QStringLiteral("_clerk") + QString::number(m_users.size());
    administer(QStringLiteral("create role ") + user + QStringLiteral(" login"));
    m_users << user;
    run(QStringLiteral("grant select, insert, update, delete on all tables in schema public to ") + user);
    run(QStringLiteral("grant usage on all sequences in schema public to ") + user);
    return conninfo() + QStringLiteral(" user=") + user;
}

QString TestDatabase::conninfo() const
{
    return serverOptions() + QStringLiteral(" dbname=") + m_name;
}

QSqlQuery TestDatabase::run(const QString &sql, const QVariantList &values) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    // The server prepares no schema statements: those run as they are.
    bool done = false;
    if (values.isEmpty()) {
        done = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        done = query.exec();
    }
    if (!done)
        qFatal("test statement failed: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return query;
}

QVariant TestDatabase::scalar(const QString &sql) const
{
    QSqlQuery query = run(sql);
    return query.next() ? query.value(0) : QVariant();
}
