#pragma once

#include <QString>

class Query;

// The two lead times of the settings row (t_set), in whole days.
namespace LeadTimes {
extern const QString HostingColumn; // web_alarm
extern const QString DomainColumn;  // domain_alarm

// Opens the read on query, leaving it on the first row. Throws StoreError when the
// settings row is missing.
void open(Query &query);
// The stored value as text ("3", "45"). Throws StoreError when it is empty.
QString text(const Query &query, const QString &column);
// The stored value as whole days. Throws StoreError when it is empty or no whole number.
int days(const Query &query, const QString &column);
// Writes both texts into every settings row, making the row when there is none; the store
// refuses a text that is no whole number.
void write(Query &query, const QString &hostingText, const QString &domainText);
} // namespace LeadTimes
