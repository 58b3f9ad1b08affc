#include "store/DateText.h"

#include <QRegularExpression>

namespace DateText {

QDate parse(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,4})-(\\d{1,2})-(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QDate();
    const int year = match.captured(1).toInt();
    if (year < 1)
        return QDate();
    return QDate(year, match.captured(2).toInt(), match.captured(3).toInt());
}

QString format(const QDate &date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

QString toIso(const QDate &date)
{
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QDate fromIso(const QString &iso)
{
    return QDate::fromString(iso, Qt::ISODate);
}

QString fromStored(const QString &iso)
{
    if (iso.isEmpty())
        return QString();
    const QDate date = fromIso(iso);
    return date.isValid() ? format(date) : iso;
}

} // namespace DateText
