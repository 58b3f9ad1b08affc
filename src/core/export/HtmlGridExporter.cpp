#include "export/HtmlGridExporter.h"

#include "export/ExportText.h"

#include <charconv>

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

// "&#55296;", a lone surrogate, is the most one UTF-16 unit of a text takes.
constexpr qsizetype MostBytesPerUnit = 8;
constexpr ExportText::AsciiSet Markup = ExportText::asciiSet("&<>\"");

char *putEntity(char *out, char16_t unit)
{
    switch (unit) {
    case u'&':
        return ExportText::put(out, "&amp;");
    case u'<':
        return ExportText::put(out, "&lt;");
    case u'>':
        return ExportText::put(out, "&gt;");
    default:
        return ExportText::put(out, "&quot;");
    }
}

char *putReference(char *out, char32_t character)
{
    out = ExportText::put(out, "&#");
    out = std::to_chars(out, out + 7, quint32(character)).ptr;
    *out++ = ';';
    return out;
}

char *putEscaped(char *out, QStringView text)
{
    for (qsizetype i = 0;; ++i) {
        out = ExportText::putCodePage(out, text, i, Markup);
        if (i == text.size())
            return out;
        if (text[i].unicode() < 0x80)
            out = putEntity(out, text[i].unicode());
        else
            out = putReference(out, ExportText::characterAt(text, i));
    }
}

} // namespace

HtmlGridExporter::HtmlGridExporter(ExportGrid &grid) : GridExporter(grid) {}

QByteArray HtmlGridExporter::escapedBytes(QStringView text)
{
    return ExportText::bytesOf(text, MostBytesPerUnit, putEscaped);
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
    QList<CellFrame> titles;
    m_dataCells.clear();
    for (const ExportColumn &column : columns) {
        const QByteArray width = "  <TD WIDTH=" + QByteArray::number(column.width) + " ALIGN=\"";
        titles << cellFrame(width + alignmentWord(column.titleAlignment) + "\">", column.titleFont);
        m_dataCells << cellFrame(width + alignmentWord(column.alignment) + "\" BGCOLOR=#" +
                                     colorDigits(column.color) + ">",
                                 column.font);
    }
    writeRow(titles, titleTexts());
}

void HtmlGridExporter::emitDataRow(const QList<ExportColumn> &)
{
    writeRow(m_dataCells, rowTexts());
}

void HtmlGridExporter::writeRow(const QList<CellFrame> &frames, const QList<QString> &texts)
{
    static const char RowStart[] = "<TR>\r\n";
    static const char RowEnd[] = "</TR>\r\n";
    static const char Blank[] = "&nbsp";
    qsizetype size = sizeof RowStart + sizeof RowEnd + unitCount(texts) * MostBytesPerUnit;
    for (const CellFrame &frame : frames)
        size += frame.open.size() + sizeof Blank + frame.close.size();
    char *out = ExportText::put(room(size), RowStart);
    for (int i = 0; i < texts.size(); ++i) {
        const CellFrame &frame = frames.at(i);
        out = ExportText::put(out, frame.open);
        out = texts.at(i).isEmpty() ? ExportText::put(out, Blank) : putEscaped(out, texts.at(i));
        out = ExportText::put(out, frame.close);
    }
    keep(ExportText::put(out, RowEnd));
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
