// Scrambled values come back from the register and from carriers as arbitrary bytes:
// unscrambling takes any of them, and scrambling then unscrambling gives every byte
// string, and every text, back unchanged.
#include "FuzzInput.h"

#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"

namespace {

// Only the low four bits change, by the key's low four bits, and the high four stay.
void checkTransform(const QByteArray &plain, const QByteArray &scrambled)
{
    FUZZ_CHECK(scrambled.size() == plain.size() + 1);
    const unsigned char key = static_cast<unsigned char>(scrambled.at(0));
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const auto in = static_cast<unsigned char>(plain.at(i));
        const auto out = static_cast<unsigned char>(scrambled.at(i + 1));
        FUZZ_CHECK((in & 0xF0) == (out & 0xF0));
        FUZZ_CHECK((in ^ out) == (key & 0x0F));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // Any bytes unscramble, as if they had been scrambled with their first byte as key.
    const QByteArray unscrambled = unscrambleText(bytes);
    if (bytes.isEmpty())
        FUZZ_CHECK(unscrambled.isEmpty());
    else
        checkTransform(unscrambled, bytes);

    // Drawn keys stay within 1..126, and the round trip gives the bytes back.
    const QByteArray drawn = scrambleText(bytes);
    const auto key = static_cast<unsigned char>(drawn.at(0));
    FUZZ_CHECK(key >= 1 && key <= 126);
    checkTransform(bytes, drawn);
    FUZZ_CHECK(unscrambleText(drawn) == bytes);

    // Every key, including those that leave the bytes as they are.
    FuzzInput input(data, size);
    const auto chosen = static_cast<unsigned char>(1 + input.byte() % 126);
    const QByteArray withKey = scrambleWithKey(bytes, chosen);
    FUZZ_CHECK(static_cast<unsigned char>(withKey.at(0)) == chosen);
    checkTransform(bytes, withKey);
    FUZZ_CHECK(unscrambleText(withKey) == bytes);

    // Texts: a text of any characters comes back whole, and so do the bytes of a text.
    const QString text = input.text(64);
    FUZZ_CHECK(unscrambleToText(scrambleText(text)) == text);
    const QString fromBytes = TextBytes::fromBytes(bytes);
    FUZZ_CHECK(unscrambleToText(scrambleText(fromBytes)) == fromBytes);
    return 0;
}
