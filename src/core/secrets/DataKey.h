#pragma once

#include <cstddef>
#include <memory>

// The random key every protected credential is sealed under. It stays in locked memory, so it is
// never written to swap, and is wiped when the last holder lets it go.
class DataKey
{
public:
    static constexpr std::size_t Size = 32;

    static std::shared_ptr<DataKey> random();
    // An empty key, for a slot to unwrap into.
    static std::shared_ptr<DataKey> blank();
    ~DataKey();
    DataKey(const DataKey &) = delete;
    DataKey &operator=(const DataKey &) = delete;

    const unsigned char *bytes() const { return m_bytes; }
    unsigned char *bytes() { return m_bytes; }

private:
    DataKey();
    unsigned char m_bytes[Size];
};

namespace Sodium {
// libsodium made ready once; throws std::runtime_error when it cannot be.
void ensureReady();
} // namespace Sodium
