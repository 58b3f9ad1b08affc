#include "gui/ExportCommand.h"

#include "export/ExportError.h"
#include "export/ExportFile.h"
#include "gui/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "sites/DueCalendar.h"
#include "store/Query.h"

#include <QDateTime>
#include <QSaveFile>

namespace {

void reportFailure(QWidget *window, const QString &reason)
{
    const QString failed = QStringLiteral("数据导出出错");
    Dialogs::error(window, QStringLiteral("提示"), reason.isEmpty() ? failed : failed + u'\r' + reason);
}

const QString CalendarExtension = QStringLiteral(".ics");

void saveCalendar(const QString &fileName, Connection *connection)
{
    Query query(connection);
    const QByteArray bytes = DueCalendar::ofRegister(query, QDateTime::currentDateTimeUtc());
    QSaveFile file(fileName);
    // As the other exports: in place where no file can be made beside the target.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ExportError("cannot write " + fileName.toStdString() + ": " + file.errorString().toStdString());
}

} // namespace

void runExportCommand(QWidget *window, ExportGrid &grid, int &lastFilterIndex)
{
    // No exception may leave a click handler.
    try {
        Dialogs::SaveChoice choice;
        choice.fileName = ExportFile::defaultName(QDateTime::currentDateTime());
        choice.filterIndex = lastFilterIndex;
        choice.folder = ProgramFolder::path();
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

void runCalendarExportCommand(QWidget *window, Connection *connection)
{
    try {
        Dialogs::SaveChoice choice;
        choice.fileName = ExportFile::defaultName(QDateTime::currentDateTime()) + CalendarExtension;
        choice.folder = ProgramFolder::path();
        if (!Dialogs::saveFile(window, {QStringLiteral("*.ics (*.ics)")}, choice))
            return;
        QString fileName = choice.fileName;
        if (!fileName.endsWith(CalendarExtension, Qt::CaseInsensitive))
            fileName += CalendarExtension;
        saveCalendar(fileName, connection);
    } catch (...) {
        // The register's or the file's own words mean nothing to the user here.
        reportFailure(window, QString());
        return;
    }
    Dialogs::notice(window, QStringLiteral("提示"), QStringLiteral("数据导出成功"));
}
