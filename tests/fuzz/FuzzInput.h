#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A failed property stops the run the way a crash does, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// Takes values off the front of a fuzz input; an exhausted input gives zeros and empties,
// so every input, however short, is a valid case.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t *data, std::size_t size)
        : m_data(reinterpret_cast<const char *>(data)), m_size(size)
    {
    }

    bool empty() const { return m_at >= m_size; }
    std::size_t remaining() const { return m_size - m_at; }

    std::uint8_t byte() { return empty() ? 0 : std::uint8_t(m_data[m_at++]); }
    bool flag() { return byte() & 1; }

    std::uint32_t u32()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | byte();
        return value;
    }

    // A whole number from low to high inclusive.
    int number(int low, int high)
    {
        const std::uint32_t span = std::uint32_t(qint64(high) - low + 1);
        const std::uint32_t raw = span <= 256     ? byte()
                                  : span <= 65536 ? (std::uint32_t(byte()) << 8 | byte())
                                                  : u32();
        return int(qint64(low) + qint64(span ? raw % span : raw));
    }

    // Up to max raw bytes, their count taken from the input first.
    QByteArray bytes(int max)
    {
        std::size_t length = std::size_t(number(0, max));
        if (length > remaining())
            length = remaining();
        const QByteArray result(m_data + m_at, qsizetype(length));
        m_at += length;
        return result;
    }

    QByteArray rest()
    {
        const QByteArray result(m_data + m_at, qsizetype(remaining()));
        m_at = m_size;
        return result;
    }

    // Up to max characters of every kind a register can hold: ASCII with the characters
    // the file formats treat specially, controls, Chinese, characters outside GBK, and
    // characters outside the Basic Multilingual Plane.
    QString text(int max)
    {
        static const char16_t specials[] = u";\t\r\n\"&<>#'\\{} -:0123456789";
        const int length = number(0, max);
        QString result;
        for (int i = 0; i < length && !empty(); ++i) {
            const int kind = byte() % 8;
            switch (kind) {
            case 0:
            case 1:
                result += QChar(char16_t(0x20 + byte() % 0x5F));
                break;
            case 2:
                result += QChar(specials[byte() % (sizeof specials / sizeof *specials - 1)]);
                break;
            case 3:
                result += QChar(char16_t(byte() % 0x20));
                break;
            case 4:
                result += QChar(char16_t(0x4E00 + number(0, 0x51A5)));
                break;
            case 5:
                appendCodePoint(result, char32_t(number(0x80, 0xFFFF)));
                break;
            case 6:
                appendCodePoint(result, char32_t(number(0x10000, 0x10FFFF)));
                break;
            default:
                result += QChar(char16_t(0x3000 + byte())); // CJK punctuation and kana
                break;
            }
        }
        return result;
    }

private:
    static void appendCodePoint(QString &text, char32_t code)
    {
        // Lone surrogates are no characters; no text a user types holds one.
        if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD;
        const char32_t one[] = {code};
        text += QString::fromUcs4(one, 1);
    }

    const char *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};
