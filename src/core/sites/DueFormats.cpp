#include "sites/DueFormats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

QString isoDate(const DueEntry &entry)
{
    return entry.date.toString(Qt::ISODate);
}

QString kindText(DueEntry::Kind kind)
{
    return kind == DueEntry::Kind::Hosting ? QStringLiteral("空间") : QStringLiteral("域名");
}

// Columns a terminal gives the character: two for the wide East Asian ranges, so that Chinese
// names line up with Latin ones.
int columnsOf(char32_t c)
{
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

int columnsOf(const QString &text)
{
    int columns = 0;
    for (const char32_t c : text.toUcs4())
        columns += columnsOf(c);
    return columns;
}

// A value on one line: a name typed with a line break would break the line apart.
QString oneLine(QString value)
{
    for (QChar &c : value)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return value;
}

QStringList cellsOf(const DueEntry &entry)
{
    return {isoDate(entry), kindText(entry.kind), oneLine(entry.number), oneLine(entry.name),
            oneLine(entry.address)};
}

QString csvField(const QString &value)
{
    if (!value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char(',')) &&
        !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

namespace DueFormats {

std::optional<Format> named(const QString &name)
{
    const std::pair<const char *, Format> formats[] = {
        {"text", Format::Text}, {"csv", Format::Csv}, {"json", Format::Json}, {"ics", Format::Ics}};
    for (const auto &[key, format] : formats)
        if (name == QLatin1String(key))
            return format;
    return std::nullopt;
}

QString kindKey(DueEntry::Kind kind)
{
    return kind == DueEntry::Kind::Hosting ? QStringLiteral("hosting") : QStringLiteral("domain");
}

QByteArray text(const QList<DueEntry> &entries)
{
    QList<QStringList> lines{{QStringLiteral("到期日期"), QStringLiteral("项目"), QStringLiteral("网站编号"),
                              QStringLiteral("网站名称"), QStringLiteral("网站地址")}};
    for (const DueEntry &entry : entries)
        lines.append(cellsOf(entry));
    QList<int> widths(lines.first().size(), 0);
    for (const QStringList &line : lines)
        for (int i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], columnsOf(line.at(i)));
    QString out;
    for (const QStringList &line : lines) {
        QString row;
        // The last column is not padded: no line ends in blanks.
        for (int i = 0; i + 1 < line.size(); ++i)
            row += line.at(i) + QString(widths.at(i) - columnsOf(line.at(i)) + 2, QLatin1Char(' '));
        out += row + line.last() + QLatin1Char('\n');
    }
    return out.toUtf8();
}

QByteArray csv(const QList<DueEntry> &entries)
{
    QString out = QStringLiteral("number,name,address,kind,date\r\n");
    for (const DueEntry &entry : entries) {
        const QStringList fields{entry.number, entry.name, entry.address, kindKey(entry.kind),
                                 isoDate(entry)};
        QStringList quoted;
        for (const QString &field : fields)
            quoted << csvField(field);
        out += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

QByteArray json(const QList<DueEntry> &entries)
{
    QJsonArray array;
    for (const DueEntry &entry : entries) {
        array.append(QJsonObject{{QStringLiteral("number"), entry.number},
                                 {QStringLiteral("name"), entry.name},
                                 {QStringLiteral("address"), entry.address},
                                 {QStringLiteral("kind"), kindKey(entry.kind)},
                                 {QStringLiteral("date"), isoDate(entry)}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

} // namespace DueFormats
