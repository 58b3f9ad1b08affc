#include "sites/DueNotice.h"

#include "store/Query.h"
#include "store/Statements.h"

namespace DueNotice {

namespace {

const QString Column = QStringLiteral("due_notice");

bool hasColumn(Query &query)
{
    query.setSql(Statements::ReadSettings);
    query.open();
    return query.hasField(Column);
}

} // namespace

bool enabled(Query &query)
{
    bool on = true;
    if (hasColumn(query) && query.recordCount() > 0)
        on = query.text(Column).trimmed() != QLatin1String("0");
    query.close();
    return on;
}

void setEnabled(Query &query, bool on)
{
    const bool present = hasColumn(query);
    query.close();
    if (!present) {
        query.setSql(Statements::AddDueNoticeColumn);
        query.execute();
    }
    query.setSql(Statements::WriteDueNotice);
    query.setParameter(Column, on ? QStringLiteral("1") : QStringLiteral("0"));
    query.execute();
}

} // namespace DueNotice
