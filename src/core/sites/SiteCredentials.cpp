#include "sites/SiteCredentials.h"

#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"

namespace {

// Suffixes are compared on the stored bytes, the way the lengths of keys and site numbers are counted.
QByteArray withoutSuffix(const QByteArray &bytes, const QByteArray &suffix)
{
    if (suffix.isEmpty() || !bytes.endsWith(suffix))
        return bytes;
    return bytes.left(bytes.size() - suffix.size());
}

} // namespace

namespace SiteCredentials {

QByteArray scramble(const QString &typed, const QString &siteNumber, const QString &secretKey)
{
    return scrambleText(TextBytes::toBytes(typed) + TextBytes::toBytes(siteNumber) +
                        TextBytes::toBytes(secretKey));
}

QString read(const QByteArray &stored, const QString &siteNumber)
{
    return TextBytes::fromBytes(withoutSuffix(unscrambleText(stored), TextBytes::toBytes(siteNumber)));
}

bool readDomainUser(const QByteArray &stored, const QString &siteNumber, const QString &secretKey,
                    QString &user)
{
    const QByteArray plain = unscrambleText(stored);
    const QByteArray key = TextBytes::toBytes(secretKey);
    if (!plain.endsWith(key))
        return false;
    const QByteArray withoutKey = plain.left(plain.size() - key.size());
    user = TextBytes::fromBytes(withoutSuffix(withoutKey, TextBytes::toBytes(siteNumber)));
    return true;
}

} // namespace SiteCredentials
