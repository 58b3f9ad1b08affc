#include "sites/DueCalendar.h"

#include "sites/DueFormats.h"

#include <QStringList>

namespace {

const int LineOctets = 75;

bool isContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

QString icsDate(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

// The reminder's offset from the start of the day: before it for a lead time, after it for a
// negative one.
QString trigger(int leadDays)
{
    return leadDays >= 0 ? QStringLiteral("-P%1D").arg(leadDays)
                         : QStringLiteral("P%1D").arg(-qint64(leadDays));
}

QString summaryOf(const DueEntry &entry)
{
    const QString what =
        entry.kind == DueEntry::Kind::Hosting ? QStringLiteral("空间到期：") : QStringLiteral("域名到期：");
    const QString site = entry.name.isEmpty()
                             ? entry.number
                             : entry.name + QStringLiteral(" (") + entry.number + QLatin1Char(')');
    return what + site;
}

QStringList eventLines(const DueEntry &entry, int leadDays, const QString &stamp)
{
    const QString summary = DueCalendar::escaped(summaryOf(entry));
    QStringList lines{
        QStringLiteral("BEGIN:VEVENT"),
        QStringLiteral("UID:corvane-site-%1-%2").arg(entry.rowId).arg(DueFormats::kindKey(entry.kind)),
        QStringLiteral("DTSTAMP:") + stamp, QStringLiteral("DTSTART;VALUE=DATE:") + icsDate(entry.date)};
    // The last day of the calendar has no next day to end on; a day's event needs no end.
    const QDate next = entry.date.addDays(1);
    if (next.year() <= 9999)
        lines << QStringLiteral("DTEND;VALUE=DATE:") + icsDate(next);
    lines << QStringLiteral("SUMMARY:") + summary
          << QStringLiteral("DESCRIPTION:") +
                 DueCalendar::escaped(QStringLiteral("网站编号：") + entry.number +
                                      QStringLiteral("\n网站名称：") + entry.name +
                                      QStringLiteral("\n网站地址：") + entry.address)
          << QStringLiteral("TRANSP:TRANSPARENT") << QStringLiteral("BEGIN:VALARM")
          << QStringLiteral("ACTION:DISPLAY") << QStringLiteral("DESCRIPTION:") + summary
          << QStringLiteral("TRIGGER:") + trigger(leadDays) << QStringLiteral("END:VALARM")
          << QStringLiteral("END:VEVENT");
    return lines;
}

} // namespace

namespace DueCalendar {

QString escaped(const QString &value)
{
    QString text = value;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString out;
    out.reserve(text.size());
    for (const QChar c : std::as_const(text)) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(','))
            out += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        // Control characters other than a tab are not allowed in a calendar's text.
        else if (c == QLatin1Char('\t') || (c.unicode() >= 0x20 && c.unicode() != 0x7F))
            out += c;
    }
    return out;
}

QByteArray folded(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    QByteArray out;
    qsizetype from = 0;
    // The first line holds 75 octets; each later one a leading blank and 74 more.
    qsizetype room = LineOctets;
    while (bytes.size() - from > room) {
        qsizetype end = from + room;
        while (end > from && isContinuationByte(bytes.at(end)))
            --end;
        out += bytes.mid(from, end - from) + "\r\n ";
        from = end;
        room = LineOctets - 1;
    }
    return out + bytes.mid(from) + "\r\n";
}

QByteArray write(const QList<DueEntry> &entries, const DueList::LeadDays &lead, const QDateTime &stamp)
{
    const QString stampText = stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QStringList lines{QStringLiteral("BEGIN:VCALENDAR"), QStringLiteral("VERSION:2.0"),
                      QStringLiteral("PRODID:-//Corvane//Corvane//ZH"), QStringLiteral("CALSCALE:GREGORIAN"),
                      QStringLiteral("METHOD:PUBLISH")};
    for (const DueEntry &entry : entries)
        lines << eventLines(entry, entry.kind == DueEntry::Kind::Hosting ? lead.hosting : lead.domain,
                            stampText);
    lines << QStringLiteral("END:VCALENDAR");
    QByteArray out;
    for (const QString &line : std::as_const(lines))
        out += folded(line);
    return out;
}

QByteArray ofRegister(Query &query, const QDateTime &stamp)
{
    const DueList::LeadDays lead = DueList::leadDays(query);
    return write(DueList::all(query), lead, stamp);
}

} // namespace DueCalendar
