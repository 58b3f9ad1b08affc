#include "ExportTestUtil.h"
#include "TableGrid.h"

#include "export/ExportError.h"
#include "export/ExportFile.h"
#include "export/GridExporter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// Records the slots the walk calls, in order.
class WalkLog : public GridExporter
{
public:
    explicit WalkLog(TableGrid &grid) : GridExporter(grid), m_grid(grid) {}
    QStringList events;

protected:
    void emitHeader() override { events << "header"; }
    void emitTrailer() override
    {
        events << (m_grid.resumed == m_grid.suspended ? "trailer restored" : "trailer");
    }
    void emitTitleRow(const QList<ExportColumn> &columns) override
    {
        events << QStringLiteral("titles %1").arg(columns.size());
    }
    void emitCell(int column, const CellParams &params) override
    {
        events << QStringLiteral("cell %1 %2").arg(column).arg(params.Text);
    }

private:
    TableGrid &m_grid;
};

class TestExportFile : public QObject
{
    Q_OBJECT

private:
    static TableGrid smallGrid()
    {
        return TableGrid::siteNumberAndName(64, 120, {{7, QStringLiteral("甲")}, {8, QStringLiteral("乙")}});
    }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void writeAll(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void filterListHasFiveEntriesInOrder()
    {
        QCOMPARE(ExportFile::filterEntries().join(QLatin1Char('|')),
                 QStringLiteral("*.xls|.xls|*.csv|.csv|*.htm|.htm|*.rtf|.rtf|*.txt|.txt"));
        QCOMPARE(ExportFile::dialogFilters().size(), 5);
        QCOMPARE(ExportFile::dialogFilters().at(3), QStringLiteral("*.rtf (*.rtf)"));
        QCOMPARE(ExportFile::kindForEntry(1), std::optional<ExportKind>(ExportKind::Xls));
        QCOMPARE(ExportFile::kindForEntry(5), std::optional<ExportKind>(ExportKind::Text));
        QVERIFY(!ExportFile::kindForEntry(0));
        QVERIFY(!ExportFile::kindForEntry(6));
        QVERIFY(!ExportFile::kindForEntry(-1));
    }

    void extensionRuleLooksAtTheLastThreeCharacters_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("result");
        QTest::newRow("plain name") << "report" << 1 << "report.xls";
        QTest::newRow("other case stays") << "report.XLS" << 1 << "report.XLS";
        QTest::newRow("dot not supplied") << "reportxls" << 1 << "reportxls";
        QTest::newRow("other extension") << "report.csv" << 1 << "report.csv.xls";
        QTest::newRow("mixed case") << "/tmp/a.HtM" << 3 << "/tmp/a.HtM";
        QTest::newRow("short name") << "xl" << 1 << "xl.xls";
        QTest::newRow("empty name") << "" << 5 << ".txt";
        QTest::newRow("Chinese name") << QStringLiteral("网站.rtf") << 4 << QStringLiteral("网站.rtf");
        // Only ASCII letters fold: the long s is not an "s".
        QTest::newRow("long s") << QStringLiteral("report.xl\u017f") << 1
                                << QStringLiteral("report.xl\u017f.xls");
        QTest::newRow("Kelvin sign") << QStringLiteral("a.\u212Ak") << 5 << QStringLiteral("a.\u212Ak.txt");
    }

    void extensionRuleLooksAtTheLastThreeCharacters()
    {
        QFETCH(QString, chosen);
        QFETCH(int, entry);
        QFETCH(QString, result);
        QCOMPARE(ExportFile::fileNameFor(chosen, *ExportFile::kindForEntry(entry)), result);
    }

    void defaultNameIsTheFourteenDigitTimeStamp()
    {
        const QDateTime afternoon(QDate(2011, 3, 7), QTime(15, 4, 5));
        QCOMPARE(ExportFile::defaultName(afternoon), QStringLiteral("20110307150405"));
        QCOMPARE(ExportFile::defaultName(QDateTime(QDate(1999, 12, 31), QTime(0, 0, 9))),
                 QStringLiteral("19991231000009"));
    }

    void eachKindWritesItsFormatAndReplacesAnExistingFile()
    {
        QTemporaryDir dir;
        TableGrid grid = smallGrid();
        const QString path = dir.filePath("out");
        writeAll(path, QByteArray(5000, 'o'));
        saveGridToExportFile(ExportKind::Text, grid, path);
        QCOMPARE(readAll(path), gbk(QStringLiteral("网站编号\t网站名称\r\n7\t甲\r\n8\t乙")));
        saveGridToExportFile(ExportKind::Csv, grid, path);
        QVERIFY(readAll(path).startsWith(gbk(QStringLiteral("\"网站编号\";"))));
        saveGridToExportFile(ExportKind::Html, grid, path);
        QVERIFY(readAll(path).startsWith("<!DOCTYPE HTML"));
        saveGridToExportFile(ExportKind::Rtf, grid, path);
        QVERIFY(readAll(path).startsWith("{\\rtf0\\ansi\\ansicpg936\r\n"));
        saveGridToExportFile(ExportKind::Xls, grid, path);
        QVERIFY(readAll(path).startsWith(QByteArray::fromHex("0908080000001000")));
        QVERIFY(readAll(path).endsWith(QByteArray::fromHex("0a000000")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"out"});
    }

