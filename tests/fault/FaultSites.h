#pragma once

#include "sites/SiteCredentials.h"
#include "store/Columns.h"
#include "store/Query.h"

#include <QList>
#include <QPair>
#include <QString>

// The sites the fault tests write and check: site i, and version k of its site section,
// are known in full, so a row read back after a crash is either whole or wrong.
namespace FaultSites {

using Values = QList<QPair<QString, QString>>; // column -> value as typed

const QString SecretKey = QStringLiteral("密钥key");

inline QString siteNumber(int site)
{
    return QString::number(100000 + site);
}

inline QString address(int site)
{
    return QStringLiteral("site%1.example.cn").arg(site);
}

// The secret key after the k-th change of a run that starts without one.
inline QString changedKey(int number)
{
    return number == 0 ? QString() : QStringLiteral("密钥-%1").arg(number);
}

inline int changeNumber(const QString &key)
{
    return key.isEmpty() ? 0 : key.section(QLatin1Char('-'), 1).toInt();
}

// Every column of the insert, as the add window hands them over.
inline Values insertValues(int site)
{
    const QString n = QString::number(site);
    return {
        {QStringLiteral("web_id"), siteNumber(site)},
        {QStringLiteral("web_name"), QStringLiteral("网站") + n},
        {QStringLiteral("web_address"), address(site)},
        {QStringLiteral("web_login"), QStringLiteral("admin.site%1.cn").arg(n)},
        {QStringLiteral("web_user"), QStringLiteral("管理员") + n},
        {QStringLiteral("web_pass"), QStringLiteral("p@ss;%1\r\n\"").arg(n)},
        {QStringLiteral("web_ip"), QStringLiteral("10.0.%1.%2").arg(site / 250).arg(site % 250)},
        {QStringLiteral("web_size"), QStringLiteral("%1M").arg(site * 10)},
        {QStringLiteral("web_domain"), QStringLiteral("site%1.cn").arg(n)},
        {QStringLiteral("web_domainuser"), QStringLiteral("域名用户") + n},
        {QStringLiteral("web_domainpass"), QStringLiteral("域名密码") + n},
        {QStringLiteral("web_linkman"), QStringLiteral("联系人") + n},
        {QStringLiteral("web_dbname"), QStringLiteral("db") + n},
        {QStringLiteral("web_dbsize"), QStringLiteral("%1M").arg(site)},
        {QStringLiteral("web_dbip"), QStringLiteral("db.site%1.cn").arg(n)},
        {QStringLiteral("web_dbuser"), QStringLiteral("dbuser") + n},
        {QStringLiteral("web_dbpass"), QStringLiteral("数据库密码") + n},
        {QStringLiteral("web_domaintime"),
         QStringLiteral("2010-%1-%2").arg(site % 12 + 1).arg(site % 28 + 1)},
        {QStringLiteral("web_enddomaintime"),
         QStringLiteral("2031-%1-%2").arg(site % 12 + 1).arg(site % 28 + 1)},
        {QStringLiteral("web_time"), QStringLiteral("2009-%1-%2").arg(site % 12 + 1).arg(site % 28 + 1)},
        {QStringLiteral("web_endtime"), QStringLiteral("2030-%1-%2").arg(site % 12 + 1).arg(site % 28 + 1)},
        {QStringLiteral("web_remark"), QStringLiteral("第一行\r\n第二行 %1").arg(n)},
        {QStringLiteral("web_dbtype"), QStringLiteral("MySQL")}};
}

// Version k of site 0's site section, as the modify window saves it.
inline Values sectionValues(int version)
{
    const QString k = QString::number(version);
    return {{QStringLiteral("web_name"), QStringLiteral("名称") + k},
            {QStringLiteral("web_login"), QStringLiteral("login") + k},
            {QStringLiteral("web_user"), QStringLiteral("用户") + k},
            {QStringLiteral("web_pass"), QStringLiteral("密码") + k},
            {QStringLiteral("web_ip"),
             QStringLiteral("192.168.%1.%2").arg(version / 250 % 250).arg(version % 250)},
            {QStringLiteral("web_domain"), QStringLiteral("v%1.cn").arg(k)},
            {QStringLiteral("web_domainuser"), QStringLiteral("域名") + k},
            {QStringLiteral("web_domainpass"), QStringLiteral("口令") + k},
            {QStringLiteral("web_linkman"), QStringLiteral("联系") + k},
            {QStringLiteral("web_size"), k + QStringLiteral("G")}};
}

// Binds the values the way the windows do: credentials scrambled with the site number
// (the domain user also with the secret key), everything else as text.
inline void bind(Query &query, const Values &values, const QString &number)
{
    for (const auto &[column, value] : values) {
        if (Columns::isScrambled(column)) {
            const bool withKey = column == QLatin1String("web_domainuser");
            query.setParameterBytes(
                column, SiteCredentials::scramble(value, number, withKey ? SecretKey : QString()));
        } else {
            query.setParameter(column, value);
        }
    }
}

// The value of a column of the current row as the windows read it back.
inline QString readBack(const Query &row, const QString &column, const QString &number)
{
    if (!Columns::isScrambled(column))
        return row.text(column);
    if (column != QLatin1String("web_domainuser"))
        return SiteCredentials::read(row.bytes(column), number);
    QString user;
    return SiteCredentials::readDomainUser(row.bytes(column), number, SecretKey, user)
               ? user
               : QStringLiteral("<no key>");
}

// True when every value of the current row is the one given.
inline bool rowHolds(const Query &row, const Values &values, const QString &number)
{
    for (const auto &[column, value] : values) {
        if (readBack(row, column, number) != value)
            return false;
    }
    return true;
}

} // namespace FaultSites
