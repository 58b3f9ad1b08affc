#include "sites/SiteCredentials.h"

#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"

namespace {

// What is appended to a typed value before it is scrambled. Suffixes are compared on the
// stored bytes, the way the lengths of keys and site numbers are counted.
QByteArray suffix(const QString &siteNumber, const QString &secretKey)
{
    return TextBytes::toBytes(siteNumber) + TextBytes::toBytes(secretKey);
}

// The typed part of an unscrambled value that ends in the suffix.
std::optional<QByteArray> typedPart(const QByteArray &plain, const QByteArray &suffix)
{
    if (!plain.endsWith(suffix))
        return std::nullopt;
    return plain.left(plain.size() - suffix.size());
}

} // namespace

namespace SiteCredentials {

QByteArray scramble(const QString &typed, const QString &siteNumber, const QString &secretKey)
{
    return scrambleText(TextBytes::toBytes(typed) + suffix(siteNumber, secretKey));
}

QString read(const QByteArray &stored, const QString &siteNumber)
{
    const QByteArray plain = unscrambleText(stored);
    return TextBytes::fromBytes(typedPart(plain, suffix(siteNumber, QString())).value_or(plain));
}

bool readDomainUser(const QByteArray &stored, const QString &siteNumber, const QString &secretKey,
                    QString &user)
{
    if (secretKey.isEmpty()) {
        user = read(stored, siteNumber);
        return true;
    }
    const auto typed = typedPart(unscrambleText(stored), suffix(siteNumber, secretKey));
    if (!typed)
        return false;
    user = TextBytes::fromBytes(*typed);
    return true;
}

std::optional<QByteArray> rekeyDomainUser(const QByteArray &stored, const QString &siteNumber,
                                          const QString &fromKey, const QString &toKey)
{
    const auto typed = typedPart(unscrambleText(stored), suffix(siteNumber, fromKey));
    if (!typed)
        return std::nullopt;
    return scrambleText(*typed + suffix(siteNumber, toKey));
}

} // namespace SiteCredentials
