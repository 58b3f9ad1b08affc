#include "secrets/ScrambleCodec.h"

#include "platform/TextBytes.h"

#include <QRandomGenerator>

namespace {

QByteArray transformed(const QByteArray &bytes, qsizetype from, unsigned char key)
{
    const char mask = char(key & 0x0F);
    QByteArray result;
    result.reserve(bytes.size() - from);
    for (qsizetype i = from; i < bytes.size(); ++i)
        result.append(char(bytes.at(i) ^ mask));
    return result;
}

} // namespace

QByteArray scrambleWithKey(const QByteArray &plain, unsigned char key)
{
    return char(key) + transformed(plain, 0, key);
}

QByteArray scrambleText(const QByteArray &plain)
{
    const auto key = static_cast<unsigned char>(QRandomGenerator::system()->bounded(1, 127));
    return scrambleWithKey(plain, key);
}

QByteArray unscrambleText(const QByteArray &scrambled)
{
    if (scrambled.isEmpty())
        return QByteArray();
    return transformed(scrambled, 1, static_cast<unsigned char>(scrambled.at(0)));
}

QByteArray scrambleText(const QString &plain)
{
    return scrambleText(TextBytes::toBytes(plain));
}

QString unscrambleToText(const QByteArray &scrambled)
{
    return TextBytes::fromBytes(unscrambleText(scrambled));
}
