#include "export/HtmlGridExporter.h"

#include "export/ExportText.h"

namespace {

QByteArray colorDigits(const QColor &color)
{
    if (!color.isValid())
        return "000000";
    return QByteArray::number(color.rgb() & 0xFFFFFF, 16).toUpper().rightJustified(6, '0');
}

const char *alignmentWord(ExportAlignment alignment)
{
    switch (alignment) {
    case ExportAlignment::Left:
        return "LEFT";
    case ExportAlignment::Right:
        return "RIGHT";
    case ExportAlignment::Center:
        break;
    }
    return "CENTER";
}

// A Chinese family name without quotes makes some readers (LibreOffice) drop the whole
// style, the white title colour with it.
QString quotedFamily(QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    name.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

} // namespace

HtmlGridExporter::HtmlGridExporter(ExportGrid &grid) : GridExporter(grid) {}

QByteArray HtmlGridExporter::escapedBytes(const QString &text)
{
    bool plain = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || u == '&' || u == '<' || u == '>' || u == '"') {
            plain = false;
            break;
        }
    }
    if (plain)
        return text.toLatin1();
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    escaped.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    escaped.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    escaped.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return ExportText::codePageBytes(
        escaped, [](char32_t character) { return "&#" + QByteArray::number(quint32(character)) + ';'; });
}

void HtmlGridExporter::emitHeader()
{
    writeLine("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">");
    writeLine("<HTML>");
    writeLine("<HEAD>");
    writeLine("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=gbk\">");
    writeLine("<TITLE>");
    // Pages have always been titled with the name the first version gave its grids.
    writeLine("DBGrid1");
    writeLine("</TITLE>");
    writeLine("</HEAD>");
    writeLine("<BODY>");
    // The site grids draw their cell lines in the 3-D look.
    writeLine("<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=2 BGCOLOR=#" + colorDigits(grid().fixedColor()) +
              ">\r\n");
}

void HtmlGridExporter::emitTrailer()
{
    writeLine("</TABLE>");
    writeLine("</BODY>");
    writeLine("</HTML>");
}

void HtmlGridExporter::emitTitleRow(const QList<ExportColumn> &columns)
{
    writeLine("<TR>");
    for (const ExportColumn &column : columns) {
        QByteArray cell = "  <TD WIDTH=" + QByteArray::number(column.width) + " ALIGN=\"" +
                          alignmentWord(column.titleAlignment) + "\">";
        appendFontBlock(cell, column.titleFont, column.caption);
        writeLine(cell + "</TD>");
    }
    writeLine("</TR>");
}

void HtmlGridExporter::emitDataRow(const QList<ExportColumn> &columns)
{
    writeLine("<TR>");
    GridExporter::emitDataRow(columns);
    writeLine("</TR>");
}

void HtmlGridExporter::emitCell(int column, const CellParams &params)
{
    writeCell(exportedColumns().at(column).width, params.Alignment, params.Background, params.Font,
              params.Text);
}

void HtmlGridExporter::writeCell(int width, ExportAlignment alignment, const QColor &background,
                                 const ExportFont &font, const QString &text)
{
    QByteArray cell;
    cell.reserve(256);
    cell += "  <TD WIDTH=" + QByteArray::number(width) + " ALIGN=\"" + alignmentWord(alignment) +
            "\" BGCOLOR=#" + colorDigits(background) + ">";
    appendFontBlock(cell, font, text);
    cell += "</TD>\r\n";
    write(cell);
}

void HtmlGridExporter::appendFontBlock(QByteArray &out, const ExportFont &font, const QString &text)
{
    if (m_fontNameBytes.isEmpty() || font.name != m_fontName) {
        m_fontName = font.name;
        m_fontNameBytes = escapedBytes(quotedFamily(font.name));
    }
    out += "<FONT STYLE=\"font-family: ";
    out += m_fontNameBytes;
    out += "; font-size: " + QByteArray::number(pointSize(font)) + "pt; color: #" + colorDigits(font.color) +
           "\">";
    if (font.bold)
        out += "<B>";
    if (font.italic)
        out += "<I>";
    if (font.underline)
        out += "<U>";
    if (font.strikeOut)
        out += "<STRIKE>";
    const QByteArray escaped = escapedBytes(text);
    out += escaped.isEmpty() ? QByteArray("&nbsp") : escaped;
    if (font.bold)
        out += "</B>";
    if (font.italic)
        out += "</I>";
    if (font.underline)
        out += "</U>";
    if (font.strikeOut)
        out += "</STRIKE>";
    out += "</FONT>";
}
