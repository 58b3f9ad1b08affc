#include "sites/ExpiryCounters.h"

#include "sites/LeadTimes.h"
#include "store/DateText.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "store/StoreError.h"

namespace ExpiryCounters {

QDate cutOff(const QDate &today, int leadDays)
{
    const QDate date = today.addDays(leadDays);
    // Date text carries four-digit years only.
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        throw StoreError(QStringLiteral("the lead time puts the cut-off outside the calendar"));
    return date;
}

void compute(Query &query, const QDate &today, Outcome &outcome)
{
    LeadTimes::open(query);
    const int hostingLead = LeadTimes::days(query, LeadTimes::HostingColumn);
    const int domainLead = LeadTimes::days(query, LeadTimes::DomainColumn);
    query.close();
    // Both cut-offs or neither: the expiry list selects by the two together.
    const QDate hostingCutOff = cutOff(today, hostingLead);
    const QDate domainCutOff = cutOff(today, domainLead);
    outcome.hostingCutOff = hostingCutOff;
    outcome.domainCutOff = domainCutOff;
    outcome.hostingDue = int(query.countOf(Statements::CountHostingDue, QStringLiteral("web_endtime"),
                                           DateText::format(outcome.hostingCutOff)));
    outcome.domainDue = int(query.countOf(Statements::CountDomainDue, QStringLiteral("web_enddomaintime"),
                                          DateText::format(outcome.domainCutOff)));
}

namespace {

QDate earliestBefore(Query &query, const QString &sql, const QString &column, const QDate &cutOff)
{
    query.setSql(sql);
    query.setParameterDate(column, cutOff);
    query.open();
    const QDate date = QDate::fromString(query.text(QStringLiteral("earliest")), Qt::ISODate);
    query.close();
    return date;
}

} // namespace

QDate earliestDue(Query &query, const Outcome &outcome)
{
    QDate earliest;
    if (outcome.hostingDue > 0)
        earliest = earliestBefore(query, Statements::EarliestHostingDue, QStringLiteral("web_endtime"),
                                  outcome.hostingCutOff);
    if (outcome.domainDue > 0) {
        const QDate domain = earliestBefore(query, Statements::EarliestDomainDue,
                                            QStringLiteral("web_enddomaintime"), outcome.domainCutOff);
        if (!earliest.isValid() || (domain.isValid() && domain < earliest))
            earliest = domain;
    }
    return earliest;
}

} // namespace ExpiryCounters
