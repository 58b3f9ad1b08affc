#pragma once

#include "sites/DueList.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

class Query;

// The register as an iCalendar file (RFC 5545): one all-day event per hosting and per domain
// expiry date, each with a reminder the lead time before. A site's events keep their UID
// (its row and the kind), so a calendar that imports the file again updates them.
namespace DueCalendar {

// The file for these entries; stamp is when it was made.
QByteArray write(const QList<DueEntry> &entries, const DueList::LeadDays &lead, const QDateTime &stamp);
// The whole register's calendar, with the lead times of its settings row. Throws StoreError.
QByteArray ofRegister(Query &query, const QDateTime &stamp);

// A TEXT value with its backslashes, semicolons, commas and line breaks escaped.
QString escaped(const QString &value);
// One content line folded at 75 octets, never inside a UTF-8 character, ended with CRLF.
QByteArray folded(const QString &line);

} // namespace DueCalendar
