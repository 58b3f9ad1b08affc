#include "export/ExportText.h"

#include "export/ExportError.h"

#include <QtEndian>

#include <iconv.h>

#include <array>

namespace {

using ExportText::CodePageTable;

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

} // namespace

namespace ExportText {

const CodePageTable &codePage()
{
    static const CodePageTable table = buildTable();
    return table;
}

char *putCodePage(char *out, QStringView text, qsizetype &i, const AsciiSet &stops)
{
    const CodePageTable &table = codePage();
    for (; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            if (stops[unit])
                break;
            *out++ = char(unit);
            continue;
        }
        const quint16 entry = table[unit];
        if (entry == 0)
            break;
        if (entry >= 0x100)
            *out++ = char(entry >> 8);
        *out++ = char(entry & 0xFF);
    }
    return out;
}

char32_t characterAt(QStringView text, qsizetype &i)
{
    const QChar unit = text.at(i);
    if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(unit, text.at(++i));
    return unit.unicode();
}

} // namespace ExportText
