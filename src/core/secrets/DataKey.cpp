#include "secrets/DataKey.h"

#include <sodium.h>

#include <stdexcept>

namespace Sodium {

void ensureReady()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::runtime_error("libsodium cannot start");
}

} // namespace Sodium

DataKey::DataKey()
{
    Sodium::ensureReady();
    // Where the system allows no more locked memory the key is still wiped at the end.
    sodium_mlock(m_bytes, Size);
}

DataKey::~DataKey()
{
    sodium_munlock(m_bytes, Size); // wipes before unlocking
}

std::shared_ptr<DataKey> DataKey::random()
{
    std::shared_ptr<DataKey> key(new DataKey);
    randombytes_buf(key->m_bytes, Size);
    return key;
}

std::shared_ptr<DataKey> DataKey::blank()
{
    std::shared_ptr<DataKey> key(new DataKey);
    sodium_memzero(key->m_bytes, Size);
    return key;
}
