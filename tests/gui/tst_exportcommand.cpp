#include "DialogRecorder.h"
#include "ExportTestUtil.h"
#include "TableGrid.h"

#include "gui/ExportCommand.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestExportCommand : public QObject
{
    Q_OBJECT

private:
    static TableGrid smallGrid()
    {
        TableGrid grid;
        grid.columns = {TableGrid::siteColumn(QStringLiteral("网站编号"), 64, FieldType::Int32)};
        grid.rows = {{7}, {8}};
        return grid;
    }

private slots:
    void successWritesTheChosenTypeAndSaysSo()
    {
        QTemporaryDir dir;
        TableGrid grid = smallGrid();
        grid.current = 1;
        int lastType = 1;
        DialogRecorder dialogs;
        dialogs.scriptSave(dir.filePath("report.csv"), 5);
        runExportCommand(nullptr, grid, lastType);

        QFile file(dir.filePath("report.csv.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), gbk(QStringLiteral("网站编号\r\n7\r\n8")));
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(dialogs.lastMessage().caption, QStringLiteral("提示"));
        QCOMPARE(dialogs.lastMessage().text, QStringLiteral("数据导出成功"));
        QCOMPARE(dialogs.lastMessage().icon, Dialogs::Icon::Exclamation);
        QCOMPARE(grid.current, 1);
        QCOMPARE(lastType, 5);
    }

    void dialogStartsOnATimeStampAndTheLastTypeInTheFolderInUse()
    {
        QTemporaryDir dir;
        TableGrid grid = smallGrid();
        int lastType = 1;
        DialogRecorder dialogs;
        dialogs.scriptSave(dir.filePath("a"), 3);
        dialogs.scriptSaveCancel();
        ProgramFolder::use(dir.path());
        runExportCommand(nullptr, grid, lastType);
        runExportCommand(nullptr, grid, lastType);
        ProgramFolder::reset();

        const QList<Dialogs::SaveChoice> requests = dialogs.saveRequests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).filterIndex, 1);
        QCOMPARE(requests.at(1).filterIndex, 3);
        for (const Dialogs::SaveChoice &request : requests) {
            QVERIFY2(QRegularExpression("^20\\d{12}$").match(request.fileName).hasMatch(),
                     qPrintable(request.fileName));
            QCOMPARE(request.folder, dir.path());
        }
        QVERIFY(QFile::exists(dir.filePath("a.htm")));
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(lastType, 3);
    }

    void cancelledDialogWritesAndShowsNothing()
    {
        TableGrid grid = smallGrid();
        int lastType = 2;
        DialogRecorder dialogs;
        dialogs.scriptSaveCancel();
        runExportCommand(nullptr, grid, lastType);
        QCOMPARE(dialogs.count(), 0);
        QCOMPARE(grid.suspended, 0);
        QCOMPARE(lastType, 2);
    }

    void failuresAreReportedAsExportErrors()
    {
        QTemporaryDir dir;
        TableGrid grid = smallGrid();
        int lastType = 1;
        DialogRecorder dialogs;
        dialogs.scriptSave(dir.filePath("missing/folder/x"), 1);
        runExportCommand(nullptr, grid, lastType);
        QCOMPARE(dialogs.lastMessage().text, QStringLiteral("数据导出出错"));
        QCOMPARE(dialogs.lastMessage().caption, QStringLiteral("提示"));
        QCOMPARE(dialogs.lastMessage().icon, Dialogs::Icon::Error);

        grid.failAtRow = 1;
        dialogs.scriptSave(dir.filePath("broken"), 4);
        runExportCommand(nullptr, grid, lastType);
        QCOMPARE(dialogs.texts(),
                 QStringList({QStringLiteral("数据导出出错"), QStringLiteral("数据导出出错")}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(grid.resumed, 1);
    }

    void aNameBeyondTheCodePageIsRefusedWithTheReason()
    {
        QTemporaryDir dir;
        TableGrid grid = TableGrid::siteNumberAndName(64, 120, {{7, QStringLiteral("表情😀站")}});
        int lastType = 1;
        DialogRecorder dialogs;
        dialogs.scriptSave(dir.filePath("sites"), 2);
        runExportCommand(nullptr, grid, lastType);
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(
            dialogs.lastMessage().text,
            QStringLiteral("数据导出出错\r网站编号“7”的“网站名称”中的字符“😀”（U+1F600）无法保存到此类文件，"
                           ".htm 和 .rtf 文件可以保存所有字符"));
        QCOMPARE(dialogs.lastMessage().icon, Dialogs::Icon::Error);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }

    void anEntryOutsideTheListDoesNothing()
    {
        QTemporaryDir dir;
        TableGrid grid = smallGrid();
        int lastType = 1;
        DialogRecorder dialogs;
        dialogs.scriptSave(dir.filePath("x"), 6);
        runExportCommand(nullptr, grid, lastType);
        QCOMPARE(dialogs.count(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TestExportCommand)
#include "tst_exportcommand.moc"
