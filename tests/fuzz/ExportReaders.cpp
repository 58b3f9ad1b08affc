#include "ExportReaders.h"

#include <QStringDecoder>
#include <QtEndian>

namespace ExportReaders {

namespace {

// Windows code page 936 as ICU knows it: a decoder apart from the writers' own table.
QString fromCodePage(const QByteArray &bytes)
{
    thread_local QStringDecoder decoder("windows-936");
    decoder.resetState();
    return decoder.decode(bytes);
}

bool lineBreakAt(const QByteArray &bytes, qsizetype at)
{
    return at + 1 < bytes.size() && bytes.at(at) == '\r' && bytes.at(at + 1) == '\n';
}

QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype at = bytes.indexOf("\r\n"); at >= 0; at = bytes.indexOf("\r\n", start)) {
        lines << bytes.mid(start, at - start);
        start = at + 2;
    }
    lines << bytes.mid(start);
    return lines;
}

// One quoted CSV field starting at at; moves at past its closing quote.
std::optional<QString> quotedField(const QByteArray &bytes, qsizetype &at)
{
    if (at >= bytes.size() || bytes.at(at) != '"')
        return std::nullopt;
    QByteArray field;
    for (++at;; ++at) {
        if (at >= bytes.size())
            return std::nullopt;
        if (bytes.at(at) == '"') {
            if (at + 1 < bytes.size() && bytes.at(at + 1) == '"') {
                field += '"';
                ++at;
                continue;
            }
            ++at;
            return fromCodePage(field);
        }
        field += bytes.at(at);
    }
}

bool skip(const QByteArray &bytes, qsizetype &at, const char *text)
{
    const QByteArray wanted(text);
    if (bytes.mid(at, wanted.size()) != wanted)
        return false;
    at += wanted.size();
    return true;
}

// Entities are the only use of "&" in an escaped text; the rest is the text's bytes.
std::optional<QString> unescapeHtml(const QByteArray &escaped)
{
    if (escaped == "&nbsp")
        return QString();
    QString text;
    QByteArray run;
    for (qsizetype at = 0; at < escaped.size();) {
        if (escaped.at(at) != '&') {
            run += escaped.at(at++);
            continue;
        }
        text += fromCodePage(run);
        run.clear();
        const qsizetype end = escaped.indexOf(';', at);
        if (end < 0)
            return std::nullopt;
        const QByteArray name = escaped.mid(at + 1, end - at - 1);
        at = end + 1;
        if (name == "amp")
            text += u'&';
        else if (name == "lt")
            text += u'<';
        else if (name == "gt")
            text += u'>';
        else if (name == "quot")
            text += u'"';
        else if (name.startsWith('#')) {
            bool ok = false;
            const uint code = name.mid(1).toUInt(&ok);
            if (!ok || code > 0x10FFFF)
                return std::nullopt;
            const char32_t one[] = {char32_t(code)};
            text += QString::fromUcs4(one, 1);
        } else {
            return std::nullopt;
        }
    }
    return text + fromCodePage(run);
}

} // namespace

Lines readText(const QByteArray &bytes)
{
    Lines lines;
    if (bytes.isEmpty())
        return lines;
    for (const QByteArray &line : splitLines(bytes)) {
        QStringList cells;
        for (const QByteArray &cell : line.split('\t'))
            cells << fromCodePage(cell);
        lines << cells;
    }
    return lines;
}

std::optional<Lines> readCsv(const QByteArray &bytes)
{
    Lines lines;
    if (bytes.isEmpty())
        return lines;
    QStringList line;
    qsizetype at = 0;
    for (;;) {
        // A line without fields (a grid without columns).
        if (line.isEmpty() && (at == bytes.size() || lineBreakAt(bytes, at))) {
            lines << line;
            if (at == bytes.size())
                return lines;
            at += 2;
            continue;
        }
        const std::optional<QString> field = quotedField(bytes, at);
        if (!field)
            return std::nullopt;
        line << *field;
        if (at == bytes.size()) {
            lines << line;
            return lines;
        }
        if (bytes.at(at) == ';') {
            ++at;
            continue;
        }
        if (!lineBreakAt(bytes, at))
            return std::nullopt;
        at += 2;
        lines << line;
        line.clear();
        if (at == bytes.size()) {
            lines << line;
            return lines;
        }
    }
}

std::optional<QStringList> readHtmlCells(const QByteArray &bytes)
{
    static const char *const styles[] = {"B", "I", "U", "STRIKE"};
    QStringList cells;
    const QByteArray fontStart = "<FONT STYLE=\"";
    for (qsizetype at = bytes.indexOf(fontStart); at >= 0; at = bytes.indexOf(fontStart, at)) {
        at += fontStart.size();
        at = bytes.indexOf('"', at);
        if (at < 0 || !skip(bytes, ++at, ">"))
            return std::nullopt;
        for (const char *style : styles)
            skip(bytes, at, (QByteArray("<") + style + ">").constData());
        const qsizetype end = bytes.indexOf('<', at);
        if (end < 0)
            return std::nullopt;
        const std::optional<QString> text = unescapeHtml(bytes.mid(at, end - at));
        if (!text)
            return std::nullopt;
        cells << *text;
        at = end;
        for (const char *style : styles)
            skip(bytes, at, (QByteArray("</") + style + ">").constData());
        if (!skip(bytes, at, "</FONT>"))
            return std::nullopt;
    }
    return cells;
}

std::optional<QList<XlsCell>> readXls(const QByteArray &bytes)
{
    QList<XlsCell> cells;
    quint16 last = 0;
    for (qsizetype at = 0; at < bytes.size();) {
        if (at + 4 > bytes.size())
            return std::nullopt;
        const quint16 type = qFromLittleEndian<quint16>(bytes.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(bytes.constData() + at + 2);
        const char *data = bytes.constData() + at + 4;
        if (at + 4 + length > bytes.size() || (at == 0) != (type == 0x0809))
            return std::nullopt;
        at += 4 + length;
        last = type;
        if (type != 0x0204 && type != 0x0201 && type != 0x0203 && type != 0x027E)
            continue;
        if (length < 6)
            return std::nullopt;
        XlsCell cell;
        cell.row = qFromLittleEndian<quint16>(data);
        cell.column = qFromLittleEndian<quint16>(data + 2);
        cell.blank = type == 0x0201;
        cell.number = type == 0x0203 || type == 0x027E;
        if (type == 0x0204) {
            if (length < 8 || qFromLittleEndian<quint16>(data + 6) != length - 8)
                return std::nullopt;
            cell.text = fromCodePage(QByteArray(data + 8, length - 8));
        }
        cells << cell;
    }
    if (last != 0x000A)
        return std::nullopt;
    return cells;
}

std::optional<int> rtfCellCount(const QByteArray &bytes)
{
    int depth = 0;
    int cells = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const auto c = uchar(bytes.at(at));
        if (c >= 0x80)
            return std::nullopt; // everything beyond ASCII goes out escaped
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth < 0)
                return std::nullopt;
        } else if (c == '\\') {
            if (++at >= bytes.size())
                return std::nullopt;
            const char next = bytes.at(at);
            if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z')) {
                qsizetype end = at;
                while (end < bytes.size() && ((bytes.at(end) >= 'a' && bytes.at(end) <= 'z')))
                    ++end;
                if (bytes.mid(at, end - at) == "cell")
                    ++cells;
                at = end - 1;
            } else if (next == '\'') {
                at += 2;
            }
        }
    }
    if (depth != 0)
        return std::nullopt;
    return cells;
}

} // namespace ExportReaders
