#pragma once

#include "secrets/DataKey.h"

#include <QByteArray>
#include <QString>

#include <memory>

// How hard a password is made to guess: libsodium's Argon2id costs, kept in every slot so a slot
// always opens with the costs it was made with.
struct PasswordCost
{
    qint64 operations = 0;
    qint64 memoryBytes = 0;

    // libsodium's "moderate" costs: the program's own.
    static PasswordCost moderate();
    // The cheapest costs libsodium accepts; only for tests that make many slots.
    static PasswordCost cheapest();
};

// The data key wrapped under one password: XChaCha20-Poly1305 under a key Argon2id derives from
// the password and the slot's own salt, with the slot's name as associated data.
struct KeySlot
{
    QString name;
    int algorithm = 0; // libsodium's crypto_pwhash algorithm number
    PasswordCost cost;
    QByteArray salt;
    QByteArray nonce;
    QByteArray wrappedKey;

    static KeySlot wrap(const DataKey &key, const QString &name, const QString &password,
                        const PasswordCost &cost = PasswordCost::moderate());
    // The data key, or nothing when the password is not this slot's (or the slot was changed).
    std::shared_ptr<DataKey> unwrap(const QString &password) const;
};
