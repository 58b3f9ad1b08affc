#include "store/BoundValue.h"

QVariant boundValue(const QVariant &value)
{
    static const QChar ByteOrderMark(0xFEFF);
    // With a second mark in front, the one SQLite drops is that one.
    if (value.typeId() == QMetaType::QString && value.toString().startsWith(ByteOrderMark))
        return QString(ByteOrderMark + value.toString());
    return value;
}
