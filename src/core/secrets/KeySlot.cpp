#include "secrets/KeySlot.h"

#include <sodium.h>

#include <stdexcept>

namespace {

const int NonceSize = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
const int TagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;

QByteArray associatedData(const QString &name)
{
    return QByteArrayLiteral("corvane key slot:") + name.toUtf8();
}

const unsigned char *bytes(const QByteArray &data)
{
    return reinterpret_cast<const unsigned char *>(data.constData());
}

// The key that wraps the data key; false when the costs are ones libsodium refuses (a changed slot).
bool derive(const KeySlot &slot, const QString &password, DataKey &derived)
{
    const QByteArray typed = password.toUtf8();
    if (slot.salt.size() != crypto_pwhash_SALTBYTES || slot.cost.operations <= 0 ||
        slot.cost.memoryBytes <= 0)
        return false;
    return crypto_pwhash(derived.bytes(), DataKey::Size, typed.constData(), typed.size(), bytes(slot.salt),
                         quint64(slot.cost.operations), size_t(slot.cost.memoryBytes), slot.algorithm) == 0;
}

} // namespace

PasswordCost PasswordCost::moderate()
{
    return {crypto_pwhash_OPSLIMIT_MODERATE, crypto_pwhash_MEMLIMIT_MODERATE};
}

PasswordCost PasswordCost::cheapest()
{
    return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
}

KeySlot KeySlot::wrap(const DataKey &key, const QString &name, const QString &password,
                      const PasswordCost &cost)
{
    Sodium::ensureReady();
    KeySlot slot;
    slot.name = name;
    slot.algorithm = crypto_pwhash_ALG_ARGON2ID13;
    slot.cost = cost;
    slot.salt.resize(crypto_pwhash_SALTBYTES);
    randombytes_buf(slot.salt.data(), slot.salt.size());
    slot.nonce.resize(NonceSize);
    randombytes_buf(slot.nonce.data(), slot.nonce.size());
    const std::shared_ptr<DataKey> derived = DataKey::blank();
    if (!derive(slot, password, *derived))
        throw std::runtime_error("out of memory for the password's key");
    const QByteArray ad = associatedData(name);
    slot.wrappedKey.resize(DataKey::Size + TagSize);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(reinterpret_cast<unsigned char *>(slot.wrappedKey.data()),
                                               &length, key.bytes(), DataKey::Size, bytes(ad), ad.size(),
                                               nullptr, bytes(slot.nonce), derived->bytes());
    return slot;
}

std::shared_ptr<DataKey> KeySlot::unwrap(const QString &password) const
{
    Sodium::ensureReady();
    if (nonce.size() != NonceSize || wrappedKey.size() != int(DataKey::Size) + TagSize)
        return nullptr;
    const std::shared_ptr<DataKey> derived = DataKey::blank();
    if (!derive(*this, password, *derived))
        return nullptr;
    std::shared_ptr<DataKey> key = DataKey::blank();
    const QByteArray ad = associatedData(name);
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(key->bytes(), &length, nullptr, bytes(wrappedKey),
                                                   wrappedKey.size(), bytes(ad), ad.size(), bytes(nonce),
                                                   derived->bytes()) != 0)
        return nullptr;
    return key;
}
