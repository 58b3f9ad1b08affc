#include "ExportTestUtil.h"
#include "TableGrid.h"

#include "export/RtfGridExporter.h"

#include <QTest>

class TestRtfExport : public QObject
{
    Q_OBJECT

private:
    static TableGrid siteGrid()
    {
        return TableGrid::siteNumberAndName(125, 224, {{7, QStringLiteral("a\\b{c}")}});
    }

    static QByteArray crlf(const char *text) { return QByteArray(text).replace("\n", "\r\n"); }

    static QByteArray rowDefinition(int shading)
    {
        const QByteArray borders = crlf("\\clbrdrl\\brdrs\\brdrcf0\n\\clbrdrt\\brdrs\\brdrcf0\n"
                                        "\\clbrdrb\\brdrs\\brdrcf0\n\\clbrdrr\\brdrs\\brdrcf0\n");
        const QByteArray pattern = "\\clcbpat" + QByteArray::number(shading);
        return "\\trowd\\trgaph40\r\n" + borders + pattern + "\\cellx1875\r\n" + borders + pattern +
               "\\cellx5235\r\n{\\trrh0\r\n";
    }

    static QByteArray headAndTitles()
    {
        return crlf(
                   "{\\rtf0\\ansi\\ansicpg936\n"
                   "{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red240\\green240\\blue240;"
                   "\\red0\\green128\\blue128;}\n"
                   "{\\fonttbl\\f0\\fnil \\'ce\\'a2\\'c8\\'ed\\'d1\\'c5\\'ba\\'da;}\n") +
               rowDefinition(3) +
               crlf("\\pard\\intbl{\\qc\\sb24\\sa24\\fs20\\b\\f0\\cf1\\cb3 "
                    "\\'cd\\'f8\\'d5\\'be\\'b1\\'e0\\'ba\\'c5"
                    "\\cell}\n"
                    "\\pard\\intbl{\\qc\\sb24\\sa24\\fs20\\b\\f0\\cf1\\cb3 "
                    "\\'cd\\'f8\\'d5\\'be\\'c3\\'fb\\'b3\\'c6"
                    "\\cell}\n"
                    "\\pard\\intbl\\row}\n");
    }

    // Braces that open or close a group, not the escaped ones in texts.
    static int groupBalance(const QByteArray &rtf)
    {
        int depth = 0;
        for (qsizetype i = 0; i < rtf.size(); ++i) {
            if (rtf.at(i) == '\\') {
                ++i;
                continue;
            }
            if (rtf.at(i) == '{')
                ++depth;
            if (rtf.at(i) == '}' && --depth < 0)
                return -1;
        }
        return depth;
    }

private slots:
    void documentMatchesTheLayoutWithColumnEdges()
    {
        TableGrid grid = siteGrid();
        const QByteArray data =
            rowDefinition(1) +
            crlf("\\pard\\intbl{\\qc\\sb24\\sa24\\fs20\\b\\f0\\cf0\\cb1 7\\cell}\n"
                 "\\pard\\intbl{\\qc\\sb24\\sa24\\fs20\\b\\f0\\cf0\\cb1 a\\'5cb\\'7bc\\'7d\\cell}\n"
                 "\\pard\\intbl\\row}\n");
        QCOMPARE(exportBytes<RtfGridExporter>(grid), headAndTitles() + data + "}");
    }

    void emptyGridGivesHeadTablesTitlesAndClosingBrace()
    {
        TableGrid grid = siteGrid();
        grid.rows.clear();
        QCOMPARE(exportBytes<RtfGridExporter>(grid), headAndTitles() + "}");
    }

    void textsAreEscapedSoTheyReadBackUnchanged()
    {
        QCOMPARE(RtfGridExporter::escapedText(QStringLiteral("聖禱倉")),
                 QByteArray("\\'c2\\'7d\\'b6\\'5c\\'82\\'7d"));
        QCOMPARE(RtfGridExporter::escapedText(QStringLiteral("a\tb\r\nc\nd\re;\"<&>")),
                 QByteArray("a\\tab b\\line c\\line d\\line e;\"<&>"));
        QCOMPARE(RtfGridExporter::escapedText(QStringLiteral("x😀")), QByteArray("x\\u-10179?\\u-8704?"));
        QCOMPARE(RtfGridExporter::escapedText(QStringLiteral("\uFEFF€")), QByteArray("\\u-257?\\'80"));
        // A lone surrogate takes the longest escape there is for one unit.
        QCOMPARE(RtfGridExporter::escapedText(QString(2, QChar(0xD800))), QByteArray("\\u-10240?\\u-10240?"));
    }

