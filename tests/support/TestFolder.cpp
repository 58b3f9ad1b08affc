#include "TestFolder.h"

#include "SiteBuilder.h"
#include "TestDatabase.h"

#include "platform/ProgramFolder.h"
#include "store/Connection.h"
#include "store/RegisterFile.h"

#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <QUuid>

namespace {

// A short-lived direct connection to the register, outside the program's own: to db.mdb, or
// the test database's own connection.
class DirectConnection
{
public:
    DirectConnection(const QString &path, const TestDatabase *server) : m_server(server)
    {
        if (server)
            return;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open test register: %s", qPrintable(db.lastError().text()));
    }
    ~DirectConnection()
    {
        if (m_server)
            return;
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlQuery run(const QString &sql, const QVariantList &values = {}) const
    {
        if (m_server)
            return m_server->run(sql, values);
        QSqlQuery query(QSqlDatabase::database(m_name));
        query.prepare(sql);
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            qFatal("test statement failed: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        return query;
    }

private:
    const TestDatabase *m_server;
    QString m_name = QStringLiteral("direct-") + QUuid::createUuid().toString();
};

// A date as the ISO text SQLite keeps, so a test reads the server's values as it reads db.mdb's.
QVariant asSqliteHasIt(const QVariant &value)
{
    if (value.typeId() != QMetaType::QDate)
        return value;
    return value.isNull() ? QVariant(QMetaType(QMetaType::QString))
                          : QVariant(value.toDate().toString(Qt::ISODate));
}

} // namespace

TestFolder::TestFolder()
{
    if (!m_dir.isValid() || !m_runtime.isValid())
        qFatal("cannot make the test folders");
    m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    ProgramFolder::use(m_dir.path());
    // The registers remembered for folders are the test's own too, never the user's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, file(QStringLiteral("config")));
    createRegister(databasePath());
    if (TestDatabase::available()) {
        m_server = std::make_unique<TestDatabase>();
        // The program makes the register's tables in the empty database as it opens it.
        Connection connection;
        pointAt(connection);
        connection.open();
    }
    writeFile(QStringLiteral("key.exe"), QByteArray());
    writeFile(QStringLiteral("sk.exe"), QByteArray());
}

TestFolder::~TestFolder()
{
    m_server.reset();
    ProgramFolder::reset();
    if (m_oldRuntime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
}

QString TestFolder::file(const QString &name) const
{
    return m_dir.filePath(name);
}

QByteArray TestFolder::readFile(const QString &name) const
{
    QFile file(this->file(name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void TestFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(this->file(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(name));
    file.write(bytes);
}

void TestFolder::exec(const QString &sql) const
{
    DirectConnection(databasePath(), m_server.get()).run(sql);
}

QVariant TestFolder::scalar(const QString &sql) const
{
    const QList<QVariantList> found = rows(sql);
    return found.isEmpty() ? QVariant() : found.first().value(0);
}

QString TestFolder::storedText(const QString &sql) const
{
    if (!m_server)
        return scalar(sql).toString();
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(scalar(QStringLiteral("select convert_to((%1), 'UTF8')").arg(sql)).toByteArray());
}

void TestFolder::makeEarlierRegister() const
{
    exec(QStringLiteral("alter table t_webinfo drop column version"));
    exec(QStringLiteral("pragma user_version = 1"));
}

qint64 TestFolder::addPlainSite(const QString &webId, const QString &name, const QString &address,
                                const QString &endTime, const QString &endDomainTime) const
{
    return SiteBuilder(webId)
        .name(name)
        .address(address)
        .hostingExpires(endTime)
        .domainExpires(endDomainTime)
        .addTo(*this);
}

qint64 TestFolder::insertRows(const QString &table, const QList<Row> &rows) const
{
    DirectConnection connection(databasePath(), m_server.get());
    connection.run(QStringLiteral("begin"));
    qint64 id = -1;
    for (const Row &row : rows) {
        const QString marks = QStringList(QList<QString>(row.columns.size(), QStringLiteral("?"))).join(u',');
        id =
            connection
                .run(
                    QStringLiteral("insert into %1(%2) values(%3)").arg(table, row.columns.join(u','), marks),
                    row.values)
                .lastInsertId()
                .toLongLong();
    }
    connection.run(QStringLiteral("commit"));
    return id;
}

void TestFolder::pointAt(Connection &connection) const
{
    connection.close();
    connection.setConnectionString(Connection::connectionStringFor(folder()));
    connection.setServer(m_server ? m_server->conninfo() : QString());
}

QList<QVariantList> TestFolder::rows(const QString &sql) const
{
    DirectConnection connection(databasePath(), m_server.get());
    QSqlQuery query = connection.run(sql);
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        for (int column = 0; column < query.record().count(); ++column)
            row << asSqliteHasIt(query.value(column));
        rows << row;
    }
    return rows;
}

QStringList TestFolder::column(const QString &sql) const
{
    QStringList values;
    for (const QVariantList &row : rows(sql))
        values << row.value(0).toString();
    return values;
}

void TestFolder::refuseDeleting(const QString &siteNumber) const
{
    if (!m_server) {
        exec(QStringLiteral("create trigger refuse before delete on t_webinfo when old.web_id='%1' "
                            "begin select raise(abort, 'refused'); end")
                 .arg(siteNumber));
        return;
    }
    exec(QStringLiteral("create function refuse() returns trigger language plpgsql as $$ begin "
                        "raise exception 'refused'; end $$"));
    exec(
        QStringLiteral("create trigger refuse before delete on t_webinfo for each row when (old.web_id='%1') "
                       "execute function refuse()")
            .arg(siteNumber));
}

void TestFolder::looseSettingsTable(const QString &values) const
{
    exec(QStringLiteral("drop table t_set"));
    exec(m_server ? QStringLiteral("create table t_set(web_alarm text, domain_alarm text)")
                  : QStringLiteral("create table t_set(web_alarm, domain_alarm)"));
    exec(QStringLiteral("insert into t_set values(") + values + QStringLiteral(")"));
}

void TestFolder::removeRegister() const
{
    if (m_server)
        exec(QStringLiteral("drop table t_webinfo"));
    else
        QFile::remove(databasePath());
}

bool TestFolder::registerExists() const
{
    if (!m_server)
        return QFile::exists(databasePath());
    return scalar(QStringLiteral("select to_regclass('t_webinfo') is not null")).toBool();
}
