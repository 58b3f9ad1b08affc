#pragma once

#include <QByteArray>
#include <QString>

// Helpers for writers whose readers know GBK only: the GB18030 form of a text
// is GBK for every GBK character, and four bytes for any other character.
namespace ExportText {

// Length of the GB18030 sequence starting at pos: 1, 2 or 4.
int sequenceLength(const QByteArray &bytes, qsizetype pos);
// The character that a four-byte sequence at pos stands for, as UTF-16 units.
QString wideCharacter(const QByteArray &bytes, qsizetype pos);
// True when some character of the byte form lies outside GBK.
bool hasWideCharacters(const QByteArray &bytes);

} // namespace ExportText
