#include "sites/ExpiryCounters.h"

#include "sites/LeadTimes.h"
#include "store/DateText.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "store/StoreError.h"

namespace ExpiryCounters {

QString cutOffText(const QDate &today, int leadDays)
{
    const QDate cutOff = today.addDays(leadDays);
    // Date text carries four-digit years only.
    if (!cutOff.isValid() || cutOff.year() < 1 || cutOff.year() > 9999)
        throw StoreError(QStringLiteral("the lead time puts the cut-off outside the calendar"));
    return DateText::format(cutOff);
}

void compute(Query &query, const QDate &today, Outcome &outcome)
{
    LeadTimes::open(query);
    const int hostingLead = LeadTimes::days(query, LeadTimes::HostingColumn);
    const int domainLead = LeadTimes::days(query, LeadTimes::DomainColumn);
    query.close();
    const QString hostingCutOff = cutOffText(today, hostingLead);
    const QString domainCutOff = cutOffText(today, domainLead);
    outcome.hostingCutOff = hostingCutOff;
    outcome.domainCutOff = domainCutOff;
    outcome.hostingDue =
        query.countRows(Statements::CountHostingDue, QStringLiteral("web_endtime"), hostingCutOff);
    outcome.domainDue =
        query.countRows(Statements::CountDomainDue, QStringLiteral("web_enddomaintime"), domainCutOff);
}

} // namespace ExpiryCounters
