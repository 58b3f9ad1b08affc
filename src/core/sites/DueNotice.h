#pragma once

class Query;

// The setting of the daily notice of what falls due, in the register's settings row. A
// register from before the setting lacks its column and reads as on; the column is added
// the first time the setting is stored, so such a register opens unchanged.
namespace DueNotice {
// Throws StoreError when the settings row cannot be read.
bool enabled(Query &query);
void setEnabled(Query &query, bool on);
} // namespace DueNotice
