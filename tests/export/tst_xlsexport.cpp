#include "ExportTestUtil.h"
#include "TableGrid.h"

#include "export/ExportError.h"
#include "export/XlsGridExporter.h"

#include <QTest>
#include <QtEndian>

class TestXlsExport : public QObject
{
    Q_OBJECT

private:
    struct Record
    {
        int number;
        QByteArray data;
        int row() const { return qFromLittleEndian<quint16>(data.constData()); }
        int column() const { return qFromLittleEndian<quint16>(data.constData() + 2); }
    };

    static QList<Record> records(const QByteArray &sheet)
    {
        QList<Record> result;
        for (qsizetype i = 0; i + 4 <= sheet.size();) {
            const int number = qFromLittleEndian<quint16>(sheet.constData() + i);
            const int length = qFromLittleEndian<quint16>(sheet.constData() + i + 2);
            result.append({number, sheet.mid(i + 4, length)});
            i += 4 + length;
        }
        return result;
    }

    static const QByteArray &start()
    {
        static const QByteArray bytes = QByteArray::fromHex("090808000000100000000000"
                                                            "42000200a803");
        return bytes;
    }

    // The bytes of the data cell of a one-column grid titled "t".
    static QByteArray dataCell(const ExportColumn &column, const QVariant &value)
    {
        TableGrid grid;
        grid.columns = {column};
        grid.rows = {{value}};
        const QByteArray sheet = exportBytes<XlsGridExporter>(grid);
        const QByteArray prefix = start() + QByteArray::fromHex("04020900000000000000010074");
        const QByteArray eof = QByteArray::fromHex("0a000000");
        if (!sheet.startsWith(prefix) || !sheet.endsWith(eof))
            return "bad frame: " + sheet.toHex();
        return sheet.mid(prefix.size(), sheet.size() - prefix.size() - eof.size());
    }

    static TableGrid oneColumnGrid(int dataRows)
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn("n", 10, FieldType::Int32)};
        grid.rows.fill({1}, dataRows);
        return grid;
    }

private slots:
    void workedExampleWithCodePageAfterBof()
    {
        TableGrid grid = TableGrid::siteNumberAndName(64, 120, {{7, QVariant()}});
        const QByteArray expected = start() + QByteArray::fromHex("040210000000000000000800cdf8d5beb1e0bac5"
                                                                  "040210000000010000000800cdf8d5bec3fbb3c6"
                                                                  "7e020a000100000000001e000000"
                                                                  "01020600010001001700"
                                                                  "0a000000");
        QCOMPARE(exportBytes<XlsGridExporter>(grid), expected);

        grid.rows.clear();
        QCOMPARE(exportBytes<XlsGridExporter>(grid),
                 expected.left(start().size() + 40) + QByteArray::fromHex("0a000000"));
    }

    void cellsAreTypedByTheirField_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("record");
        auto add = [](const char *name, FieldType type, const QVariant &value, const char *hex) {
            QTest::newRow(name) << int(type) << value << QByteArray::fromHex(hex);
        };
        add("zero", FieldType::Int32, 0, "7e020a00010000000000 02000000");
        add("minus one", FieldType::Int16, -1, "7e020a00010000000000 feffffff");
        add("largest RK", FieldType::Int32, 536870911, "7e020a00010000000000 feffff7f");
        add("smallest RK", FieldType::AutoInc, -536870912, "7e020a00010000000000 02000080");
        add("above RK", FieldType::Int32, 536870912, "03020e00010000000000 000000000000c041");
        add("below RK", FieldType::UInt16, -536870913, "03020e00010000000000 0000800000 00c0c1");
        add("float", FieldType::Float, 1.5, "03020e00010000000000 000000000000f83f");
        add("currency", FieldType::Currency, 2.25, "03020e00010000000000 0000000000000240");
        add("64-bit as text", FieldType::Int64, 12345, "04020d00010000000000 0500 3132333435");
        add("date as shown", FieldType::Date, "2011-3-7", "04021000010000000000 0800 323031312d332d37");
        add("empty text", FieldType::String, "", "04020800010000000000 0000");
        add("null", FieldType::Int32, QVariant(), "0102060001000000 1700");
        add("null text", FieldType::String, QVariant(), "0102060001000000 1700");
    }

    void cellsAreTypedByTheirField()
    {
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, record);
        QCOMPARE(dataCell(TableGrid::siteColumn("t", 10, FieldType(type)), value), record);
    }

    void rowsFollowTitlesAndColumnsWrap()
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn("a", 10, FieldType::Int32), TableGrid::siteColumn("b", 10)};
        grid.rows = {{1, "x"}, {2, "y"}, {3, "z"}};
        QList<Record> cells = records(exportBytes<XlsGridExporter>(grid)).mid(2);
        QCOMPARE(cells.size(), 9);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(cells.at(i).row(), i / 2);
            QCOMPARE(cells.at(i).column(), i % 2);
        }
    }

    void textsUpToTheLabelLimitFitAndLongerOnesFailBeforeWriting()
    {
        ExportColumn column = TableGrid::siteColumn("t", 10);
        const QByteArray fits = dataCell(column, QString(XlsGridExporter::MaxLabelBytes, QLatin1Char('x')));
        QCOMPARE(fits.left(4), QByteArray::fromHex("0402ffff"));

        TableGrid grid;
        grid.columns = {column};
        grid.rows = {{QStringLiteral("短")}, {QString(35000, QChar(0x4E2D))}};
        MemoryOutput output;
        XlsGridExporter writer(grid);
        QVERIFY_THROWS_EXCEPTION(ExportError, writer.exportGridToStream(&output.buffer));
        QVERIFY(output.bytes.isEmpty());
        QCOMPARE(grid.resumed, 1);

        grid.rows.clear();
        grid.columns[0].caption = QString(XlsGridExporter::MaxLabelBytes + 1, QLatin1Char('c'));
        QVERIFY_THROWS_EXCEPTION(ExportError, writer.exportGridToStream(&output.buffer));
        QVERIFY(output.bytes.isEmpty());
    }

    void aFullWorksheetFitsAndOneRowMoreFailsBeforeWriting()
    {
        TableGrid grid = oneColumnGrid(XlsGridExporter::MaxRow);
        const QList<Record> full = records(exportBytes<XlsGridExporter>(grid));
        QCOMPARE(full.size(), 2 + 1 + XlsGridExporter::MaxRow + 1);
        QCOMPARE(full.at(full.size() - 2).row(), XlsGridExporter::MaxRow);

        grid.rows.append(QVariantList{1});
        MemoryOutput output;
        XlsGridExporter writer(grid);
        QVERIFY_THROWS_EXCEPTION(ExportError, writer.exportGridToStream(&output.buffer));
        QVERIFY(output.bytes.isEmpty());
    }

    void unreadableNumberAndFailingDeviceAbortTheExport()
    {
        TableGrid grid = oneColumnGrid(1);
        grid.rows = {{QStringLiteral("abc")}};
        MemoryOutput output;
        XlsGridExporter writer(grid);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, writer.exportGridToStream(&output.buffer));
        QVERIFY(output.bytes.isEmpty());

        grid.rows = {{1}};
        FailingDevice device(10);
        QVERIFY_THROWS_EXCEPTION(ExportError, writer.exportGridToStream(&device));
    }
};

QTEST_GUILESS_MAIN(TestXlsExport)
#include "tst_xlsexport.moc"
