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

// Worst case of the bytes one UTF-16 unit of a text takes: "\u-10179?".
constexpr qsizetype MostBytesPerUnit = 9;

char *putHex(char *out, uchar byte)
{
    static const char digits[] = "0123456789abcdef";
    *out++ = '\\';
    *out++ = '\'';
    *out++ = digits[byte >> 4];
    *out++ = digits[byte & 0xF];
    return out;
}

char *putUnicode(char *out, char32_t character)
{
    const auto units = QChar::fromUcs4(character);
    for (const QChar unit : QStringView(units)) {
        out = ExportText::put(out, "\\u");
        out = ExportText::put(out, QByteArray::number(qint16(unit.unicode())));
        *out++ = '?';
    }
    return out;
}

char *putAscii(char *out, QStringView text, qsizetype &i)
{
    const char byte = char(text[i].unicode());
    if (byte == '\\' || byte == '{' || byte == '}')
        return putHex(out, uchar(byte));
    if (byte == '\t')
        return ExportText::put(out, "\\tab ");
    if (byte == '\r' || byte == '\n') {
        // CR LF is one break; a lone CR or LF is one too.
        if (byte == '\r' && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        return ExportText::put(out, "\\line ");
    }
    *out++ = byte;
    return out;
}

char *putEscaped(char *out, QStringView text)
{
    const ExportText::CodePageTable &table = ExportText::codePage();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            out = putAscii(out, text, i);
            continue;
        }
        const quint16 entry = table[unit];
        if (entry == 0)
            out = putUnicode(out, ExportText::characterAt(text, i));
        else if (entry >= 0x100)
            out = putHex(putHex(out, uchar(entry >> 8)), uchar(entry & 0xFF));
        else
            out = putHex(out, uchar(entry));
    }
    return out;
}

} // namespace

RtfGridExporter::RtfGridExporter(ExportGrid &grid) : GridExporter(grid) {}

QByteArray RtfGridExporter::escapedText(QStringView text)
{
    return ExportText::bytesOf(text, MostBytesPerUnit, putEscaped);
}

// The tables list the colours and fonts in the order the rows first use them: the title
// row's, then, when there is a data row, the data rows'.
void RtfGridExporter::emitHeader()
{
    m_colors = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    // The system's button face, which the table of the first version always listed.
    const QRgb face = qRgb(240, 240, 240);
    if (!m_colors.contains(face))
        m_colors.append(face);
    m_fonts.clear();
    m_titleRow = rowLook(exportedColumns(), true);
    m_dataRow = hasRows() ? rowLook(exportedColumns(), false) : RowLook();

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
}

void RtfGridExporter::emitTrailer()
{
    write("}");
}

void RtfGridExporter::emitTitleRow(const QList<ExportColumn> &)
{
    writeRow(m_titleRow, titleTexts());
}

void RtfGridExporter::emitDataRow(const QList<ExportColumn> &)
{
    writeRow(m_dataRow, rowTexts());
}

void RtfGridExporter::writeRow(const RowLook &look, const QList<QString> &texts)
{
    static const char CellEnd[] = "\\cell}\r\n";
    static const char RowEnd[] = "\\pard\\intbl\\row}\r\n";
    qsizetype size = look.definition.size() + sizeof RowEnd + unitCount(texts) * MostBytesPerUnit;
    for (const QByteArray &opening : look.cells)
        size += opening.size() + sizeof CellEnd;
    char *out = ExportText::put(room(size), look.definition);
    for (int i = 0; i < texts.size(); ++i) {
        out = ExportText::put(out, look.cells.at(i));
        out = ExportText::put(putEscaped(out, texts.at(i)), CellEnd);
    }
    keep(ExportText::put(out, RowEnd));
}

RtfGridExporter::RowLook RtfGridExporter::rowLook(const QList<ExportColumn> &columns, bool titles)
{
    RowLook look;
    look.definition = rowDefinition(columns, titles);
    for (const ExportColumn &column : columns) {
        look.cells << (titles ? cellOpening(column.titleAlignment, column.titleFont, column.titleColor)
                              : cellOpening(column.alignment, column.font, column.color));
    }
    return look;
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

QByteArray RtfGridExporter::cellOpening(ExportAlignment alignment, const ExportFont &font,
                                        const QColor &background)
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
    return cell;
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
