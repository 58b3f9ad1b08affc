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

// The entity that stands for an ASCII character, or none.
const char *entity(char16_t unit)
{
    switch (unit) {
    case u'&':
        return "&amp;";
    case u'<':
        return "&lt;";
    case u'>':
        return "&gt;";
    case u'"':
        return "&quot;";
    default:
        return nullptr;
    }
}

void appendReference(QByteArray &out, char32_t character)
{
    out += "&#";
    out += QByteArray::number(quint32(character));
    out += ';';
}

void appendEscaped(QByteArray &out, QStringView text)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char *replacement = entity(text[i].unicode());
        if (!replacement)
            continue;
        ExportText::appendCodePage(out, text.mid(from, i - from), appendReference);
        out += replacement;
        from = i + 1;
    }
    ExportText::appendCodePage(out, text.mid(from), appendReference);
}

} // namespace

HtmlGridExporter::HtmlGridExporter(ExportGrid &grid) : GridExporter(grid) {}

QByteArray HtmlGridExporter::escapedBytes(QStringView text)
{
    QByteArray bytes;
    appendEscaped(bytes, text);
    return bytes;
}

void HtmlGridExporter::appendText(QByteArray &out, QStringView text)
{
    if (text.isEmpty())
        out += "&nbsp";
    else
        appendEscaped(out, text);
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
    m_dataCells.clear();
    writeLine("<TR>");
    for (const ExportColumn &column : columns) {
        const CellFrame frame = cellFrame("  <TD WIDTH=" + QByteArray::number(column.width) + " ALIGN=\"" +
                                              alignmentWord(column.titleAlignment) + "\">",
                                          column.titleFont);
        pending() += frame.open;
        appendText(pending(), column.caption);
        pending() += frame.close;
        m_dataCells << cellFrame("  <TD WIDTH=" + QByteArray::number(column.width) + " ALIGN=\"" +
                                     alignmentWord(column.alignment) + "\" BGCOLOR=#" +
                                     colorDigits(column.color) + ">",
                                 column.font);
    }
    writeLine("</TR>");
}

void HtmlGridExporter::emitDataRow(const QList<ExportColumn> &columns)
{
    QByteArray &out = pending();
    out += "<TR>\r\n";
    for (int i = 0; i < columns.size(); ++i) {
        const CellFrame &frame = m_dataCells.at(i);
        out += frame.open;
        appendText(out, grid().displayText(i));
        out += frame.close;
    }
    out += "</TR>\r\n";
    flushWhenFull();
}

HtmlGridExporter::CellFrame HtmlGridExporter::cellFrame(QByteArray open, const ExportFont &font) const
{
    open += "<FONT STYLE=\"font-family: ";
    open += escapedBytes(quotedFamily(font.name));
    open += "; font-size: " + QByteArray::number(pointSize(font)) + "pt; color: #" + colorDigits(font.color) +
            "\">";
    QByteArray close;
    const std::pair<bool, const char *> styles[] = {
        {font.bold, "B>"}, {font.italic, "I>"}, {font.underline, "U>"}, {font.strikeOut, "STRIKE>"}};
    for (const auto &[on, tag] : styles) {
        if (!on)
            continue;
        open += '<';
        open += tag;
        close += "</";
        close += tag;
    }
    close += "</FONT></TD>\r\n";
    return {open, close};
}
