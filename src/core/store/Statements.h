#pragma once

#include <QString>

// Every statement the program runs, as the program has always written them.
namespace Statements {
extern const QString MainList;         // 1
extern const QString AddressLookup;    // 2 (bound as :web_address)
extern const QString SiteNumberLookup; // 3 (bound as :web_id)
extern const QString InsertSite;       // 4
extern const QString LoadSite;         // 5 (bound as :web_address)
// A protected register seals each credential for its site's id, which an insert learns only once
// the row is in: the new row's credentials are written in the same transaction, right after it.
extern const QString SaveNewSiteCredentials;
// The section saves take the record's id, the address and the version it was loaded with: a record
// deleted, given another address or saved anywhere since it was loaded is changed nowhere. Every
// statement that changes a site moves its version on, so a window loaded before cannot overwrite it.
extern const QString SaveSiteSection;     // 6
extern const QString SaveDatabaseSection; // 7
extern const QString SaveDateSection;     // 8
extern const QString SaveRemark;          // 9
extern const QString ReadLeadTimes;       // 10
extern const QString WriteLeadTimes;      // 11
extern const QString InsertLeadTimes;     // the settings row, when a register lost it
extern const QString CountHostingDue;     // 12
extern const QString CountDomainDue;      // 13
// The earliest expiry date on or before a cut-off, for the daily notice.
extern const QString EarliestHostingDue;
extern const QString EarliestDomainDue;
// Whether the daily notice of what falls due is shown; an older register lacks the column
// until the setting is first stored, and then reads as on.
extern const QString ReadSettings;
extern const QString AddDueNoticeColumn;
extern const QString WriteDueNotice;
// Gives a register made before site versions the column, every site at version 1.
extern const QString AddSiteVersions;
// The secret key change: every domain user with its site number, and one written back.
extern const QString DomainUsers;
extern const QString SaveDomainUser;
extern const QString ExpiryList; // 14 (bound as :web_endtime, :web_enddomaintime)
// The due list and the calendar: plain columns only, never a credential.
extern const QString DueSites;      // bound as :web_endtime, :web_enddomaintime
extern const QString CalendarSites; // every site
// A renewal: one expiry date of the site with :web_address set to :renewed, only while it still
// is :shown, so a window showing an older date never renews twice or overwrites another change.
extern const QString RenewHosting;
extern const QString RenewDomain;
} // namespace Statements