    void documentStaysBalancedWithAwkwardTexts()
    {
        TableGrid grid = siteGrid();
        grid.columns[1].caption = QStringLiteral("{标题}\\");
        grid.rows = {{1, QStringLiteral("}}}{\\")}, {2, QStringLiteral("聖禱倉\\{")}};
        const QByteArray rtf = exportBytes<RtfGridExporter>(grid);
        QCOMPARE(groupBalance(rtf), 0);
        QVERIFY(rtf.endsWith("\\pard\\intbl\\row}\r\n}"));
    }

    void colourTableIsSeededAndHoldsEachColourOnce()
    {
        TableGrid grid = siteGrid();
        grid.columns[0].color = QColor(0, 128, 128);
        grid.columns[1].font.color = Qt::white;
        const QByteArray rtf = exportBytes<RtfGridExporter>(grid);
        QVERIFY(rtf.contains("{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;"
                             "\\red240\\green240\\blue240;\\red0\\green128\\blue128;}\r\n"));
        QVERIFY(rtf.contains("\\f0\\cf0\\cb3 7\\cell}"));
        QVERIFY(rtf.contains("\\f0\\cf1\\cb1 a\\'5cb"));
    }

    void fontsAreLookedUpIgnoringCaseAndStylesKeepTheirOrder()
    {
        TableGrid grid = siteGrid();
        grid.columns[0].font = {QStringLiteral("Arial"), 16, Qt::black, true, true, true, true};
        grid.columns[1].font = {QStringLiteral("ARIAL"), 13, Qt::black};
        grid.columns[1].titleFont.name = QStringLiteral("Tahoma");
        const QByteArray rtf = exportBytes<RtfGridExporter>(grid);
        QVERIFY(
            rtf.contains("{\\fonttbl\\f0\\fnil \\'ce\\'a2\\'c8\\'ed\\'d1\\'c5\\'ba\\'da;\\f1\\fnil Tahoma;"
                         "\\f2\\fnil Arial;}\r\n"));
        QVERIFY(rtf.contains("{\\qc\\sb24\\sa24\\fs24\\b\\i\\strike\\ul\\f2\\cf0\\cb1 7\\cell}"));
        QVERIFY(rtf.contains("{\\qc\\sb24\\sa24\\fs20\\f2\\cf0\\cb1 a"));
    }

    void alignmentAndEdgesFollowTheGrid()
    {
        TableGrid grid = siteGrid();
        grid.ppi = 64; // 22.5 twips per pixel: halves round to even
        grid.columns[0].width = 1;
        grid.columns[1].width = 3;
        grid.columns[0].alignment = ExportAlignment::Left;
        grid.columns[1].alignment = ExportAlignment::Right;
        const QByteArray rtf = exportBytes<RtfGridExporter>(grid);
        QVERIFY(rtf.contains("\\clcbpat1\\cellx22\r\n"));
        QVERIFY(rtf.contains("\\clcbpat1\\cellx90\r\n"));
        QVERIFY(rtf.contains("{\\ql\\sb24\\sa24\\fs30\\b\\f0\\cf0\\cb1 7\\cell}"));
        QVERIFY(rtf.contains("{\\qr\\sb24\\sa24\\fs30\\b\\f0\\cf0\\cb1 a"));
    }

    void failureLeavesTheOutputEmpty()
    {
        TableGrid grid = siteGrid();
        grid.failAtRow = 0;
        MemoryOutput output;
        RtfGridExporter writer(grid);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, writer.exportGridToStream(&output.buffer));
        QVERIFY(output.bytes.isEmpty());
        QCOMPARE(grid.resumed, 1);
    }
};

QTEST_GUILESS_MAIN(TestRtfExport)
#include "tst_rtfexport.moc"
