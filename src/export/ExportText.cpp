#include "export/ExportText.h"

#include "platform/TextBytes.h"

namespace ExportText {

int sequenceLength(const QByteArray &bytes, qsizetype pos)
{
    const auto lead = uchar(bytes.at(pos));
    if (lead < 0x81 || lead == 0xFF || pos + 1 >= bytes.size())
        return 1;
    const auto second = uchar(bytes.at(pos + 1));
    if (second >= 0x30 && second <= 0x39 && pos + 3 < bytes.size())
        return 4;
    return 2;
}

QString wideCharacter(const QByteArray &bytes, qsizetype pos)
{
    return TextBytes::fromBytes(bytes.mid(pos, 4));
}

bool hasWideCharacters(const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = sequenceLength(bytes, i);
        if (length == 4)
            return true;
        i += length;
    }
    return false;
}

} // namespace ExportText
