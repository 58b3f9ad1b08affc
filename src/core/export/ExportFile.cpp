#include "export/ExportFile.h"

#include "export/CsvGridExporter.h"
#include "export/HtmlGridExporter.h"
#include "export/RtfGridExporter.h"
#include "export/TextGridExporter.h"
#include "export/XlsGridExporter.h"

namespace {

const char *const Extensions[] = {"xls", "csv", "htm", "rtf", "txt"};

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

} // namespace

namespace ExportFile {

QStringList filterEntries()
{
    QStringList entries;
    for (const char *ext : Extensions)
        entries << QStringLiteral("*.") + QLatin1String(ext) << QStringLiteral(".") + QLatin1String(ext);
    return entries;
}

QStringList dialogFilters()
{
    QStringList filters;
    for (const char *ext : Extensions)
        filters << QStringLiteral("*.%1 (*.%1)").arg(QLatin1String(ext));
    return filters;
}

std::optional<ExportKind> kindForEntry(int entry)
{
    if (entry < int(ExportKind::Xls) || entry > int(ExportKind::Text))
        return std::nullopt;
    return ExportKind(entry);
}

QString extension(ExportKind kind)
{
    return QLatin1String(Extensions[int(kind) - 1]);
}

QString fileNameFor(const QString &chosen, ExportKind kind)
{
    const QString ext = extension(kind);
    bool same = chosen.size() >= ext.size();
    for (qsizetype i = 0; same && i < ext.size(); ++i) {
        const QChar c = chosen.at(chosen.size() - ext.size() + i);
        same = asciiLower(c.unicode()) == ext.at(i).unicode();
    }
    return same ? chosen : chosen + QLatin1Char('.') + ext;
}

QString defaultName(const QDateTime &now)
{
    return now.toString(QStringLiteral("yyyyMMddHHmmss"));
}

std::unique_ptr<GridExporter> createExporter(ExportKind kind, ExportGrid &grid)
{
    switch (kind) {
    case ExportKind::Xls:
        return std::make_unique<XlsGridExporter>(grid);
    case ExportKind::Csv:
        return std::make_unique<CsvGridExporter>(grid);
    case ExportKind::Html:
        return std::make_unique<HtmlGridExporter>(grid);
    case ExportKind::Rtf:
        return std::make_unique<RtfGridExporter>(grid);
    case ExportKind::Text:
        break;
    }
    return std::make_unique<TextGridExporter>(grid);
}

} // namespace ExportFile

void saveGridToExportFile(ExportKind kind, ExportGrid &grid, const QString &fileName)
{
    ExportFile::createExporter(kind, grid)->exportGridToFile(fileName);
}
