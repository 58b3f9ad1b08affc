#include "gui/ExportCommand.h"

#include "export/ExportError.h"
#include "export/ExportFile.h"
#include "gui/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "sites/DueCalendar.h"
#include "store/Query.h"

#include <QDateTime>
#include <QSaveFile>

#include <functional>

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

// No exception may leave a click handler: a failure is said with what the user can do about
// it, if anything; a dialog cancelled says nothing. exportChosen returns false when cancelled.
void runExport(QWidget *window, const std::function<bool()> &exportChosen)
{
    try {
        if (!exportChosen())
            return;
    } catch (const ExportError &error) {
        reportFailure(window, error.reason());
        return;
    } catch (...) {
        reportFailure(window, QString());
        return;
    }
    Dialogs::notice(window, QStringLiteral("提示"), QStringLiteral("数据导出成功"));
}

} // namespace

void runExportCommand(QWidget *window, ExportGrid &grid, int &lastFilterIndex)
{
    runExport(window, [&] {
        Dialogs::SaveChoice choice;
        choice.fileName = ExportFile::defaultName(QDateTime::currentDateTime());
        choice.filterIndex = lastFilterIndex;
        choice.folder = ProgramFolder::path();
        if (!Dialogs::saveFile(window, ExportFile::dialogFilters(), choice))
            return false;
        lastFilterIndex = choice.filterIndex;
        const std::optional<ExportKind> kind = ExportFile::kindForEntry(choice.filterIndex);
        if (!kind)
            return false;
        saveGridToExportFile(*kind, grid, ExportFile::fileNameFor(choice.fileName, *kind));
        return true;
    });
}

// A failure of the register or of the file has no reason the user could act on.
void runCalendarExportCommand(QWidget *window, Connection *connection)
{
    runExport(window, [&] {
        Dialogs::SaveChoice choice;
        choice.fileName = ExportFile::defaultName(QDateTime::currentDateTime()) + CalendarExtension;
        choice.folder = ProgramFolder::path();
        if (!Dialogs::saveFile(window, {QStringLiteral("*.ics (*.ics)")}, choice))
            return false;
        QString fileName = choice.fileName;
        if (!fileName.endsWith(CalendarExtension, Qt::CaseInsensitive))
            fileName += CalendarExtension;
        saveCalendar(fileName, connection);
        return true;
    });
}
