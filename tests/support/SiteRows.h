#pragma once

#include "store/Columns.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/SiteRegister.h"
#include "store/Statements.h"

#include <QHash>
#include <QStringList>

// One site as the add window binds it: plain and date columns as text, scrambled
// columns as bytes.
struct SiteValues
{
    QHash<QString, QString> texts;
    QHash<QString, QByteArray> bytes;
};

inline const QStringList &insertColumns()
{
    static const QStringList columns =
        QStringLiteral(
            "web_id,web_name,web_address,web_login,web_user,web_pass,web_ip,web_size,web_domain,web_"
            "domainuser,"
            "web_domainpass,web_linkman,web_dbname,web_dbsize,web_dbip,web_dbuser,web_dbpass,web_domaintime,"
            "web_enddomaintime,web_time,web_endtime,web_remark,web_dbtype")
            .split(QLatin1Char(','));
    return columns;
}

// Every column filled; each scrambled column holds bytes that are no valid text.
inline SiteValues sampleSite(const QString &webId, const QString &address)
{
    SiteValues site;
    for (const QString &column : insertColumns()) {
        if (Columns::isScrambled(column))
            site.bytes[column] = QByteArray("\x05\x80\xff\x00\x0a\x0d\x1a", 7) + column.toLatin1();
        else if (Columns::isDate(column))
            site.texts[column] = QStringLiteral("2011-3-7");
        else
            site.texts[column] = column + QStringLiteral(" of ") + webId;
    }
    site.texts[QStringLiteral("web_id")] = webId;
    site.texts[QStringLiteral("web_address")] = address;
    return site;
}

// The add window's order: close, clear, add the text, bind, execute.
inline int insertSite(Query &query, const SiteValues &site)
{
    query.close();
    query.clearSql();
    query.addSql(Statements::InsertSite);
    for (auto it = site.texts.cbegin(); it != site.texts.cend(); ++it)
        query.setParameter(it.key(), it.value());
    for (auto it = site.bytes.cbegin(); it != site.bytes.cend(); ++it)
        query.setParameterBytes(it.key(), it.value());
    return query.execute();
}

// A statement with one bound value, opened.
inline void openWith(Query &query, const QString &sql, const QString &name, const QString &value)
{
    query.close();
    query.clearSql();
    query.addSql(sql);
    query.setParameter(name, value);
    query.open();
}

// The data module pointed at the register in folder, as the main window does.
inline void pointAt(SiteRegister &module, const QString &folder)
{
    module.connection()->close();
    module.connection()->setConnectionString(Connection::connectionStringFor(folder));
}
