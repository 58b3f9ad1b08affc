#include "secrets/CredentialSeal.h"

#include <sodium.h>

namespace {

const int NonceSize = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
const int TagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;

QByteArray associatedData(qint64 siteId, const QString &column)
{
    return QByteArrayLiteral("t_webinfo.") + column.toLatin1().toLower() + '#' + QByteArray::number(siteId);
}

const unsigned char *bytes(const QByteArray &data)
{
    return reinterpret_cast<const unsigned char *>(data.constData());
}

} // namespace

QByteArray CredentialSeal::seal(qint64 siteId, const QString &column, const QByteArray &value) const
{
    const QByteArray ad = associatedData(siteId, column);
    QByteArray sealed(1 + NonceSize + value.size() + TagSize, Qt::Uninitialized);
    sealed[0] = Marker;
    auto *nonce = reinterpret_cast<unsigned char *>(sealed.data() + 1);
    randombytes_buf(nonce, NonceSize);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(nonce + NonceSize, &length, bytes(value), value.size(),
                                               bytes(ad), ad.size(), nullptr, nonce, m_key->bytes());
    return sealed;
}

QByteArray CredentialSeal::open(qint64 siteId, const QString &column, const QByteArray &sealed) const
{
    if (!looksSealed(sealed) || sealed.size() < 1 + NonceSize + TagSize)
        throw Broken();
    const QByteArray ad = associatedData(siteId, column);
    const auto *nonce = bytes(sealed) + 1;
    const int cipherSize = int(sealed.size()) - 1 - NonceSize;
    QByteArray value(cipherSize - TagSize, Qt::Uninitialized);
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char *>(value.data()), &length,
                                                   nullptr, nonce + NonceSize, cipherSize, bytes(ad),
                                                   ad.size(), nonce, m_key->bytes()) != 0)
        throw Broken();
    return value;
}

bool CredentialSeal::looksSealed(const QByteArray &value)
{
    return !value.isEmpty() && value.at(0) == Marker;
}
