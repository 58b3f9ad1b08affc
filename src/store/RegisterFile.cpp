#include "store/RegisterFile.h"

#include "store/StoreError.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

QStringList schemaStatements()
{
    QFile file(QStringLiteral(":/store/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("schema missing"));
    QStringList statements;
    for (const QString &part : QString::fromUtf8(file.readAll()).split(QLatin1Char(';'))) {
        if (!part.trimmed().isEmpty())
            statements << part.trimmed();
    }
    return statements;
}

void runSchema(const QString &path)
{
    const QString name = QStringLiteral("create-") + QUuid::createUuid().toString();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery query(db);
            for (const QString &statement : schemaStatements()) {
                if (!query.exec(statement)) {
                    failure = query.lastError().text();
                    break;
                }
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw StoreError(failure);
}

} // namespace

void createRegister(const QString &path)
{
    if (QFile::exists(path))
        throw StoreError(QStringLiteral("file exists: ") + path);
    try {
        runSchema(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

bool isSqliteFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3", 16);
}
