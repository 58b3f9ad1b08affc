#pragma once

#include <QString>

class Connection;

// Rewrites db.mdb in folder into a compacted copy and puts the copy in place.
//
// db.mdb is only ever replaced by a copy that passed the integrity check, through an
// atomic rename, so a failure or a killed process at any point leaves a register that
// opens with every record. A compaction that fails once it has begun its copy leaves
// tempdb.mdb, a byte copy of db.mdb as it was; a success leaves none, and newdb.mdb
// never stays. Where db.mdb is a symbolic link, all of this happens in its target's folder.
//
// A register on a server is compacted by the server: VACUUM (ANALYZE) of its two tables where
// the user may (their owner or the database's), else left to the server's own autovacuum. No
// file is touched then, and the connection stays open.
namespace Compaction {

enum class Outcome { Compacted, LeftToServer };

// Closes the shared connection first; the next query opens it again on the new file.
// Throws StoreError when anything fails, with db.mdb as it was.
Outcome compactRegister(Connection *shared, const QString &folder);
// The same for a register file of any name, or the server register the connection is on.
Outcome compactRegisterFile(Connection *shared, const QString &registerPath);

} // namespace Compaction
