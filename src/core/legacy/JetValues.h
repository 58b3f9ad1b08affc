#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

// Values as a Jet 4 file keeps them, turned into the register's forms. Each returns
// false when a value cannot be carried over whole; nothing is guessed or replaced.
namespace JetValues {

// Text and memo values: UTF-16LE, or Jet's "compressed" form (FF FE, then runs of
// one-byte characters and UTF-16 units, switched by a 00 byte). An empty value gives
// an empty, not a null, string.
bool decodeText(const QByteArray &raw, QString &text);

// Date/Time: a double counting days from 1899-12-30, the fraction being the time of
// day. A register date has no time of day, so only the calendar day is kept (rounded
// to the second first, so 0.9999999 is the next day as Access shows it).
bool decodeDate(const QByteArray &raw, QDate &date);

// Byte, Integer and Long Integer values (type as in JetStream::Type).
bool decodeWhole(const QByteArray &raw, int type, qint64 &value);

// The bytes Windows code page 936 gives a text. The old program handed its scrambled
// bytes to the engine as text of that code page, so encoding the text back gives those
// bytes: GBK, and where GBK has no character, the ones Windows has (0x80 the euro sign,
// 0xFF U+F8F5, every other two-byte code a private-use character). False when a
// character has no such bytes: a "?" would lose the value.
bool encodeCodePage936(const QString &text, QByteArray &bytes);

} // namespace JetValues
