#include "gui/ExportCommand.h"

#include "export/ExportError.h"
#include "export/ExportFile.h"
#include "gui/Dialogs.h"

#include <QDateTime>

namespace {

void reportFailure(QWidget *window, const QString &reason)
{
    const QString failed = QStringLiteral("数据导出出错");
    Dialogs::error(window, QStringLiteral("提示"), reason.isEmpty() ? failed : failed + u'\r' + reason);
}

} // namespace

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
        saveGridToExportFile(*kind, grid, ExportFile::fileNameFor(choice.fileName, *kind));
    } catch (const ExportError &error) {
        reportFailure(window, error.reason());
        return;
    } catch (...) {
        reportFailure(window, QString());
        return;
    }
    Dialogs::notice(window, QStringLiteral("提示"), QStringLiteral("数据导出成功"));
}
