#include "sites/Renewal.h"

#include "store/Query.h"
#include "store/Statements.h"

namespace Renewal {

QDate movedOn(const QDate &expiry, int years)
{
    if (!expiry.isValid() || years < FewestYears || years > MostYears)
        return QDate();
    // addYears keeps the day, except that 29 February becomes 28 February in a common year.
    const QDate moved = expiry.addYears(years);
    return moved.year() <= 9999 ? moved : QDate();
}

Result renew(Query &query, const QString &address, Kind kind, const QDate &shown, int years)
{
    Result result;
    const QDate renewed = movedOn(shown, years);
    if (!renewed.isValid())
        return result;
    query.close();
    query.setSql(kind == Kind::Hosting ? Statements::RenewHosting : Statements::RenewDomain);
    query.setParameter(QStringLiteral("web_address"), address);
    query.setParameterDate(QStringLiteral("shown"), shown);
    query.setParameterDate(QStringLiteral("renewed"), renewed);
    if (query.execute() == 0) {
        result.outcome = Outcome::Changed;
        return result;
    }
    result.outcome = Outcome::Renewed;
    result.renewed = renewed;
    return result;
}

} // namespace Renewal
