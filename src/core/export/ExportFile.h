#pragma once

#include "export/ExportGrid.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class GridExporter;

// The file types offered by the export command, in the order of its filter list.
enum class ExportKind { Xls = 1, Csv, Html, Rtf, Text };

namespace ExportFile {

// The filter list as description and pattern pairs: "*.xls", ".xls", "*.csv", ...
QStringList filterEntries();
// The same entries as the save dialog shows them, one per file type.
QStringList dialogFilters();
// The file type of a 1-based filter entry; none for any other number.
std::optional<ExportKind> kindForEntry(int entry);
QString extension(ExportKind kind);
// Appends "." and the extension unless the name already ends with the
// extension's three letters (ASCII case ignored; the dot is not looked at).
QString fileNameFor(const QString &chosen, ExportKind kind);
// The dialog's starting name: the local time as yyyymmddhhmmss.
QString defaultName(const QDateTime &now);
std::unique_ptr<GridExporter> createExporter(ExportKind kind, ExportGrid &grid);

} // namespace ExportFile

// Writes the whole grid to fileName in the given format; throws on any failure.
void saveGridToExportFile(ExportKind kind, ExportGrid &grid, const QString &fileName);
