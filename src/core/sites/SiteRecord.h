#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <optional>

// A site's fields, in the order the record windows show them.
enum class SiteField {
    SiteNumber,
    Name,
    Address,
    AdminAddress,
    AdminUser,
    AdminPassword,
    Ip,
    Domain,
    DomainUser,
    DomainPassword,
    Contact,
    SiteSize,
    DatabaseName,
    DatabaseSize,
    DatabaseAddress,
    DatabaseUser,
    DatabasePassword,
    DatabaseType,
    HostingBought,
    HostingExpires,
    DomainRegistered,
    DomainExpires,
    Remark,
};
constexpr int SiteFieldCount = int(SiteField::Remark) + 1;

// The parts of a record that the site window saves each on its own.
enum class SiteSection { Site, Database, Dates, Remark };

// How the register keeps a field.
enum class FieldKind {
    Key,        // text, trimmed; written by the insert only, since every save is keyed by the record's keys
    Text,       // text, trimmed
    Note,       // text exactly as typed
    Credential, // as typed, then the site number, scrambled
    DomainUser, // as typed, then the site number and the secret key, scrambled
    Date,       // an ISO date; NULL when empty
};

struct FieldEntry
{
    SiteField field;
    const char *column;
    FieldKind kind;
    SiteSection section;
};

// The one table of a site's fields, in SiteField order: everything that inserts, loads
// or saves a record goes by it.
const std::array<FieldEntry, SiteFieldCount> &siteFields();
const FieldEntry &fieldEntry(SiteField field);

// A start date and the expiry that must not come before it, with the refusal the record
// windows show.
struct DatePair
{
    SiteField start;
    SiteField expiry;
    QString refusal;
};

// One site as the user sees it: texts as typed, credentials readable, dates as dates.
class SiteRecord
{
public:
    // Every field but the dates.
    QString text(SiteField field) const { return m_texts[std::size_t(field)]; }
    void setText(SiteField field, const QString &text);
    // The four dates; an invalid date is an empty one.
    QDate date(SiteField field) const { return m_dates[std::size_t(field)]; }
    void setDate(SiteField field, const QDate &date);

    // The first pair, hosting before domain, whose expiry comes before its start. Equal
    // dates are in order, and an empty date comes before nothing.
    std::optional<DatePair> datesOutOfOrder() const;

private:
    std::array<QString, SiteFieldCount> m_texts;
    std::array<QDate, SiteFieldCount> m_dates;
};
