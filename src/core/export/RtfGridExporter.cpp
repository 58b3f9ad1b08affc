#include "export/RtfGridExporter.h"

#include "export/ExportText.h"

namespace {

const char *alignmentWord(ExportAlignment alignment)
{
    switch (alignment) {
    case ExportAlignment::Left:
        return "\\ql";
    case ExportAlignment::Right:
        return "\\qr";
    case ExportAlignment::Center:
        break;
    }
    return "\\qc";
}

void appendHex(QByteArray &out, uchar byte)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

void appendUnicode(QByteArray &out, char32_t character)
{
    const auto units = QChar::fromUcs4(character);
    for (const QChar unit : QStringView(units))
        out += "\\u" + QByteArray::number(qint16(unit.unicode())) + '?';
}

void appendAscii(QByteArray &out, const QString &text, qsizetype &i)
{
    const char byte = char(text.at(i).unicode());
    if (byte == '\\' || byte == '{' || byte == '}') {
        appendHex(out, uchar(byte));
    } else if (byte == '\t') {
        out += "\\tab ";
    } else if (byte == '\r' || byte == '\n') {
        // CR LF is one break; a lone CR or LF is one too.
        if (byte == '\r' && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        out += "\\line ";
    } else {
        out += byte;
    }
}

} // namespace

RtfGridExporter::RtfGridExporter(ExportGrid &grid) : GridExporter(grid) {}

QByteArray RtfGridExporter::escapedText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() < 0x80) {
            appendAscii(out, text, i);
            continue;
        }
        const char32_t character = ExportText::characterAt(text, i);
        const QByteArray bytes = ExportText::characterBytes(character);
        if (bytes.isEmpty())
            appendUnicode(out, character);
        for (const char byte : bytes)
            appendHex(out, uchar(byte));
    }
    return out;
}

void RtfGridExporter::exportGridToStream(QIODevice *stream)
{
    m_colors = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    // The system's button face, which the table of the first version always listed.
    const QRgb face = qRgb(240, 240, 240);
    if (!m_colors.contains(face))
        m_colors.append(face);
    m_fonts.clear();
    m_dataRowDefinition.clear();

    const QByteArray body = walkIntoMemory();

    setOutput(stream);
    writeLine("{\\rtf0\\ansi\\ansicpg936");
    QByteArray colors = "{\\colortbl";
    for (const QRgb color : std::as_const(m_colors))
        colors += "\\red" + QByteArray::number(qRed(color)) + "\\green" + QByteArray::number(qGreen(color)) +
                  "\\blue" + QByteArray::number(qBlue(color)) + ';';
    write(colors);
    writeLine("}");
    QByteArray fonts = "{\\fonttbl";
    for (int i = 0; i < m_fonts.size(); ++i)
        fonts += "\\f" + QByteArray::number(i) + "\\fnil " + escapedText(m_fonts.at(i)) + ';';
    write(fonts);
    writeLine("}");
    write(body);
}

void RtfGridExporter::emitTrailer()
{
    write("}");
}

void RtfGridExporter::emitTitleRow(const QList<ExportColumn> &columns)
{
    write(rowDefinition(columns, true));
    for (const ExportColumn &column : columns)
        writeCell(column.titleAlignment, column.titleFont, column.titleColor, column.caption);
    writeRowEnd();
}

void RtfGridExporter::emitDataRow(const QList<ExportColumn> &columns)
{
    writeDataRowDefinition(columns);
    GridExporter::emitDataRow(columns);
    writeRowEnd();
}

void RtfGridExporter::emitCell(int, const CellParams &params)
{
    writeCell(params.Alignment, params.Font, params.Background, params.Text);
}

QByteArray RtfGridExporter::rowDefinition(const QList<ExportColumn> &columns, bool titles)
{
    QByteArray definition = "\\trowd\\trgaph40\r\n";
    // Wide enough that no width a grid can report makes the right edges wrap round.
    qint64 edge = 0;
    for (const ExportColumn &column : columns) {
        for (const char *side : {"\\clbrdrl", "\\clbrdrt", "\\clbrdrb", "\\clbrdrr"})
            definition += QByteArray(side) + "\\brdrs\\brdrcf0\r\n";
        // \clcbpat is the plain cell background: every reader fills it with the
        // colour, where solid pattern shading comes out black in some of them.
        definition += "\\clcbpat" + QByteArray::number(colorIndex(titles ? column.titleColor : column.color));
        edge += columnTwips(column.width);
        definition += "\\cellx" + QByteArray::number(edge) + "\r\n";
    }
    definition += "{\\trrh0\r\n";
    return definition;
}

void RtfGridExporter::writeDataRowDefinition(const QList<ExportColumn> &columns)
{
    if (m_dataRowDefinition.isEmpty())
        m_dataRowDefinition = rowDefinition(columns, false);
    write(m_dataRowDefinition);
}

void RtfGridExporter::writeCell(ExportAlignment alignment, const ExportFont &font, const QColor &background,
                                const QString &text)
{
    QByteArray cell = "\\pard\\intbl{";
    cell += alignmentWord(alignment);
    cell += "\\sb24\\sa24";
    cell += "\\fs" + QByteArray::number(pointSize(font) * 2);
    if (font.bold)
        cell += "\\b";
    if (font.italic)
        cell += "\\i";
    if (font.strikeOut)
        cell += "\\strike";
    if (font.underline)
        cell += "\\ul";
    cell += "\\f" + QByteArray::number(fontIndex(font.name));
    cell += "\\cf" + QByteArray::number(colorIndex(font.color));
    cell += "\\cb" + QByteArray::number(colorIndex(background));
    cell += ' ';
    cell += escapedText(text);
    write(cell);
    writeLine("\\cell}");
}

void RtfGridExporter::writeRowEnd()
{
    writeLine("\\pard\\intbl\\row}");
}

int RtfGridExporter::colorIndex(const QColor &color)
{
    // No colour at all is written as black.
    const QRgb rgb = color.isValid() ? (color.rgb() | 0xFF000000u) : qRgb(0, 0, 0);
    const int index = int(m_colors.indexOf(rgb));
    if (index >= 0)
        return index;
    m_colors.append(rgb);
    return int(m_colors.size()) - 1;
}

int RtfGridExporter::fontIndex(const QString &name)
{
    for (int i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    m_fonts.append(name);
    return int(m_fonts.size()) - 1;
}

// Each column is rounded on its own, halves to even, before it is added.
qint64 RtfGridExporter::columnTwips(int width) const
{
    const int ppi = grid().pixelsPerInch() > 0 ? grid().pixelsPerInch() : 96;
    const qint64 scaled = qint64(width) * 1440;
    qint64 quotient = scaled / ppi;
    const qint64 twiceRest = 2 * (scaled % ppi);
    if (twiceRest > ppi || (twiceRest == ppi && (quotient & 1)))
        ++quotient;
    else if (twiceRest < -ppi || (twiceRest == -ppi && (quotient & 1)))
        --quotient;
    return quotient;
}
