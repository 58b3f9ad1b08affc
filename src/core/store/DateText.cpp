#include "store/DateText.h"

#include <QRegularExpression>

namespace {

int digitsAt(const QString &text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// Year, month and day of a value written as yyyy-MM-dd; false for any other shape.
bool readPlainIso(const QString &iso, int &year, int &month, int &day)
{
    if (iso.size() != 10 || iso.at(4) != QLatin1Char('-') || iso.at(7) != QLatin1Char('-'))
        return false;
    year = digitsAt(iso, 0, 4);
    month = digitsAt(iso, 5, 2);
    day = digitsAt(iso, 8, 2);
    return year >= 0 && month >= 0 && day >= 0;
}

char *putNumber(char *out, int value)
{
    char digits[4];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

} // namespace

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

// The lists show and export every date of the register this way, hundreds of thousands at a
// time: the stored shape the register writes is read and written by hand, without QDate and
// QString::arg, to the same text.
QString fromStored(const QString &iso)
{
    if (iso.isEmpty())
        return QString();
    int year = 0;
    int month = 0;
    int day = 0;
    if (readPlainIso(iso, year, month, day)) {
        if (year < 1 || !QDate::isValid(year, month, day))
            return iso;
        char text[10];
        char *end = putNumber(text, year);
        *end++ = '-';
        end = putNumber(end, month);
        *end++ = '-';
        end = putNumber(end, day);
        return QString::fromLatin1(text, end - text);
    }
    const QDate date = fromIso(iso);
    return date.isValid() ? format(date) : iso;
}

} // namespace DateText
