// Faults the fuzz targets found, kept as plain tests (their inputs also stay in
// tests/fuzz/<target>/, which the suite replays).
#include "TableGrid.h"

#include "export/RtfGridExporter.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTest>

#include <limits>

class TestFuzzFindings : public QObject
{
    Q_OBJECT

private slots:
    // The right edges of an RTF row are summed column by column; with widths a grid can
    // report (any int) the sum overflowed and the edges wrapped round to negative values.
    void rtfRowEdgesKeepGrowingWithHugeWidths()
    {
        TableGrid grid;
        for (int i = 0; i < 3; ++i)
            grid.columns << TableGrid::siteColumn(QStringLiteral("列%1").arg(i),
                                                  std::numeric_limits<int>::max());
        grid.rows << QVariantList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        RtfGridExporter(grid).exportGridToStream(&buffer);

        static const QRegularExpression edge(QStringLiteral("\\\\cellx(-?\\d+)"));
        QList<qint64> edges;
        for (auto it = edge.globalMatch(QString::fromLatin1(bytes)); it.hasNext();)
            edges << it.next().captured(1).toLongLong();
        QCOMPARE(edges.size(), 6);                                          // title row and data row
        const qint64 column = qint64(std::numeric_limits<int>::max()) * 15; // 1440 twips per 96 pixels
        QCOMPARE(edges.mid(0, 3), (QList<qint64>{column, 2 * column, 3 * column}));
        QCOMPARE(edges.mid(3, 3), edges.mid(0, 3));
    }
};

QTEST_GUILESS_MAIN(TestFuzzFindings)
#include "tst_fuzzfindings.moc"
