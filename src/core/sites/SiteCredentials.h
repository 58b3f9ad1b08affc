#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// How a site's credentials are kept: the value exactly as typed, then the site number
// (and, for the domain user, the secret key), scrambled. Reading back removes only what
// was appended, so a value that itself contains the site number reads as it was typed.
namespace SiteCredentials {

QByteArray scramble(const QString &typed, const QString &siteNumber, const QString &secretKey = QString());

// A stored value made readable: unscrambled, with the site number at its end removed.
QString read(const QByteArray &stored, const QString &siteNumber);

// The domain user is readable when it ends in the site number and the current key; false
// (user untouched) for one written under another key, even a longer key that merely ends
// like the current one. While no key is set, every domain user reads as read() gives it.
bool readDomainUser(const QByteArray &stored, const QString &siteNumber, const QString &secretKey,
                    QString &user);

// The domain user written under fromKey, scrambled anew under toKey; nothing when it was
// not written under fromKey.
std::optional<QByteArray> rekeyDomainUser(const QByteArray &stored, const QString &siteNumber,
                                          const QString &fromKey, const QString &toKey);

} // namespace SiteCredentials
