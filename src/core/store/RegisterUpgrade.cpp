#include "store/RegisterUpgrade.h"

#include "store/Statements.h"
#include "store/StoreError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString VersionColumn = QStringLiteral("version");

bool needsVersions(const QSqlDatabase &db)
{
    const QSqlRecord sites = db.record(QStringLiteral("t_webinfo"));
    return !sites.isEmpty() && !sites.contains(VersionColumn);
}

// The column and the schema number change together or not at all.
QString upgradeFailure(QSqlDatabase &db)
{
    if (!db.transaction())
        return db.lastError().text();
    QSqlQuery query(db);
    if (!query.exec(Statements::AddSiteVersions) || !query.exec(QStringLiteral("pragma user_version = 2"))) {
        const QString error = query.lastError().text();
        query.finish();
        db.rollback();
        return error;
    }
    query.finish();
    return db.commit() ? QString() : db.lastError().text();
}

} // namespace

void addSiteVersions(QSqlDatabase &db)
{
    if (!needsVersions(db))
        return;
    const QString failure = upgradeFailure(db);
    if (failure.isEmpty())
        return;
    db.close();
    throw StoreError(QStringLiteral("register not upgraded: ") + failure);
}
