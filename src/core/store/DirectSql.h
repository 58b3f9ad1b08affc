#pragma once

#include "store/StoreError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

// One statement run straight on the database, for the steps that work outside Query (schema,
// key slots, whole-register rewrites): its forward-only result, or StoreError with the driver's text.
namespace DirectSql {

inline QSqlQuery run(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw StoreError(query.lastError().text());
    return query;
}

} // namespace DirectSql
