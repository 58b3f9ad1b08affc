#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>

// The byte form that readers of the exported files expect: Windows code page 936,
// where the euro sign is the single byte 0x80 (the register's own byte form,
// GB18030, has A2 E3 for it, which no GBK reader knows).
namespace ExportText {

// One entry per UTF-16 unit beyond ASCII: 0 when the code page has no such character (every
// surrogate among them, the code page holding nothing beyond the Basic Multilingual Plane), a
// value below 0x100 for a single byte, else the two bytes, lead first.
using CodePageTable = std::array<quint16, 0x10000>;
const CodePageTable &codePage();

// The character that starts at text[i], a surrogate pair taken whole; i is left on
// its last unit.
char32_t characterAt(QStringView text, qsizetype &i);

// Appends the code page bytes of text to out, with escape(out, c) appending whatever stands for
// each character c the code page cannot hold; escape may throw to refuse the text instead.
// Every cell of an export goes through here, so it writes into out's own storage.
template <typename Escape> void appendCodePage(QByteArray &out, QStringView text, Escape &&escape)
{
    const CodePageTable &table = codePage();
    // Two bytes per unit is the most a character the code page holds can take.
    qsizetype end = out.size();
    out.resize(end + 2 * text.size());
    char *bytes = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            bytes[end++] = char(unit);
            continue;
        }
        const quint16 entry = table[unit];
        if (entry >= 0x100)
            bytes[end++] = char(entry >> 8);
        if (entry != 0) {
            bytes[end++] = char(entry & 0xFF);
            continue;
        }
        out.resize(end);
        escape(out, characterAt(text, i));
        end = out.size();
        out.resize(end + 2 * (text.size() - i - 1));
        bytes = out.data();
    }
    out.resize(end);
}

} // namespace ExportText
