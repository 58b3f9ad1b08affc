#include "store/JetValues.h"

#include "store/JetStream.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <iconv.h>

namespace JetValues {

namespace {

char16_t unitAt(const QByteArray &raw, qsizetype at)
{
    return char16_t(quint8(raw[at]) | (quint8(raw[at + 1]) << 8));
}

// One iconv pair for the whole conversion: opening one per value would dominate the
// time of a large register. The conversion runs on one thread.
class GbkCodec
{
public:
    GbkCodec() : m_encode(iconv_open("GBK", "UTF-8")), m_decode(iconv_open("UTF-8", "GBK")) {}
    ~GbkCodec()
    {
        if (valid()) {
            iconv_close(m_encode);
            iconv_close(m_decode);
        }
    }
    GbkCodec(const GbkCodec &) = delete;
    GbkCodec &operator=(const GbkCodec &) = delete;

    bool valid() const { return m_encode != iconv_t(-1) && m_decode != iconv_t(-1); }
    // Strict: an unmappable or irreversibly mapped character fails the whole text.
    bool run(bool encode, const QByteArray &in, QByteArray &out) const
    {
        iconv_t cd = encode ? m_encode : m_decode;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        // GBK never needs more than two bytes per UTF-8 byte, UTF-8 never more than two per GBK byte.
        out.resize(in.size() * 2 + 4);
        char *source = const_cast<char *>(in.constData());
        size_t sourceLeft = size_t(in.size());
        char *target = out.data();
        size_t targetLeft = size_t(out.size());
        const size_t irreversible = iconv(cd, &source, &sourceLeft, &target, &targetLeft);
        if (irreversible != 0 || sourceLeft != 0)
            return false;
        out.resize(out.size() - qsizetype(targetLeft));
        return true;
    }

private:
    iconv_t m_encode;
    iconv_t m_decode;
};

} // namespace

bool decodeText(const QByteArray &raw, QString &text)
{
    text = QStringLiteral("");
    const bool compressed = raw.size() >= 2 && quint8(raw[0]) == 0xff && quint8(raw[1]) == 0xfe;
    if (!compressed) {
        if (raw.size() % 2 != 0)
            return false;
        text.reserve(raw.size() / 2);
        for (qsizetype at = 0; at < raw.size(); at += 2)
            text.append(QChar(unitAt(raw, at)));
        return text.isValidUtf16();
    }
    bool oneByte = true;
    qsizetype at = 2;
    while (at < raw.size()) {
        if (raw[at] == '\0') {
            oneByte = !oneByte;
            ++at;
        } else if (oneByte) {
            text.append(QChar(char16_t(quint8(raw[at]))));
            ++at;
        } else {
            if (at + 1 >= raw.size())
                return false;
            text.append(QChar(unitAt(raw, at)));
            at += 2;
        }
    }
    return text.isValidUtf16();
}

bool decodeDate(const QByteArray &raw, QDate &date)
{
    if (raw.size() != 8)
        return false;
    const double value = qFromLittleEndian<double>(raw.constData());
    // Beyond this no date fits four year digits; it also keeps the casts below defined.
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return false;
    // The whole part counts days (negative before 1899-12-30); the fraction is the time
    // of that day even for negative values.
    const double whole = std::trunc(value);
    qint64 days = qint64(whole);
    if (std::llround(std::fabs(value - whole) * 86400.0) >= 86400)
        ++days;
    date = QDate(1899, 12, 30).addDays(days);
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

bool decodeWhole(const QByteArray &raw, int type, qint64 &value)
{
    switch (type) {
    case JetStream::ByteType:
        if (raw.size() != 1)
            return false;
        value = quint8(raw[0]);
        return true;
    case JetStream::IntType:
        if (raw.size() != 2)
            return false;
        value = qFromLittleEndian<qint16>(raw.constData());
        return true;
    case JetStream::LongType:
        if (raw.size() != 4)
            return false;
        value = qFromLittleEndian<qint32>(raw.constData());
        return true;
    default:
        return false;
    }
}

bool encodeGbk(const QString &text, QByteArray &bytes)
{
    static const GbkCodec codec;
    if (!codec.valid() || !text.isValidUtf16())
        return false;
    QByteArray back;
    if (!codec.run(true, text.toUtf8(), bytes) || !codec.run(false, bytes, back))
        return false;
    return QString::fromUtf8(back) == text;
}

} // namespace JetValues
