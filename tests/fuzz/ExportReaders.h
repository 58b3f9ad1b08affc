#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Independent readers for what the export writers produce, so a fuzz run can check that
// every cell comes back. Texts are read as code page 936. Each returns nothing when the bytes do not have the
// format's shape.
namespace ExportReaders {

using Lines = QList<QStringList>;

// Tab-separated text: lines split at CR LF, cells at tabs.
Lines readText(const QByteArray &bytes);
// Every field quoted, quotes doubled, ";" between fields, CR LF between lines.
std::optional<Lines> readCsv(const QByteArray &bytes);
// The texts inside the font blocks of the table cells, in order, entities decoded.
std::optional<QStringList> readHtmlCells(const QByteArray &bytes);

struct XlsCell
{
    int row = 0;
    int column = 0;
    bool blank = false;
    bool number = false;
    QString text; // of a label
};
// The records of a BIFF worksheet, BOF first and EOF last; cell records in order.
std::optional<QList<XlsCell>> readXls(const QByteArray &bytes);

// Groups close in order and every escaped brace is skipped; returns the number of cells.
std::optional<int> rtfCellCount(const QByteArray &bytes);

} // namespace ExportReaders
