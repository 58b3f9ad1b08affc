#pragma once

#include <QVariant>

// The SQLite driver hands every text to SQLite as UTF-16, and SQLite takes a U+FEFF at its
// start for a byte-order mark and drops it. The value to bind so that a text is stored whole.
QVariant boundValue(const QVariant &value);
