#pragma once

#include "sites/DueList.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The due list as scripts read it, in UTF-8 with ISO dates (yyyy-MM-dd) so that a plain
// sort orders it. The calendar (ics) is DueCalendar's.
namespace DueFormats {

enum class Format { Text, Csv, Json, Ics };

// "text", "csv", "json" or "ics"; none for any other name.
std::optional<Format> named(const QString &name);
// "hosting" or "domain", the kind's name in csv and json.
QString kindKey(DueEntry::Kind kind);

// Aligned columns under a header line, one line per entry.
QByteArray text(const QList<DueEntry> &entries);
// A header and one record per entry, quoted as RFC 4180 asks, CRLF between records.
QByteArray csv(const QList<DueEntry> &entries);
// An array of objects with number, name, address, kind and date.
QByteArray json(const QList<DueEntry> &entries);

} // namespace DueFormats
