#include "sites/SiteRecord.h"

namespace {

using F = SiteField;
using K = FieldKind;
using S = SiteSection;

constexpr std::array<FieldEntry, SiteFieldCount> Fields = {{
    {F::SiteNumber, "web_id", K::Key, S::Site},
    {F::Name, "web_name", K::Text, S::Site},
    {F::Address, "web_address", K::Key, S::Site},
    {F::AdminAddress, "web_login", K::Text, S::Site},
    {F::AdminUser, "web_user", K::Credential, S::Site},
    {F::AdminPassword, "web_pass", K::Credential, S::Site},
    {F::Ip, "web_ip", K::Text, S::Site},
    {F::Domain, "web_domain", K::Text, S::Site},
    {F::DomainUser, "web_domainuser", K::DomainUser, S::Site},
    {F::DomainPassword, "web_domainpass", K::Credential, S::Site},
    {F::Contact, "web_linkman", K::Text, S::Site},
    {F::SiteSize, "web_size", K::Text, S::Site},
    {F::DatabaseName, "web_dbname", K::Credential, S::Database},
    {F::DatabaseSize, "web_dbsize", K::Text, S::Database},
    {F::DatabaseAddress, "web_dbip", K::Credential, S::Database},
    {F::DatabaseUser, "web_dbuser", K::Credential, S::Database},
    {F::DatabasePassword, "web_dbpass", K::Credential, S::Database},
    {F::DatabaseType, "web_dbtype", K::Text, S::Database},
    {F::HostingBought, "web_time", K::Date, S::Dates},
    {F::HostingExpires, "web_endtime", K::Date, S::Dates},
    {F::DomainRegistered, "web_domaintime", K::Date, S::Dates},
    {F::DomainExpires, "web_enddomaintime", K::Date, S::Dates},
    {F::Remark, "web_remark", K::Note, S::Remark},
}};

constexpr bool inFieldOrder()
{
    for (std::size_t i = 0; i < Fields.size(); ++i)
        if (Fields[i].field != SiteField(i))
            return false;
    return true;
}
static_assert(inFieldOrder(), "the field table is indexed by SiteField");

} // namespace

const std::array<FieldEntry, SiteFieldCount> &siteFields()
{
    return Fields;
}

const FieldEntry &fieldEntry(SiteField field)
{
    return Fields[std::size_t(field)];
}

void SiteRecord::setText(SiteField field, const QString &text)
{
    Q_ASSERT(fieldEntry(field).kind != FieldKind::Date);
    m_texts[std::size_t(field)] = text;
}

void SiteRecord::setDate(SiteField field, const QDate &date)
{
    Q_ASSERT(fieldEntry(field).kind == FieldKind::Date);
    m_dates[std::size_t(field)] = date;
}

std::optional<DatePair> SiteRecord::datesOutOfOrder() const
{
    static const std::array<DatePair, 2> pairs = {{
        {F::HostingBought, F::HostingExpires, QStringLiteral("网站到期时间不能小网站申请日期")},
        {F::DomainRegistered, F::DomainExpires, QStringLiteral("域名到期时间不能小域名申请日期")},
    }};
    for (const DatePair &pair : pairs) {
        const QDate start = date(pair.start);
        const QDate expiry = date(pair.expiry);
        if (start.isValid() && expiry.isValid() && expiry < start)
            return pair;
    }
    return std::nullopt;
}
