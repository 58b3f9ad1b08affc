#include "export/ExportCommand.h"

#include "export/ExportFile.h"
#include "platform/Dialogs.h"

#include <QDateTime>

void runExportCommand(QWidget *window, ExportGrid &grid, int &lastFilterIndex)
{
    // No exception may leave a click handler.
    try {
        Dialogs::SaveChoice choice;
        choice.fileName = ExportFile::defaultName(QDateTime::currentDateTime());
        choice.filterIndex = lastFilterIndex;
        if (!Dialogs::saveFile(window, ExportFile::dialogFilters(), choice))
            return;
        lastFilterIndex = choice.filterIndex;
        const std::optional<ExportKind> kind = ExportFile::kindForEntry(choice.filterIndex);
        if (!kind)
            return;
        SaveGridToExportFile(*kind, grid, ExportFile::fileNameFor(choice.fileName, *kind));
    } catch (...) {
        Dialogs::error(window, QStringLiteral("提示"), QStringLiteral("数据导出出错"));
        return;
    }
    Dialogs::notice(window, QStringLiteral("提示"), QStringLiteral("数据导出成功"));
}
