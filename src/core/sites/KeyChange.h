#pragma once

#include <QDateTime>
#include <QString>

class Connection;

// Replacing the secret key.
namespace KeyChange {

enum class Refusal { None, WrongCurrentKey, TooShort, Mismatch };

// The checks in the order the user meets them: the current key typed exactly, a new
// key of at least 6 bytes, and the confirmation typed exactly as the new key.
Refusal check(const QString &currentKey, const QString &typedCurrentKey, const QString &newKey,
              const QString &confirmation);

// Re-keys every record stored under the current key (its domain user ends in site
// number + current key) and appends the new key to sk.exe, all or nothing: the records
// change in one transaction that commits only after the append succeeded, and sk.exe is
// cut back when the commit fails. Records carrying any other key are left as they are.
// Returns how many records were re-keyed. Throws std::runtime_error (StoreError for the
// register) with the register and sk.exe as they were.
int change(Connection *connection, const QString &currentKey, const QString &newKey,
           const QDateTime &when = QDateTime::currentDateTime());

// At start, before the secret key is read: a change that was stopped (killed, or the
// machine went down) after sk.exe took the new key but before the records were committed
// is finished, so every record opens under the key sk.exe now gives. Does nothing, without
// touching the register, when no change was under way. Returns how many records were re-keyed.
// Throws std::runtime_error (StoreError for the register) and then stays to be finished
// at the next start.
int finishInterrupted(Connection *connection);

} // namespace KeyChange
