#include "sites/DueList.h"

#include "sites/ExpiryCounters.h"
#include "sites/LeadTimes.h"
#include "store/DateText.h"
#include "store/Query.h"
#include "store/Statements.h"

#include <algorithm>
#include <tuple>

namespace {

const QString HostingDate = QStringLiteral("web_endtime");
const QString DomainDate = QStringLiteral("web_enddomaintime");

void openStatement(Query &query, const QString &sql)
{
    query.close();
    query.clearSql();
    query.addSql(sql);
}

// The current row's entry of one kind, when its date is set and on or before the cut-off
// (an invalid cut-off takes every date).
void take(const Query &query, DueEntry::Kind kind, const QDate &cutOff, QList<DueEntry> &entries)
{
    const QDate date =
        DateText::parse(query.text(kind == DueEntry::Kind::Hosting ? HostingDate : DomainDate));
    if (!date.isValid() || (cutOff.isValid() && date > cutOff))
        return;
    DueEntry entry;
    entry.rowId = query.text(QStringLiteral("id")).toLongLong();
    entry.number = query.text(QStringLiteral("web_id"));
    entry.name = query.text(QStringLiteral("web_name"));
    entry.address = query.text(QStringLiteral("web_address"));
    entry.kind = kind;
    entry.date = date;
    entries.append(entry);
}

QList<DueEntry> collect(Query &query, const QDate &hostingCutOff, const QDate &domainCutOff)
{
    QList<DueEntry> entries;
    for (query.first(); !query.eof(); query.next()) {
        take(query, DueEntry::Kind::Hosting, hostingCutOff, entries);
        take(query, DueEntry::Kind::Domain, domainCutOff, entries);
    }
    query.close();
    std::sort(entries.begin(), entries.end(), [](const DueEntry &a, const DueEntry &b) {
        return std::make_tuple(a.date, a.number, int(a.kind)) <
               std::make_tuple(b.date, b.number, int(b.kind));
    });
    return entries;
}

} // namespace

namespace DueList {

LeadDays leadDays(Query &query)
{
    LeadTimes::open(query);
    LeadDays days;
    days.hosting = LeadTimes::days(query, LeadTimes::HostingColumn);
    days.domain = LeadTimes::days(query, LeadTimes::DomainColumn);
    query.close();
    return days;
}

QList<DueEntry> due(Query &query, const QDate &hostingCutOff, const QDate &domainCutOff)
{
    openStatement(query, Statements::DueSites);
    query.setParameterDate(HostingDate, hostingCutOff);
    query.setParameterDate(DomainDate, domainCutOff);
    query.open();
    return collect(query, hostingCutOff, domainCutOff);
}

QList<DueEntry> dueByLeadTimes(Query &query, const QDate &today)
{
    const LeadDays lead = leadDays(query);
    return due(query, ExpiryCounters::cutOff(today, lead.hosting),
               ExpiryCounters::cutOff(today, lead.domain));
}

QList<DueEntry> dueWithin(Query &query, const QDate &today, int days)
{
    const QDate cutOff = ExpiryCounters::cutOff(today, days);
    return due(query, cutOff, cutOff);
}

QList<DueEntry> all(Query &query)
{
    openStatement(query, Statements::CalendarSites);
    query.open();
    return collect(query, QDate(), QDate());
}

} // namespace DueList
