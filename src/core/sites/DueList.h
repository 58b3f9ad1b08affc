#pragma once

#include <QDate>
#include <QList>
#include <QString>

class Query;

// One hosting or one domain that falls due, as the due list and the calendar give it.
struct DueEntry
{
    enum class Kind { Hosting, Domain };

    qint64 rowId = 0; // the site's row, which names it for good (its number may change)
    QString number;
    QString name;
    QString address;
    Kind kind = Kind::Hosting;
    QDate date;
};

// The sites due, read from the register's plain columns (never a credential), sorted by date,
// then site number, then hosting before domain. Every function throws StoreError.
namespace DueList {

struct LeadDays
{
    int hosting = 0;
    int domain = 0;
};

// The lead times of the settings row.
LeadDays leadDays(Query &query);
// What falls due on or before each kind's cut-off, overdue ones included.
QList<DueEntry> due(Query &query, const QDate &hostingCutOff, const QDate &domainCutOff);
// Due by the register's own lead times, as the counters count: cut-off = today + lead time.
QList<DueEntry> dueByLeadTimes(Query &query, const QDate &today);
// Due within days of today, for both kinds.
QList<DueEntry> dueWithin(Query &query, const QDate &today, int days);
// Every hosting and domain expiry date of the register.
QList<DueEntry> all(Query &query);

} // namespace DueList
