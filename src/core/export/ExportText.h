#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The byte form that readers of the exported files expect: Windows code page 936,
// where the euro sign is the single byte 0x80 (the register's own byte form,
// GB18030, has A2 E3 for it, which no GBK reader knows).
namespace ExportText {

// The character that starts at text[i], a surrogate pair taken whole; i is left on
// its last unit.
char32_t characterAt(const QString &text, qsizetype &i);
// The code page bytes of one character; empty when the code page cannot hold it.
QByteArray characterBytes(char32_t character);
// The code page bytes of text, with escape(c) written in place of every character c
// the code page cannot hold. escape may throw to refuse the text instead.
QByteArray codePageBytes(const QString &text, const std::function<QByteArray(char32_t)> &escape);

} // namespace ExportText
