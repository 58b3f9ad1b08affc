#include "DialogRecorder.h"
#include "TestWorld.h"
#include "app/Startup.h"
#include "export/CsvGridExporter.h"
#include "export/ExportError.h"
#include "export/ExportFile.h"
#include "export/TextGridExporter.h"
#include "gui/SiteGrid.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"

#include <QBuffer>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

// The shared site grid on its own: model, deletes and what the export sees. Ctrl+Delete is
// tested in the main window, where its effect on the count and the actions shows too.
class SiteGridTest : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        explicit Fixture(int sites) : world(false), query(&connection)
        {
            for (int i = 0; i < sites; ++i)
                world.addPlainSite(QStringLiteral("S%1").arg(i, 6, 10, QLatin1Char('0')),
                                   QStringLiteral("site %1").arg(i), QStringLiteral("www.s%1.com").arg(i),
                                   i % 2 ? QStringLiteral("2011-03-07") : QString());
            world.pointAt(connection);
            query.setSql(Statements::MainList);
            query.open();
            grid.setColumns(SiteGrid::mainListColumns());
            grid.setQuery(&query);
            grid.reload();
            grid.resize(600, 200);
        }
        void select(const QList<int> &rows)
        {
            grid.clearSelection();
            for (int row : rows)
                grid.selectionModel()->select(grid.model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        void ctrlDelete() { QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier); }

        TestWorld world;
        DialogRecorder recorder;
        Connection connection;
        Query query;
        SiteGrid grid;
    };

