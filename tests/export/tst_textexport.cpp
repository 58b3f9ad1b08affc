#include "ExportTestUtil.h"
#include "TableGrid.h"

#include "export/CsvGridExporter.h"
#include "export/ExportError.h"
#include "export/ExportFile.h"
#include "export/TextGridExporter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTextExport : public QObject
{
    Q_OBJECT

private:
    static TableGrid siteGrid()
    {
        return TableGrid::siteNumberAndName(64, 120, {{7, QStringLiteral("甲")}, {8, QStringLiteral("乙")}});
    }

private slots:
    void textLayoutIsTabsAndCrLfWithoutFinalBreak()
    {
        TableGrid grid = siteGrid();
        const QByteArray expected =
            QByteArray("\xcd\xf8\xd5\xbe\xb1\xe0\xba\xc5\t\xcd\xf8\xd5\xbe\xc3\xfb\xb3\xc6"
                       "\r\n7\t\xbc\xd7\r\n8\t\xd2\xd2");
        QCOMPARE(exportBytes<TextGridExporter>(grid), expected);
    }

    void csvQuotesEveryFieldAndSeparatesWithSemicolons()
    {
        TableGrid grid = siteGrid();
        const QByteArray expected =
            QByteArray("\"\xcd\xf8\xd5\xbe\xb1\xe0\xba\xc5\";\"\xcd\xf8\xd5\xbe\xc3\xfb\xb3\xc6\""
                       "\r\n\"7\";\"\xbc\xd7\"\r\n\"8\";\"\xd2\xd2\"");
        QCOMPARE(exportBytes<CsvGridExporter>(grid), expected);
    }

    void emptyGridGivesTheTitleLineOnly()
    {
        TableGrid grid = siteGrid();
        grid.rows.clear();
        QCOMPARE(exportBytes<TextGridExporter>(grid), gbk(QStringLiteral("网站编号\t网站名称")));
        QCOMPARE(exportBytes<CsvGridExporter>(grid), gbk(QStringLiteral("\"网站编号\";\"网站名称\"")));
    }

    void emptyCaptionsKeepTheirPlace()
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn("a", 10), TableGrid::siteColumn("", 10),
                        TableGrid::siteColumn("c", 10)};
        QCOMPARE(exportBytes<TextGridExporter>(grid), QByteArray("a\t\tc"));
        QCOMPARE(exportBytes<CsvGridExporter>(grid), QByteArray("\"a\";\"\";\"c\""));
    }

    void textFormatWritesAwkwardTextsUnchanged()
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn("x", 10), TableGrid::siteColumn("y", 10)};
        grid.rows = {{QStringLiteral("a\tb"), QStringLiteral("l1\r\nl2")}};
        QCOMPARE(exportBytes<TextGridExporter>(grid), QByteArray("x\ty\r\na\tb\tl1\r\nl2"));
    }

    void csvKeepsAwkwardTextsInsideQuotes()
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn("say \"hi\"", 10), TableGrid::siteColumn("x", 10)};
        grid.rows = {{QStringLiteral("a;b\tc\r\nd"), QString()},
                     {QStringLiteral("\"引号\";"), QStringLiteral("<&>\\{}")}};
        QCOMPARE(exportBytes<CsvGridExporter>(grid),
                 QByteArray("\"say \"\"hi\"\"\";\"x\"\r\n\"a;b\tc\r\nd\";\"\"\r\n") +
                     gbk(QStringLiteral("\"\"\"引号\"\";\";\"<&>\\{}\"")));
    }

    // 聖 禱 倉 carry "}" and "\" as their second GBK byte; the euro sign is one byte.
    void chineseKeepsItsBytesAndTheEuroIsOneByte()
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn(QStringLiteral("字"), 10)};
        grid.rows = {{QStringLiteral("聖禱倉€")}};
        const QByteArray cell("\xc2\x7d\xb6\x5c\x82\x7d\x80");
        QCOMPARE(exportBytes<TextGridExporter>(grid), gbk(QStringLiteral("字")) + "\r\n" + cell);
        QCOMPARE(exportBytes<CsvGridExporter>(grid),
                 "\"" + gbk(QStringLiteral("字")) + "\"\r\n\"" + cell + "\"");
    }

    void longTextsAreWrittenWhole()
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn("t", 10)};
        grid.rows = {{QString(35000, QChar(0x4E2D))}};
        const QByteArray bytes = exportBytes<CsvGridExporter>(grid);
        QCOMPARE(bytes.size(), qsizetype(3 + 2 + 1 + 70000 + 1));
        QVERIFY(bytes.endsWith(QByteArray("\xd6\xd0\"")));
    }

    // A file's bytes go out in pieces of a few hundred kilobytes, written on a thread of their
    // own; none may be lost, doubled or reordered between them.
    void manyRowsArriveWholeAndInOrder()
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn("t", 10)};
        QByteArray expected("t");
        for (int i = 0; i < 100000; ++i) {
            grid.rows.append(QVariantList{QStringLiteral("行%1").arg(i)});
            expected += "\r\n\xd0\xd0" + QByteArray::number(i);
        }
        QTemporaryDir dir;
        saveGridToExportFile(ExportKind::Text, grid, dir.filePath("rows.txt"));
        QFile file(dir.filePath("rows.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);
    }

    void aSecondExportStartsWithoutALineBreak()
    {
        TableGrid grid = siteGrid();
        MemoryOutput first, second;
        TextGridExporter writer(grid);
        writer.exportGridToStream(&first.buffer);
        writer.exportGridToStream(&second.buffer);
        QCOMPARE(second.bytes, first.bytes);
    }

    void failingWriteThrowsAndTheGridIsPutBack()
    {
        TableGrid grid = siteGrid();
        grid.rows.append({9, QStringLiteral("丙")});
        grid.current = 1;
        FailingDevice device(20);
        TextGridExporter writer(grid);
        QVERIFY_THROWS_EXCEPTION(ExportError, writer.exportGridToStream(&device));
        QCOMPARE(grid.current, 1);
        QCOMPARE(grid.suspended, 1);
        QCOMPARE(grid.resumed, 1);
        QCOMPARE(grid.restored, 1);
    }

    void unreadableFieldPropagatesAndTheGridIsPutBack()
    {
        TableGrid grid = siteGrid();
        grid.failAtRow = 1;
        grid.current = 0;
        MemoryOutput output;
        CsvGridExporter writer(grid);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, writer.exportGridToStream(&output.buffer));
        QCOMPARE(grid.current, 0);
        QCOMPARE(grid.resumed, 1);
    }
};

QTEST_GUILESS_MAIN(TestTextExport)
#include "tst_textexport.moc"
