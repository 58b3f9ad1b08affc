#include "legacy/JetValues.h"

#include "legacy/JetStream.h"

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

// The two-byte codes GBK leaves unassigned outside its user areas, in code order.
struct CodeRange
{
    quint16 first;
    quint16 last;
};
constexpr CodeRange unassignedCodes[] = {
    {0xa2ab, 0xa2b0}, {0xa2e3, 0xa2e4}, {0xa2ef, 0xa2f0}, {0xa2fd, 0xa2fe}, {0xa4f4, 0xa4fe},
    {0xa5f7, 0xa5fe}, {0xa6b9, 0xa6c0}, {0xa6d9, 0xa6df}, {0xa6ec, 0xa6ed}, {0xa6f3, 0xa6f3},
    {0xa6f6, 0xa6fe}, {0xa7c2, 0xa7d0}, {0xa7f2, 0xa7fe}, {0xa896, 0xa8a0}, {0xa8bc, 0xa8bc},
    {0xa8bf, 0xa8bf}, {0xa8c1, 0xa8c4}, {0xa8ea, 0xa8fe}, {0xa958, 0xa958}, {0xa95b, 0xa95b},
    {0xa95d, 0xa95f}, {0xa989, 0xa995}, {0xa997, 0xa9a3}, {0xa9f0, 0xa9fe}, {0xd7fa, 0xd7fe},
    {0xfe50, 0xfea0},
};

bool isWindowsOnly(char16_t c)
{
    return c == 0xf8f5 || (c >= 0xe000 && c <= 0xe864);
}

// Windows gives the single byte 0xFF U+F8F5, and numbers its private-use characters
// through the user areas AAA1-AFFE, F8A1-FEFE and A140-A7A0 (U+E000 to U+E765), then
// through the unassigned codes (from U+E766). Trail bytes skip 0x7F.
QByteArray windowsOnlyBytes(char16_t c)
{
    if (c == 0xf8f5)
        return QByteArray(1, char(0xff));
    const auto code = [](int lead, int trail) { return QByteArray(1, char(lead)) + char(trail); };
    int index = c - 0xe000;
    if (index < 6 * 94)
        return code(0xaa + index / 94, 0xa1 + index % 94);
    index -= 6 * 94;
    if (index < 7 * 94)
        return code(0xf8 + index / 94, 0xa1 + index % 94);
    index -= 7 * 94;
    if (index < 7 * 96) {
        const int trail = 0x40 + index % 96;
        return code(0xa1 + index / 96, trail < 0x7f ? trail : trail + 1);
    }
    index -= 7 * 96;
    for (const CodeRange &range : unassignedCodes) {
        for (int unassigned = range.first; unassigned <= range.last; ++unassigned) {
            if ((unassigned & 0xff) != 0x7f && index-- == 0)
                return code(unassigned >> 8, unassigned & 0xff);
        }
    }
    return QByteArray();
}

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

bool encodeCodePage936(const QString &text, QByteArray &bytes)
{
    static const GbkCodec codec;
    bytes.clear();
    if (!codec.valid() || !text.isValidUtf16())
        return false;
    // What iconv's GBK holds goes through it a run at a time; it also gives 0x80 the euro sign.
    QString run;
    const auto takeRun = [&]() {
        QByteArray encoded;
        QByteArray back;
        if (!codec.run(true, run.toUtf8(), encoded) || !codec.run(false, encoded, back) ||
            QString::fromUtf8(back) != run)
            return false;
        bytes += encoded;
        run.clear();
        return true;
    };
    for (const QChar c : text) {
        if (!isWindowsOnly(c.unicode())) {
            run += c;
            continue;
        }
        if (!takeRun())
            return false;
        bytes += windowsOnlyBytes(c.unicode());
    }
    return takeRun();
}

} // namespace JetValues
