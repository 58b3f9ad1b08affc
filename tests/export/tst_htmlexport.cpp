#include "ExportTestUtil.h"
#include "TableGrid.h"

#include "export/HtmlGridExporter.h"

#include <QTest>

class TestHtmlExport : public QObject
{
    Q_OBJECT

private:
    static TableGrid siteGrid()
    {
        return TableGrid::siteNumberAndName(64, 120, {{7, QStringLiteral("a<b>&c")}});
    }

    static QByteArray head()
    {
        return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
               "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=gbk\">\r\n"
               "<TITLE>\r\nDBGrid1\r\n</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
               "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=2 BGCOLOR=#D4D0C8>\r\n\r\n";
    }

    static QByteArray titleRow()
    {
        return gbk(QStringLiteral(
            "<TR>\r\n"
            "  <TD WIDTH=64 ALIGN=\"CENTER\"><FONT STYLE=\"font-family: '微软雅黑'; font-size: 10pt; "
            "color: #FFFFFF\"><B>网站编号</B></FONT></TD>\r\n"
            "  <TD WIDTH=120 ALIGN=\"CENTER\"><FONT STYLE=\"font-family: '微软雅黑'; font-size: 10pt; "
            "color: #FFFFFF\"><B>网站名称</B></FONT></TD>\r\n"
            "</TR>\r\n"));
    }

    static QByteArray tail() { return "</TABLE>\r\n</BODY>\r\n</HTML>\r\n"; }

    // The one data cell of a one-column grid holding text.
    static QByteArray singleCell(const QString &text, const ExportFont &font = {QStringLiteral("A"), 13})
    {
        TableGrid grid;
        ExportColumn column = TableGrid::siteColumn("c", 50);
        column.font = font;
        grid.columns = {column};
        grid.rows = {{text}};
        const QByteArray page = exportBytes<HtmlGridExporter>(grid);
        const qsizetype start = page.indexOf("BGCOLOR=#FFFFFF>");
        return page.mid(start + 16, page.indexOf("</TD>", start) - start - 16);
    }

private slots:
    void pageMatchesTheLayoutWithEscapedEntities()
    {
        TableGrid grid = siteGrid();
        const QByteArray row = gbk(QStringLiteral(
            "<TR>\r\n"
            "  <TD WIDTH=64 ALIGN=\"CENTER\" BGCOLOR=#FFFFFF><FONT STYLE=\"font-family: '微软雅黑'; "
            "font-size: 10pt; color: #000000\"><B>7</B></FONT></TD>\r\n"
            "  <TD WIDTH=120 ALIGN=\"CENTER\" BGCOLOR=#FFFFFF><FONT STYLE=\"font-family: '微软雅黑'; "
            "font-size: 10pt; color: #000000\"><B>a&lt;b&gt;&amp;c</B></FONT></TD>\r\n"
            "</TR>\r\n"));
        QCOMPARE(exportBytes<HtmlGridExporter>(grid), head() + titleRow() + row + tail());
    }

    void emptyGridGivesHeadTitlesAndClosingTags()
    {
        TableGrid grid = siteGrid();
        grid.rows.clear();
        QCOMPARE(exportBytes<HtmlGridExporter>(grid), head() + titleRow() + tail());
    }

    void escapingEndsEveryEntityWithASemicolon()
    {
        QCOMPARE(singleCell(QStringLiteral("\"引号\";")),
                 "<FONT STYLE=\"font-family: 'A'; font-size: 10pt; color: #000000\">" +
                     gbk(QStringLiteral("&quot;引号&quot;;")) + "</FONT>");
        QCOMPARE(HtmlGridExporter::escapedBytes(QStringLiteral("&amp<&>")),
                 QByteArray("&amp;amp&lt;&amp;&gt;"));
    }

    void otherTextsPassUnchanged()
    {
        QCOMPARE(HtmlGridExporter::escapedBytes(QStringLiteral("a\tb\r\nc;\\{}聖禱倉")),
                 QByteArray("a\tb\r\nc;\\{}\xc2\x7d\xb6\x5c\x82\x7d"));
    }

    // The page declares GBK, so a character outside it goes as a character reference.
    void charactersOutsideGbkBecomeReferences()
    {
        QCOMPARE(HtmlGridExporter::escapedBytes(QStringLiteral("x😀中")), QByteArray("x&#128512;\xd6\xd0"));
        QCOMPARE(HtmlGridExporter::escapedBytes(QString(QChar(0x1E9E))), QByteArray("&#7838;"));
        // A lone surrogate takes the longest reference there is for one unit.
        QCOMPARE(HtmlGridExporter::escapedBytes(QString(2, QChar(0xDFFF)) + u'"'),
                 QByteArray("&#57343;&#57343;&quot;"));
    }

    void emptyTextShowsNbspInsideTheStyleTags()
    {
        ExportFont font{QStringLiteral("A"), 16, QColor(1, 2, 3), true, true, true, true};
        QCOMPARE(singleCell(QString(), font),
                 QByteArray("<FONT STYLE=\"font-family: 'A'; font-size: 12pt; color: "
                            "#010203\"><B><I><U><STRIKE>&nbsp</B></I></U></STRIKE>"
                            "</FONT>"));
    }

    void cellsCarryTheirAlignmentAndColour()
    {
        TableGrid grid = siteGrid();
        grid.columns[0].alignment = ExportAlignment::Left;
        grid.columns[0].titleAlignment = ExportAlignment::Right;
        grid.columns[0].color = QColor(0x12, 0xAB, 0x0F);
        const QByteArray page = exportBytes<HtmlGridExporter>(grid);
        QVERIFY(page.contains("<TD WIDTH=64 ALIGN=\"RIGHT\"><FONT"));
        QVERIFY(page.contains("<TD WIDTH=64 ALIGN=\"LEFT\" BGCOLOR=#12AB0F><FONT"));
    }
};

QTEST_GUILESS_MAIN(TestHtmlExport)
#include "tst_htmlexport.moc"
