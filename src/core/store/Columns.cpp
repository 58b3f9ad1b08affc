#include "store/Columns.h"

namespace Columns {

QStringList dateColumns()
{
    return {QStringLiteral("web_time"), QStringLiteral("web_endtime"), QStringLiteral("web_domaintime"),
            QStringLiteral("web_enddomaintime")};
}

QStringList scrambledColumns()
{
    return {QStringLiteral("web_user"),       QStringLiteral("web_pass"),   QStringLiteral("web_domainuser"),
            QStringLiteral("web_domainpass"), QStringLiteral("web_dbname"), QStringLiteral("web_dbip"),
            QStringLiteral("web_dbuser"),     QStringLiteral("web_dbpass")};
}

bool isDate(const QString &column)
{
    return dateColumns().contains(column, Qt::CaseInsensitive);
}

bool isScrambled(const QString &column)
{
    return scrambledColumns().contains(column, Qt::CaseInsensitive);
}

bool isWholeNumber(const QString &column)
{
    return column.compare(QLatin1String("web_alarm"), Qt::CaseInsensitive) == 0 ||
           column.compare(QLatin1String("domain_alarm"), Qt::CaseInsensitive) == 0 ||
           column.compare(QLatin1String("due_notice"), Qt::CaseInsensitive) == 0 ||
           column.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0 ||
           column.compare(QLatin1String("version"), Qt::CaseInsensitive) == 0;
}

} // namespace Columns
