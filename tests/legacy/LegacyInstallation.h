#pragma once

#include "TestFolder.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The three files an earlier Windows installation leaves behind, as the shared test
// data holds them, and the ways the tests damage or change its Jet register.

QByteArray legacyFile(const QString &name);

// A program folder holding key.exe, sk.exe and the given db.mdb (the legacy one by default).
std::unique_ptr<TestFolder> legacyFolder(const QByteArray &db = legacyFile(QStringLiteral("db.mdb")));

// bytes with from (which must occur exactly once) replaced by to of the same length.
QByteArray replaced(QByteArray bytes, const QByteArray &from, const QByteArray &to);
QByteArray utf16(const QString &text);
// A Jet Date/Time value: days since 1899-12-30.
QByteArray dateBytes(double days);

// Row 3 deleted the way Jet deletes: its slot flagged, and with lowerCount the table's
// count lowered as well.
QByteArray withThirdRowDeleted(bool lowerCount);
// Row 3 moved the way Jet moves a row that outgrew its place: the row now sits in a new
// slot flagged as deleted, and its old slot holds the page and slot it went to.
QByteArray withThirdRowMoved();

// Row 1's remark replaced by remark, kept on a long-value page appended to the file the
// way Jet keeps long memo texts: on one page, or split over a chain of two pieces.
// missingBytes makes the row announce a longer text than the pages hold.
QByteArray withFirstRemarkOutOfRow(const QString &remark, bool chained, int missingBytes = 0);

struct Site
{
    QString webId, name, address, remark;
    QStringList dates;               // bought, expires, domain registered, domain expires
    QHash<QString, QString> secrets; // scrambled columns, plain value
    QString key;                     // secret key appended to the domain user
};

// The rows of the old register as its README lists them.
QList<Site> legacySites();
