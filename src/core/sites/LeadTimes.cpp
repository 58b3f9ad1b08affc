#include "sites/LeadTimes.h"

#include "store/Query.h"
#include "store/Statements.h"
#include "store/StoreError.h"

namespace LeadTimes {

const QString HostingColumn = QStringLiteral("web_alarm");
const QString DomainColumn = QStringLiteral("domain_alarm");

void open(Query &query)
{
    query.close();
    query.clearSql();
    query.addSql(Statements::ReadLeadTimes);
    query.open();
    if (query.recordCount() == 0) {
        query.close();
        throw StoreError(QStringLiteral("the settings row is missing"));
    }
}

QString text(const Query &query, const QString &column)
{
    if (query.isNull(column))
        throw StoreError(QStringLiteral("no lead time in ") + column);
    return query.text(column);
}

int days(const Query &query, const QString &column)
{
    bool ok = false;
    const int value = text(query, column).trimmed().toInt(&ok);
    if (!ok)
        throw StoreError(QStringLiteral("the lead time in ") + column +
                         QStringLiteral(" is no whole number"));
    return value;
}

namespace {

int run(Query &query, const QString &statement, const QString &hostingText, const QString &domainText)
{
    query.close();
    query.clearSql();
    query.addSql(statement);
    query.setParameter(HostingColumn, hostingText);
    query.setParameter(DomainColumn, domainText);
    return query.execute();
}

} // namespace

void write(Query &query, const QString &hostingText, const QString &domainText)
{
    // A register that lost its settings row gets it back, rather than a save that stores nothing.
    if (run(query, Statements::WriteLeadTimes, hostingText, domainText) == 0)
        run(query, Statements::InsertLeadTimes, hostingText, domainText);
}

} // namespace LeadTimes
