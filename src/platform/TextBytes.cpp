#include "platform/TextBytes.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace TextBytes {

QByteArray toBytes(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString fromBytes(const QByteArray &bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

int byteLength(const QString &text)
{
    return int(toBytes(text).size());
}

} // namespace TextBytes
