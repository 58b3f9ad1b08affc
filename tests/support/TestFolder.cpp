#include "TestFolder.h"

#include "SiteBuilder.h"

#include "platform/ProgramFolder.h"
#include "store/RegisterFile.h"

#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

// A short-lived direct connection to the register, outside the program's own.
class DirectConnection
{
public:
    explicit DirectConnection(const QString &path)
        : m_name(QStringLiteral("direct-") + QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open test register: %s", qPrintable(db.lastError().text()));
    }
    ~DirectConnection()
    {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlQuery run(const QString &sql, const QVariantList &values = {}) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        query.prepare(sql);
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            qFatal("test statement failed: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        return query;
    }

private:
    QString m_name;
};

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
    writeFile(QStringLiteral("key.exe"), QByteArray());
    writeFile(QStringLiteral("sk.exe"), QByteArray());
}

TestFolder::~TestFolder()
{
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
    DirectConnection(databasePath()).run(sql);
}

QVariant TestFolder::scalar(const QString &sql) const
{
    DirectConnection connection(databasePath());
    QSqlQuery query = connection.run(sql);
    return query.next() ? query.value(0) : QVariant();
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
    DirectConnection connection(databasePath());
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
