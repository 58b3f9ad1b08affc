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
    writeLine(escapedBytes(grid().componentName()));
    writeLine("</TITLE>");
    writeLine("</HEAD>");
    writeLine("<BODY>");
    const bool lines = grid().drawsColumnLines() || grid().drawsRowLines();
    QByteArray table = "<TABLE ";
    if (!lines)
        table += "BORDER=0 CELLSPACING=0 CELLPADDING=";
    else if (grid().has3DLook())
        table += "BORDER=1 CELLSPACING=0 CELLPADDING=";
    else
        table += "BORDER=0 CELLSPACING=1 CELLPADDING=";
    table += grid().hasFlatLook() ? "1" : "2";
    table += " BGCOLOR=#" + colorDigits(grid().fixedColor()) + ">\r\n";
    writeLine(table);
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

void HtmlGridExporter::emitFooterRow(const QList<ExportColumn> &columns, int footer)
{
    writeLine("<TR>");
    GridExporter::emitFooterRow(columns, footer);
    writeLine("</TR>");
}

void HtmlGridExporter::emitFooterCell(int column, int, const QString &text, ExportAlignment alignment,
                                      const QColor &background, const ExportFont &font)
{
    writeCell(exportedColumns().at(column).width, alignment, background, font, text);
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
