#pragma once

#include <QByteArray>
#include <QString>

// How a site's credentials are kept: the value exactly as typed, then the site number
// (and, for the domain user, the secret key), scrambled. Reading back removes only what
// was appended, so a value that itself contains the site number reads as it was typed.
namespace SiteCredentials {

QByteArray scramble(const QString &typed, const QString &siteNumber, const QString &secretKey = QString());

// A stored value made readable: unscrambled, with the site number at its end removed.
QString read(const QByteArray &stored, const QString &siteNumber);

// The domain user also carries the secret key; false when it does not end with the
// current key (a record saved under another key), leaving user untouched.
bool readDomainUser(const QByteArray &stored, const QString &siteNumber, const QString &secretKey,
                    QString &user);

} // namespace SiteCredentials
