#include "sites/SiteStore.h"

#include "sites/SiteCredentials.h"
#include "store/Connection.h"
#include "store/DateText.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "store/StoreError.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>

namespace {

const QString VersionColumn = QStringLiteral("version");

void bind(Query &query, const FieldEntry &entry, const SiteRecord &record, const QString &secretKey)
{
    const QString column = QLatin1String(entry.column);
    const QString typed = record.text(entry.field);
    const QString number = record.text(SiteField::SiteNumber).trimmed();
    switch (entry.kind) {
    case FieldKind::Key:
    case FieldKind::Text:
        query.setParameter(column, typed.trimmed());
        break;
    case FieldKind::Note:
        // The remark and the credentials keep their blanks: a trimmed password would no
        // longer be the real one.
        query.setParameter(column, typed);
        break;
    case FieldKind::Credential:
        query.setParameterBytes(column, SiteCredentials::scramble(typed, number));
        break;
    case FieldKind::DomainUser:
        query.setParameterBytes(column, SiteCredentials::scramble(typed, number, secretKey));
        break;
    case FieldKind::Date: {
        const QDate date = record.date(entry.field);
        query.setParameter(column, date.isValid() ? DateText::format(date) : QString());
        break;
    }
    }
}

// A stored date as its first three parts, whatever separates them; invalid when they
// make no real date (or the column is empty).
QDate storedDate(const QString &dateText)
{
    static const QRegularExpression separator(QStringLiteral("[- ]"));
    return DateText::parse(dateText.split(separator).mid(0, 3).join(QLatin1Char('-')));
}

void read(const Query &query, const FieldEntry &entry, const QString &number, const QString &domainUser,
          LoadedSite &site)
{
    const QString column = QLatin1String(entry.column);
    switch (entry.kind) {
    case FieldKind::Credential:
        site.record.setText(entry.field, SiteCredentials::read(query.bytes(column), number));
        break;
    case FieldKind::DomainUser:
        site.record.setText(entry.field, domainUser);
        break;
    case FieldKind::Date: {
        const QDate date = storedDate(query.text(column));
        site.record.setDate(entry.field, date);
        if (!date.isValid())
            site.missingDates << entry.field;
        break;
    }
    default:
        site.record.setText(entry.field, query.text(column));
    }
}

const QString &statementOf(SiteSection section)
{
    const QString *statements[] = {&Statements::SaveSiteSection, &Statements::SaveDatabaseSection,
                                   &Statements::SaveDateSection, &Statements::SaveRemark};
    return *statements[int(section)];
}

qint64 idOf(Query &query, const QString &siteNumber)
{
    query.setSql(Statements::SiteNumberLookup);
    query.setParameter(QStringLiteral("web_id"), siteNumber);
    auto closeAgain = qScopeGuard([&query] { query.close(); });
    query.open();
    if (query.eof())
        throw StoreError(QStringLiteral("the new site is not in the register"));
    return query.text(QStringLiteral("id")).toLongLong();
}

// A lookup by one key column, closed again even when it fails.
bool anyRow(Query &query, const QString &lookup, const FieldEntry &key, const QString &value)
{
    auto closeAgain = qScopeGuard([&query] { query.close(); });
    return query.countRows(lookup, QLatin1String(key.column), value) > 0;
}

bool isCredential(const FieldEntry &entry)
{
    return entry.kind == FieldKind::Credential || entry.kind == FieldKind::DomainUser;
}

// The row goes in without its credentials, which are then sealed for the id it was given; the
// transaction makes it one step for every other reader.
void insertSealed(Query &query, const SiteRecord &record, const QString &secretKey)
{
    QSqlDatabase db = query.connection()->database();
    if (!db.transaction())
        throw StoreError(db.lastError().text());
    auto rollBack = qScopeGuard([&db] { db.rollback(); });
    query.setSql(Statements::InsertSite);
    for (const FieldEntry &entry : siteFields())
        if (isCredential(entry))
            query.setParameterBytes(QLatin1String(entry.column), QByteArray());
        else
            bind(query, entry, record, secretKey);
    query.execute();
    const QString id = QString::number(idOf(query, record.text(SiteField::SiteNumber).trimmed()));
    query.setSql(Statements::SaveNewSiteCredentials);
    for (const FieldEntry &entry : siteFields())
        if (isCredential(entry))
            bind(query, entry, record, secretKey);
    query.setParameter(QStringLiteral("id"), id);
    query.execute();
    if (!db.commit())
        throw StoreError(db.lastError().text());
    rollBack.dismiss();
}

} // namespace

namespace SiteStore {

bool hasAddress(Query &query, const QString &address)
{
    return anyRow(query, Statements::AddressLookup, fieldEntry(SiteField::Address), address);
}

bool hasSiteNumber(Query &query, const QString &siteNumber)
{
    return anyRow(query, Statements::SiteNumberLookup, fieldEntry(SiteField::SiteNumber), siteNumber);
}

void insert(Query &query, const SiteRecord &record, const QString &secretKey)
{
    query.close();
    if (query.connection()->isProtected()) {
        insertSealed(query, record, secretKey);
        return;
    }
    query.setSql(Statements::InsertSite);
    for (const FieldEntry &entry : siteFields())
        bind(query, entry, record, secretKey);
    query.execute();
}

LoadedSite load(Query &query, const QString &address, const QString &secretKey)
{
    query.close();
    query.setSql(Statements::LoadSite);
    query.setParameter(QStringLiteral("web_address"), address.trimmed());
    auto closeAgain = qScopeGuard([&query] { query.close(); });
    query.open();
    LoadedSite site;
    if (query.eof()) {
        // No row reads as empty columns, whose empty domain user only an unset key accepts.
        if (secretKey.isEmpty())
            throw StoreError(QStringLiteral("no record has this address"));
        site.otherKey = true;
        return site;
    }
    const QString number = query.text(QStringLiteral("web_id")).trimmed();
    QString domainUser;
    if (!SiteCredentials::readDomainUser(query.bytes(QStringLiteral("web_domainuser")), number, secretKey,
                                         domainUser)) {
        site.otherKey = true;
        return site;
    }
    site.row = {query.text(QStringLiteral("id")).toLongLong(), query.text(QStringLiteral("web_address")),
                query.hasField(VersionColumn) ? query.text(VersionColumn).toLongLong() : 0};
    for (const FieldEntry &entry : siteFields())
        read(query, entry, number, domainUser, site);
    return site;
}

int saveSection(Query &query, SiteSection section, SiteRow &row, const SiteRecord &record,
                const QString &secretKey)
{
    query.close();
    query.setSql(statementOf(section));
    for (const FieldEntry &entry : siteFields())
        if (entry.section == section && entry.kind != FieldKind::Key)
            bind(query, entry, record, secretKey);
    query.setParameter(QStringLiteral("id"), QString::number(row.id));
    query.setParameter(QStringLiteral("web_address"), row.address);
    query.setParameter(VersionColumn, QString::number(row.version));
    const int changed = query.execute();
    if (changed > 0)
        ++row.version;
    return changed;
}

} // namespace SiteStore
