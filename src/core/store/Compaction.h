#pragma once

#include <QString>

class Connection;

// Rewrites db.mdb in folder into a compacted copy and puts the copy in place.
//
// db.mdb is only ever replaced by a copy that passed the integrity check, through an
// atomic rename, so a failure or a killed process at any point leaves a register that
// opens with every record. tempdb.mdb (a byte copy taken under the write lock) stays
// until the new file is in place; newdb.mdb never stays after a success, nor after a
// failure. Where db.mdb is a symbolic link, all of this happens in its target's folder.
namespace Compaction {

// Closes the shared connection first; the next query opens it again on the new file.
// Throws StoreError when anything fails, with db.mdb as it was.
void compactRegister(Connection *shared, const QString &folder);

} // namespace Compaction
