#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstring>

// The byte form that readers of the exported files expect: Windows code page 936,
// where the euro sign is the single byte 0x80 (the register's own byte form,
// GB18030, has A2 E3 for it, which no GBK reader knows).
//
// The writers put their bytes straight into room set aside for a whole row: a million
// cells make the checks of an append per piece cost more than the bytes themselves.
namespace ExportText {

// One entry per UTF-16 unit beyond ASCII: 0 when the code page has no such character (every
// surrogate among them, the code page holding nothing beyond the Basic Multilingual Plane), a
// value below 0x100 for a single byte, else the two bytes, lead first.
using CodePageTable = std::array<quint16, 0x10000>;
const CodePageTable &codePage();

// ASCII characters a format writes otherwise than as themselves.
using AsciiSet = std::array<bool, 0x80>;
constexpr AsciiSet asciiSet(const char *characters)
{
    AsciiSet set{};
    for (; *characters; ++characters)
        set[uchar(*characters)] = true;
    return set;
}

// Two bytes per unit is the most a character the code page holds takes.
constexpr qsizetype MostBytesPerUnit = 2;

// Writes the code page bytes of text from i on at out, which has room for them, and stops at
// the end of the text, at an ASCII character in stops, or at a character the code page cannot
// hold: i is left there. Returns the end of what it wrote.
char *putCodePage(char *out, QStringView text, qsizetype &i, const AsciiSet &stops);

// The character that starts at text[i], a surrogate pair taken whole; i is left on
// its last unit.
char32_t characterAt(QStringView text, qsizetype &i);

inline char *put(char *out, const char *bytes, qsizetype size)
{
    std::memcpy(out, bytes, size_t(size));
    return out + size;
}
inline char *put(char *out, const QByteArray &bytes)
{
    return put(out, bytes.constData(), bytes.size());
}
template <qsizetype N> char *put(char *out, const char (&ascii)[N])
{
    return put(out, ascii, N - 1);
}

// What put(out, text) puts, at most mostPerUnit bytes per unit of text, as bytes of their own.
template <typename Put> QByteArray bytesOf(QStringView text, qsizetype mostPerUnit, Put &&put)
{
    QByteArray bytes(text.size() * mostPerUnit, Qt::Uninitialized);
    bytes.truncate(put(bytes.data(), text) - bytes.constData());
    return bytes;
}

} // namespace ExportText