private slots:
    void showsTheListCentredAndReadOnly()
    {
        Fixture f(2);
        const QAbstractItemModel *model = f.grid.model();
        QCOMPARE(model->columnCount(), 8);
        QCOMPARE(model->rowCount(), 2);
        QStringList titles;
        for (int i = 0; i < 8; ++i)
            titles << model->headerData(i, Qt::Horizontal).toString();
        QCOMPARE(titles, QStringList({"网站编号", "网站名称", "网站地址", "网站后台地址", "空间申请日期",
                                      "空间到期日期", "域名申请日期", "域名到期日期"}));
        QCOMPARE(f.grid.columnWidth(2), 271);
        const QModelIndex endTime = model->index(1, 5);
        QCOMPARE(endTime.data().toString(), QStringLiteral("2011-3-7"));
        QCOMPARE(model->index(0, 5).data().toString(), QString());
        QCOMPARE(endTime.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QVERIFY(!(endTime.flags() & Qt::ItemIsEditable));
        QCOMPARE(f.grid.currentRow(), 0);
        QCOMPARE(f.grid.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(f.grid.selectionMode(), QAbstractItemView::ExtendedSelection);
        f.grid.setMultiSelect(false);
        QCOMPARE(f.grid.selectionMode(), QAbstractItemView::SingleSelection);
    }

    void connectionClosedUnderTheGrid()
    {
        Fixture f(3);
        f.connection.close();
        // Painting a list closed by someone else must not fail; a reload empties it.
        QCOMPARE(f.grid.model()->index(2, 1).data().toString(), QString());
        // Rows shown but no longer held are not exported as a list with titles only.
        const QString file = f.world.file(QStringLiteral("list.txt"));
        QVERIFY_THROWS_EXCEPTION(ExportError, saveGridToExportFile(ExportKind::Text, f.grid, file));
        QVERIFY(!QFileInfo::exists(file));
        f.grid.reload();
        QCOMPARE(f.grid.rowCount(), 0);
        QCOMPARE(f.grid.currentRow(), -1);
        f.ctrlDelete();
        QCOMPARE(f.recorder.count(), 0);
    }

    void deleteKeepsTheFollowingRowCurrent()
    {
        Fixture f(8);
        f.grid.selectionModel()->setCurrentIndex(f.grid.model()->index(5, 0), QItemSelectionModel::NoUpdate);
        f.grid.deleteRows({1, 2, 5});
        QCOMPARE(f.grid.rowCount(), 5);
        QCOMPARE(f.grid.currentText("web_name"), QStringLiteral("site 6"));
        QCOMPARE(f.query.text("web_name"), QStringLiteral("site 6"));
        f.grid.deleteRows({f.grid.rowCount() - 1});
        f.grid.selectionModel()->setCurrentIndex(f.grid.model()->index(3, 0), QItemSelectionModel::NoUpdate);
        f.grid.deleteRows({3});
        QCOMPARE(f.grid.currentText("web_name"), QStringLiteral("site 4"));
    }

    void exportSeesEveryRowAndTheLook()
    {
        Fixture f(3);
        QCOMPARE(f.grid.columnCount(), 8);
        const ExportColumn id = f.grid.column(0);
        QCOMPARE(id.caption, QStringLiteral("网站编号"));
        QCOMPARE(id.width, 125);
        QCOMPARE(id.alignment, ExportAlignment::Center);
        QCOMPARE(id.titleColor, QColor(0, 128, 128));
        QCOMPARE(id.titleFont.color, QColor(Qt::white));
        QVERIFY(id.titleFont.bold);
        QCOMPARE(id.font.pixelHeight, 13);
        QVERIFY(id.font.bold);
        QCOMPARE(id.fieldType, FieldType::String);
        QCOMPARE(f.grid.column(7).fieldType, FieldType::Date);
        f.grid.setColumnWidth(1, 300);
        QCOMPARE(f.grid.column(1).width, 300);

        f.select({1});
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        TextGridExporter exporter(f.grid);
        exporter.exportGridToStream(&buffer);
        const QList<QByteArray> lines = out.trimmed().split('\n');
        QCOMPARE(lines.size(), 4); // titles and every row, whatever is selected
        QVERIFY(lines.at(2).contains("site 1\t"));
        QVERIFY(lines.at(2).contains("2011-3-7"));
        QVERIFY(lines.at(3).startsWith("S000002\t"));
    }

    // The page's title row lies on the fixed-cell colour: it must be the colour the
    // titles are painted in, or the white titles vanish.
    void fixedColourIsTheTitleColourOnScreen()
    {
        applyLook();
        Fixture f(1);
        f.grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.grid));
        const QImage titles = f.grid.horizontalHeader()->grab().toImage();
        qApp->setStyleSheet(QString());
        const QColor painted = titles.pixelColor(3, titles.height() / 2);
        QCOMPARE(f.grid.fixedColor(), painted);
        QCOMPARE(f.grid.column(0).titleColor, painted);
    }

    void aRefusedNameIsNamedByItsSiteNumber()
    {
        Fixture f(1);
        f.world.addPlainSite(QStringLiteral("S000009"), QStringLiteral("表情😀站"),
                             QStringLiteral("www.s9.com"), QString());
        f.query.open();
        f.grid.reload();
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        CsvGridExporter exporter(f.grid);
        try {
            exporter.exportGridToStream(&buffer);
            QFAIL("the name was written");
        } catch (const ExportError &error) {
            QVERIFY2(error.reason().startsWith(QStringLiteral("网站编号“S000009”的“网站名称”中的字符“😀”")),
                     qPrintable(error.reason()));
        }
    }

    void positionSurvivesTheWalk()
    {
        Fixture f(300);
        f.grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.grid));
        f.grid.setCurrentRow(150);
        f.grid.verticalScrollBar()->setValue(140);
        f.grid.horizontalScrollBar()->setValue(40);
        const int vertical = f.grid.verticalScrollBar()->value();
        const int horizontal = f.grid.horizontalScrollBar()->value();
        QVERIFY(vertical > 0);
        f.grid.savePosition();
        f.grid.suspendUpdates();
        QVERIFY(!f.grid.updatesEnabled());
        for (f.grid.first(); !f.grid.atEnd(); f.grid.next())
            f.grid.displayText(2);
        f.grid.restorePosition();
        f.grid.resumeUpdates();
        QVERIFY(f.grid.updatesEnabled());
        QCOMPARE(f.grid.currentRow(), 150);
        QCOMPARE(f.query.recNo(), 150);
        QCOMPARE(f.grid.verticalScrollBar()->value(), vertical);
        QCOMPARE(f.grid.horizontalScrollBar()->value(), horizontal);
        QCOMPARE(f.grid.selectedRowNumbers(), QList<int>{150});
    }
};

QTEST_MAIN(SiteGridTest)
#include "tst_sitegrid.moc"
