#pragma once

#include <QByteArray>
#include <QString>

// The byte form of text is GB18030: every GBK character keeps its GBK bytes,
// and a character GBK cannot hold is kept too instead of becoming "?".
namespace TextBytes {
QByteArray toBytes(const QString &text);
QString fromBytes(const QByteArray &bytes);
// Lengths of passwords, keys and site numbers are counted in bytes.
int byteLength(const QString &text);
} // namespace TextBytes
