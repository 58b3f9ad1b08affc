#pragma once

#include "secrets/KeySlot.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// The key slots of a protected register, in its own table t_keyslot, on either engine. The table
// exists only while the register is protected; with it come triggers that refuse any credential
// written unsealed, so a program that does not know the register is protected cannot mix
// scrambled values into it. Every failure throws StoreError.
namespace KeySlotTable {

bool exists(const QSqlDatabase &db);
// Every slot, by name; none when the table is absent.
QList<KeySlot> read(const QSqlDatabase &db);
void create(const QSqlDatabase &db);
void drop(const QSqlDatabase &db);
void insert(const QSqlDatabase &db, const KeySlot &slot);
// The slot of this name takes the new wrapping; false when there is none.
bool replace(const QSqlDatabase &db, const KeySlot &slot);
bool remove(const QSqlDatabase &db, const QString &name);

} // namespace KeySlotTable
