#pragma once

#include <QByteArray>
#include <QString>

// Hides stored secrets from casual reading: a random key byte (1..126) in front,
// then every byte with its low four bits XORed with the key's low four bits.
QByteArray scrambleText(const QByteArray &plain);
QByteArray unscrambleText(const QByteArray &scrambled);
// The transform with a chosen key byte; scrambleText draws the key itself.
QByteArray scrambleWithKey(const QByteArray &plain, unsigned char key);

// Text forms: the text's GB18030 bytes are scrambled, and unscrambled bytes read back as text.
QByteArray scrambleText(const QString &plain);
QString unscrambleToText(const QByteArray &scrambled);
