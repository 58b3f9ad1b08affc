// Values as a Jet file keeps them: any bytes decode or are refused, and what the old
// engine wrote decodes back to what was written.
#include "FuzzInput.h"

#include "platform/TextBytes.h"
#include "legacy/JetStream.h"
#include "legacy/JetValues.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <optional>

namespace {

QByteArray utf16le(const QString &text)
{
    QByteArray raw;
    for (const QChar unit : text) {
        raw += char(unit.unicode() & 0xFF);
        raw += char(unit.unicode() >> 8);
    }
    return raw;
}

// Jet's compressed form, which the engine uses only when every character lies in 1..255:
// FF FE and one byte per character.
std::optional<QByteArray> compressed(const QString &text)
{
    QByteArray raw("\xff\xfe");
    for (const QChar unit : text) {
        if (unit.unicode() == 0 || unit.unicode() > 255)
            return std::nullopt;
        raw += char(unit.unicode());
    }
    return raw;
}

bool partsFromGb18030(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() == 0x20ac || (c.unicode() >= 0xe000 && c.unicode() <= 0xf8ff))
            return true;
    }
    return false;
}

QByteArray dateBytes(double value)
{
    QByteArray raw(8, '\0');
    qToLittleEndian<double>(value, raw.data());
    return raw;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray raw(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    if (JetValues::decodeText(raw, text))
        FUZZ_CHECK(text.isValidUtf16());
    QDate date;
    if (JetValues::decodeDate(raw, date))
        FUZZ_CHECK(date.isValid() && date.year() >= 1 && date.year() <= 9999);
    qint64 whole = 0;
    for (int type : {JetStream::ByteType, JetStream::IntType, JetStream::LongType, JetStream::TextType})
        JetValues::decodeWhole(raw, type, whole);
    const QString held = TextBytes::fromBytes(raw);
    QByteArray windowsBytes;
    // Code page 936 and GB18030 part only at the euro sign and the private-use characters.
    if (JetValues::encodeCodePage936(held, windowsBytes) && !partsFromGb18030(held))
        FUZZ_CHECK(TextBytes::fromBytes(windowsBytes) == held);

    FuzzInput input(data, size);
    // Texts the engine wrote, in both of its forms, come back whole.
    // (A text that starts with U+FEFF has the bytes of the compression mark: the format
    // itself cannot tell the two apart.)
    const QString written = input.text(32);
    if (!written.startsWith(QChar(0xFEFF)))
        FUZZ_CHECK(JetValues::decodeText(utf16le(written), text) && text == written);
    if (const std::optional<QByteArray> small = compressed(written))
        FUZZ_CHECK(JetValues::decodeText(*small, text) && text == written);

    // A day and a time of day the engine wrote: the calendar day comes back, a time
    // within half a second of midnight counting as the next day.
    const QDate day = QDate(1, 1, 1).addDays(input.number(0, 3652058));
    const double seconds = input.number(0, 86399);
    const double days = double(QDate(1899, 12, 30).daysTo(day));
    // Before 1899-12-30 the fraction still counts forward from the start of the day.
    const double value = days + (days < 0 ? -seconds : seconds) / 86400.0;
    FUZZ_CHECK(JetValues::decodeDate(dateBytes(value), date) && date == day);
    return 0;
}
