#include "export/ExportText.h"

#include "export/ExportError.h"

#include <QtEndian>

#include <iconv.h>

#include <array>

namespace {

// One entry per character of the Basic Multilingual Plane beyond ASCII: 0 when the code page has no
// such character, a value below 0x100 for a single byte, else the two bytes, lead first.
// The code page holds no character beyond that plane.
using CodePageTable = std::array<quint16, 0x10000>;

quint16 lookUp(iconv_t converter, char32_t character)
{
    char source[4];
    qToLittleEndian(quint32(character), source);
    char target[8];
    char *in = source;
    char *out = target;
    size_t inLeft = sizeof source;
    size_t outLeft = sizeof target;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    // A character iconv drops without a byte (the tag characters, U+FEFF) counts as
    // missing too: it must never vanish from an export unnoticed.
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == size_t(-1) || inLeft != 0)
        return 0;
    const auto written = size_t(out - target);
    if (written == 1)
        return uchar(target[0]);
    if (written == 2)
        return quint16(uchar(target[0]) << 8 | uchar(target[1]));
    return 0;
}

CodePageTable buildTable()
{
    CodePageTable table{};
    const iconv_t converter = iconv_open("CP936", "UTF-32LE");
    if (converter == iconv_t(-1))
        throw ExportError("code page 936 is not available");
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (c < 0xD800 || c > 0xDFFF)
            table[c] = lookUp(converter, c);
    }
    iconv_close(converter);
    return table;
}

const CodePageTable &codePage()
{
    static const CodePageTable table = buildTable();
    return table;
}

// Appends the code page bytes of character; false when the code page cannot hold it.
bool appendCharacter(QByteArray &bytes, char32_t character)
{
    if (character < 0x80) {
        bytes += char(character);
        return true;
    }
    const quint16 entry = character < 0x10000 ? codePage()[character] : 0;
    if (entry >= 0x100)
        bytes += char(entry >> 8);
    if (entry != 0)
        bytes += char(entry & 0xFF);
    return entry != 0;
}

} // namespace

namespace ExportText {

char32_t characterAt(const QString &text, qsizetype &i)
{
    const QChar unit = text.at(i);
    if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(unit, text.at(++i));
    return unit.unicode();
}

QByteArray characterBytes(char32_t character)
{
    QByteArray bytes;
    appendCharacter(bytes, character);
    return bytes;
}

QByteArray codePageBytes(const QString &text, const std::function<QByteArray(char32_t)> &escape)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            bytes += char(unit);
            continue;
        }
        const char32_t character = characterAt(text, i);
        if (!appendCharacter(bytes, character))
            bytes += escape(character);
    }
    return bytes;
}

} // namespace ExportText
