#pragma once

#include <QDate>
#include <QString>

class Query;

// How many sites are due for hosting and for domain renewal. A site is due when its
// expiry date lies on or before the cut-off, and the cut-off is today plus the lead
// time: the reminder comes the lead time ahead of the expiry, and an expired site
// stays due until it is renewed.
namespace ExpiryCounters {

// Today plus the lead time. Throws StoreError when it falls outside the calendar.
QDate cutOff(const QDate &today, int leadDays);

struct Outcome
{
    QDate hostingCutOff; // invalid until computed
    QDate domainCutOff;
    int hostingDue = -1; // -1 until counted
    int domainDue = -1;
};

// Reads the lead times and counts the sites due, on query (the register's site saves). Fills outcome
// step by step, so after a StoreError it holds what was done before the failure.
void compute(Query &query, const QDate &today, Outcome &outcome);
// The earliest expiry date among the sites a computed outcome counts as due; invalid when none is.
QDate earliestDue(Query &query, const Outcome &outcome);

} // namespace ExpiryCounters
