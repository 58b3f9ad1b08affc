#include "platform/TextBytes.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace TextBytes {

// Setting up a GB18030 converter costs more than converting a short text, and the
// export converts every cell: one converter per thread, reset before each use.
QByteArray toBytes(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLatin1();
    thread_local QStringEncoder encoder("GB18030");
    encoder.resetState();
    return encoder.encode(text);
}

QString fromBytes(const QByteArray &bytes)
{
    thread_local QStringDecoder decoder("GB18030");
    decoder.resetState();
    return decoder.decode(bytes);
}

int byteLength(const QString &text)
{
    return int(toBytes(text).size());
}

} // namespace TextBytes
