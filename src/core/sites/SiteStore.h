#pragma once

#include "sites/SiteRecord.h"

#include <QList>
#include <QString>

class Query;

// The row a record was loaded from. Every section save is keyed by all three, so a record
// deleted, given another address or changed anywhere since it was loaded is changed nowhere.
struct SiteRow
{
    qint64 id = 0;
    QString address;    // as stored
    qint64 version = 0; // moved on by every change to the row; 0 where the register has none
};

struct LoadedSite
{
    SiteRow row;
    SiteRecord record; // the remark exactly as stored
    // The domain user does not end in the site number and the current secret key: the
    // record was written under another key (or, while a key is set, no row has the
    // address). Nothing else is loaded.
    bool otherKey = false;
    QList<SiteField> missingDates; // empty or unreadable, in field order
};

// Site records in the register, by the field table. Every failure throws StoreError;
// query is closed again afterwards.
namespace SiteStore {

// Whether a stored site already has this address or site number, compared as the register
// compares them (letter case aside): what insert would refuse.
bool hasAddress(Query &query, const QString &address);
bool hasSiteNumber(Query &query, const QString &siteNumber);

void insert(Query &query, const SiteRecord &record, const QString &secretKey);

// The record stored under this address (blanks around it do not count). Throws
// StoreError when no row has it and no key is set.
LoadedSite load(Query &query, const QString &address, const QString &secretKey);

// Writes the section's fields of record into the loaded row and moves row on to the version
// it now has; the number of rows changed, 0 when the row is gone, has another address or was
// changed since (row then stays as it was).
int saveSection(Query &query, SiteSection section, SiteRow &row, const SiteRecord &record,
                const QString &secretKey);

} // namespace SiteStore
