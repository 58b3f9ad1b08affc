#include "SiteBuilder.h"

#include "TestFolder.h"
#include "sites/SiteCredentials.h"

#include <QStringList>

SiteBuilder::SiteBuilder(const QString &siteNumber) : m_siteNumber(siteNumber)
{
    column(QStringLiteral("web_id"), siteNumber);
    address(siteNumber + QStringLiteral(".example"));
}

SiteBuilder &SiteBuilder::column(const QString &column, const QVariant &value)
{
    for (auto &entry : m_columns) {
        if (entry.first == column) {
            entry.second = value;
            return *this;
        }
    }
    m_columns.append({column, value});
    return *this;
}

SiteBuilder &SiteBuilder::date_(const QString &column, const QString &date)
{
    return this->column(column, date.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(date));
}

SiteBuilder &SiteBuilder::dates(const QString &hostingBought, const QString &hostingExpires,
                                const QString &domainRegistered, const QString &domainExpires)
{
    date_(QStringLiteral("web_time"), hostingBought);
    date_(QStringLiteral("web_endtime"), hostingExpires);
    date_(QStringLiteral("web_domaintime"), domainRegistered);
    return date_(QStringLiteral("web_enddomaintime"), domainExpires);
}

SiteBuilder &SiteBuilder::credential(const QString &column, const QString &typed, const QString &secretKey)
{
    return this->column(column, SiteCredentials::scramble(typed, m_siteNumber, secretKey));
}

TestFolder::Row SiteBuilder::row() const
{
    TestFolder::Row row;
    for (const auto &[column, value] : m_columns) {
        row.columns << column;
        row.values << value;
    }
    return row;
}

qint64 SiteBuilder::addTo(const TestFolder &folder) const
{
    return folder.insertRows(QStringLiteral("t_webinfo"), {row()});
}

void SiteBuilder::addMany(const TestFolder &folder, int count, int remarkBytes)
{
    const QString sqlite = QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
        "insert into t_webinfo(web_id,web_name,web_address,web_remark,web_endtime) "
        "select printf('%06d',i),'site '||i,'s'||i||'.example',hex(randomblob(%2)),'2011-03-07' from n");
    const QString server =
        QStringLiteral("insert into t_webinfo(web_id,web_name,web_address,web_remark,web_endtime) "
                       "select repeat('0',greatest(0,6-length(i::text)))||i,'site '||i,'s'||i||'.example',"
                       "upper(substr(repeat(md5(random()::text),%2/16+1),1,2*%2)),'2011-03-07' from "
                       "generate_series(1,%1) i");
    folder.exec((folder.onServer() ? server : sqlite).arg(count).arg(remarkBytes));
}

void SiteBuilder::addAllTo(const TestFolder &folder, const QList<SiteBuilder> &sites)
{
    QList<TestFolder::Row> rows;
    for (const SiteBuilder &site : sites)
        rows << site.row();
    folder.insertRows(QStringLiteral("t_webinfo"), rows);
}
