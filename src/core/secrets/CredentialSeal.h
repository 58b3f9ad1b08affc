#pragma once

#include "secrets/DataKey.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <stdexcept>

// A protected register keeps each credential sealed with XChaCha20-Poly1305 under the data key.
// The site's id and the column travel as associated data, so a sealed value moved to another
// site or column no longer opens. What is sealed is the value's scrambled bytes, so switching
// protection off gives back exactly the bytes it was switched on with.
class CredentialSeal
{
public:
    // A sealed value that does not open: it was changed, moved or sealed under another key.
    class Broken : public std::runtime_error
    {
    public:
        Broken() : std::runtime_error("sealed value does not open") {}
    };

    explicit CredentialSeal(std::shared_ptr<const DataKey> key) : m_key(std::move(key)) {}

    QByteArray seal(qint64 siteId, const QString &column, const QByteArray &value) const;
    // Throws Broken.
    QByteArray open(qint64 siteId, const QString &column, const QByteArray &sealed) const;

    // Sealed values begin with a byte a scrambled value never begins with (those begin with
    // their key byte, 1..126).
    static bool looksSealed(const QByteArray &value);
    static const char Marker = char(0xC5);

private:
    std::shared_ptr<const DataKey> m_key;
};