    void aFileThatCannotBeCreatedIsAnError()
    {
        QTemporaryDir dir;
        TableGrid grid = smallGrid();
        const QString missingFolder = dir.filePath("no/such/folder/out.xls");
        QVERIFY_THROWS_EXCEPTION(ExportError, saveGridToExportFile(ExportKind::Xls, grid, missingFolder));
        QVERIFY(!QFile::exists(missingFolder));
        writeAll(dir.filePath("plain"), "x");
        QVERIFY_THROWS_EXCEPTION(ExportError,
                                 saveGridToExportFile(ExportKind::Csv, grid, dir.filePath("plain/out.csv")));
        QVERIFY_THROWS_EXCEPTION(ExportError, saveGridToExportFile(ExportKind::Text, grid, dir.path()));
        QCOMPARE(grid.suspended, 0);
    }

    void aReadOnlyFolderIsAnError()
    {
        if (geteuid() == 0)
            QSKIP("folder permissions do not bind the superuser");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        TableGrid grid = smallGrid();
        QVERIFY_THROWS_EXCEPTION(ExportError,
                                 saveGridToExportFile(ExportKind::Html, grid, dir.filePath("a.htm")));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(!QFile::exists(dir.filePath("a.htm")));
    }

    void aFailedExportLeavesTheFormerFileAndNoOther()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.csv");
        writeAll(path, "former contents");
        TableGrid grid = smallGrid();
        grid.failAtRow = 1;
        grid.current = 1;
        for (const ExportKind kind : {ExportKind::Csv, ExportKind::Xls, ExportKind::Rtf}) {
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, saveGridToExportFile(kind, grid, path));
            QCOMPARE(readAll(path), QByteArray("former contents"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.csv"});
        QCOMPARE(grid.current, 1);
        QCOMPARE(grid.resumed, 3);

        const QString fresh = dir.filePath("fresh.htm");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, saveGridToExportFile(ExportKind::Html, grid, fresh));
        QVERIFY(!QFile::exists(fresh));
    }

    void theEuroSignIsTheByteGbkReadersKnow()
    {
        TableGrid grid = TableGrid::siteNumberAndName(64, 120, {{7, QStringLiteral("€5")}});
        for (const ExportKind kind : {ExportKind::Text, ExportKind::Csv, ExportKind::Html, ExportKind::Xls}) {
            MemoryOutput output;
            ExportFile::createExporter(kind, grid)->exportGridToStream(&output.buffer);
            QVERIFY2(output.bytes.contains("\x80"
                                           "5") &&
                         !output.bytes.contains("\xa2\xe3"),
                     qPrintable(ExportFile::extension(kind)));
        }
    }

    void aCharacterBeyondTheCodePageRefusesTheExport_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("emoji") << QStringLiteral("表情😀站") << QStringLiteral("“😀”（U+1F600）");
        QTest::newRow("rare character") << QStringLiteral("𪜀字") << QStringLiteral("“𪜀”（U+2A700）");
        // Characters a converter drops without a byte must not vanish either.
        QTest::newRow("byte-order mark")
            << QStringLiteral("\uFEFFabc") << QStringLiteral("“\uFEFF”（U+FEFF）");
        QTest::newRow("tag character")
            << QString::fromUcs4(U"a\U000E0041") << QString::fromUcs4(U"“\U000E0041”（U+E0041）");
    }

    void aCharacterBeyondTheCodePageRefusesTheExport()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        TableGrid grid = TableGrid::siteNumberAndName(64, 120, {{7, QStringLiteral("甲")}, {8, name}});
        const QString former = dir.filePath("former");
        writeAll(former, "former contents");
        const QString reason = QStringLiteral("网站编号“8”的“网站名称”中的字符") + shown +
                               QStringLiteral("无法保存到此类文件，.htm 和 .rtf 文件可以保存所有字符");
        for (const ExportKind kind : {ExportKind::Text, ExportKind::Csv, ExportKind::Xls}) {
            for (const QString &path : {former, dir.filePath("fresh")}) {
                try {
                    saveGridToExportFile(kind, grid, path);
                    QFAIL(qPrintable(ExportFile::extension(kind) + " took the text"));
                } catch (const ExportError &error) {
                    QCOMPARE(error.reason(), reason);
                }
            }
            QCOMPARE(readAll(former), QByteArray("former contents"));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"former"});
        }
        QCOMPARE(grid.resumed, grid.suspended);
        for (const ExportKind kind : {ExportKind::Html, ExportKind::Rtf})
            saveGridToExportFile(kind, grid, dir.filePath("kept"));
    }

    void theWalkVisitsEveryRowInOrderAndPutsTheGridBackBeforeTheTrailer()
    {
        TableGrid grid = smallGrid();
        grid.rows.append({9, QStringLiteral("丙")});
        grid.current = 2;
        WalkLog log(grid);
        log.exportGridToStream(nullptr);
        QCOMPARE(log.events, QStringList({"header", "titles 2", "cell 0 7", QStringLiteral("cell 1 甲"),
                                          "cell 0 8", QStringLiteral("cell 1 乙"), "cell 0 9",
                                          QStringLiteral("cell 1 丙"), "trailer restored"}));
        QCOMPARE(grid.current, 2);
        QCOMPARE(grid.suspended, 1);
        QCOMPARE(grid.resumed, 1);

        grid.rows.clear();
        log.events.clear();
        log.exportGridToStream(nullptr);
        QCOMPARE(log.events, QStringList({"header", "titles 2", "trailer restored"}));
    }
};

QTEST_GUILESS_MAIN(TestExportFile)
#include "tst_exportfile.moc"
