#pragma once

#include "TestFolder.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

// One site put straight into a test register, outside the program, with only the columns a
// test names; every other column stays NULL. The one way the tests add sites:
//   SiteBuilder("000001").name("茶叶").hostingExpires("2011-03-07").addTo(world);
class SiteBuilder
{
public:
    // The address defaults to "<site number>.example".
    explicit SiteBuilder(const QString &siteNumber);

    SiteBuilder &address(const QString &address) { return column(QStringLiteral("web_address"), address); }
    SiteBuilder &name(const QString &name) { return column(QStringLiteral("web_name"), name); }
    SiteBuilder &contact(const QString &contact) { return column(QStringLiteral("web_linkman"), contact); }
    // Dates as the register keeps them, ISO text ("2011-03-07"); an empty text leaves the date empty.
    SiteBuilder &hostingExpires(const QString &date) { return date_(QStringLiteral("web_endtime"), date); }
    SiteBuilder &domainExpires(const QString &date)
    {
        return date_(QStringLiteral("web_enddomaintime"), date);
    }
    // All four dates, so a site window loads the site whole.
    SiteBuilder &dates(const QString &hostingBought, const QString &hostingExpires,
                       const QString &domainRegistered, const QString &domainExpires);
    // A credential as the program keeps it: the typed text, the site number (and, for the
    // domain user, the secret key) scrambled together.
    SiteBuilder &credential(const QString &column, const QString &typed,
                            const QString &secretKey = QString());
    SiteBuilder &column(const QString &column, const QVariant &value);

    // Returns the new row's id.
    qint64 addTo(const TestFolder &folder) const;
    // Many sites in one transaction, for registers of some size.
    static void addAllTo(const TestFolder &folder, const QList<SiteBuilder> &sites);
    // count sites numbered 000001…, each with a random remark of remarkBytes bytes (as hex text) and
    // a hosting expiry; made by the register itself in one statement, for large registers.
    static void addMany(const TestFolder &folder, int count, int remarkBytes = 200);

private:
    TestFolder::Row row() const;
    SiteBuilder &date_(const QString &column, const QString &date);

    QString m_siteNumber;
    QList<std::pair<QString, QVariant>> m_columns;
};
