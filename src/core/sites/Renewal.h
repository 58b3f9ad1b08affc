#pragma once

#include <QDate>
#include <QString>

class Query;

// Renewing a hosting or a domain: its expiry date moved on by whole years and stored at once,
// only where the register still holds the date the user renewed from.
namespace Renewal {

enum class Kind { Hosting, Domain };

constexpr int FewestYears = 1;
constexpr int MostYears = 10;

// expiry moved on by years; 29 February falls on 28 February in a year without it. Invalid when
// expiry is, when years is outside FewestYears..MostYears, or when the year would pass 9999
// (the register's dates have four-digit years).
QDate movedOn(const QDate &expiry, int years);

enum class Outcome {
    Renewed,
    // Nothing to move on: the date renewed from is empty or no real date (or the years are out of
    // bounds); nothing was tried.
    NoDate,
    Changed, // the site is gone, or its date is no longer the one renewed from: nothing was written
};

struct Result
{
    Outcome outcome = Outcome::NoDate;
    QDate renewed; // the date stored, when Renewed
};

// Moves the expiry date of kind of the site with this address (as stored) from shown on by years,
// in one statement that writes nothing unless the register still holds shown. Throws StoreError
// when the register fails; query is closed again.
Result renew(Query &query, const QString &address, Kind kind, const QDate &shown, int years);

} // namespace Renewal
