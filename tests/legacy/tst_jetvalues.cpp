#include "legacy/JetStream.h"
#include "legacy/JetValues.h"

#include <QSet>
#include <QTest>
#include <QtEndian>

#include <limits>

namespace {

QByteArray utf16(const QString &text)
{
    QByteArray raw;
    for (const QChar unit : text) {
        raw.append(char(unit.unicode() & 0xff));
        raw.append(char(unit.unicode() >> 8));
    }
    return raw;
}

QByteArray dateBytes(double days)
{
    QByteArray raw(8, '\0');
    qToLittleEndian(days, raw.data());
    return raw;
}

} // namespace

class TestJetValues : public QObject
{
    Q_OBJECT

private slots:
    void decodesText_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-16") << utf16(QStringLiteral("企业官网\r\nA")) << QStringLiteral("企业官网\r\nA");
        // Compressed: one-byte characters, a 00 switches to UTF-16 units and back.
        QTest::newRow("compressed") << QByteArray("\xff\xfe"
                                                  "ab\x00\x4b\x6d\x00"
                                                  "c",
                                                  9)
                                    << QStringLiteral("ab测c");
        QTest::newRow("compressed, starts in UTF-16")
            << QByteArray("\xff\xfe\x00\x4b\x6d", 5) << QStringLiteral("测");
        QTest::newRow("surrogate pair") << utf16(QStringLiteral("😀")) << QStringLiteral("😀");
    }
    void decodesText()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, text);
        QString decoded;
        QVERIFY(JetValues::decodeText(raw, decoded));
        QCOMPARE(decoded, text);
    }

    void emptyTextIsNotNull()
    {
        // A null string would be stored as NULL, not as the empty text the file holds.
        QString decoded;
        QVERIFY(JetValues::decodeText(QByteArray(), decoded));
        QVERIFY(decoded.isEmpty());
        QVERIFY(!decoded.isNull());
    }

    void refusesBrokenText_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::newRow("odd length") << QByteArray("a\x00"
                                                  "b",
                                                  3);
        QTest::newRow("unpaired surrogate") << QByteArray("\x3d\xd8", 2);
        QTest::newRow("compressed, half a unit") << QByteArray("\xff\xfe"
                                                               "a\x00\x4b",
                                                               5);
    }
    void refusesBrokenText()
    {
        QFETCH(QByteArray, raw);
        QString decoded;
        QVERIFY(!JetValues::decodeText(raw, decoded));
    }

    void decodesDates_data()
    {
        QTest::addColumn<double>("days");
        QTest::addColumn<QDate>("date");
        QTest::newRow("epoch") << 0.0 << QDate(1899, 12, 30);
        QTest::newRow("2011-3-7") << 40609.0 << QDate(2011, 3, 7);
        QTest::newRow("time of day dropped") << 40609.75 << QDate(2011, 3, 7);
        QTest::newRow("a hair before midnight is midnight") << 40609.9999999 << QDate(2011, 3, 8);
        // Before 1899-12-30 the whole part counts back and the fraction is still the time.
        QTest::newRow("negative with time") << -1.25 << QDate(1899, 12, 29);
        QTest::newRow("year 1999") << 36525.0 << QDate(1999, 12, 31);
        QTest::newRow("year 3100") << 438293.0 << QDate(3100, 1, 1);
        QTest::newRow("year 1") << -693593.0 << QDate(1, 1, 1);
    }
    void decodesDates()
    {
        QFETCH(double, days);
        QFETCH(QDate, date);
        QDate decoded;
        QVERIFY(JetValues::decodeDate(dateBytes(days), decoded));
        QCOMPARE(decoded, date);
    }

    void refusesDatesOutsideTheStore_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::newRow("not a number") << dateBytes(std::numeric_limits<double>::quiet_NaN());
        QTest::newRow("infinite") << dateBytes(std::numeric_limits<double>::infinity());
        QTest::newRow("year 10000") << dateBytes(2958466.0);
        QTest::newRow("before year 1") << dateBytes(-693594.0);
        QTest::newRow("short value") << QByteArray(4, '\0');
    }
    void refusesDatesOutsideTheStore()
    {
        QFETCH(QByteArray, raw);
        QDate decoded;
        QVERIFY(!JetValues::decodeDate(raw, decoded));
    }

    void decodesWholeNumbers()
    {
        qint64 value = 0;
        QVERIFY(JetValues::decodeWhole(QByteArray("\xff", 1), JetStream::ByteType, value));
        QCOMPARE(value, 255);
        QVERIFY(JetValues::decodeWhole(QByteArray("\xfe\xff", 2), JetStream::IntType, value));
        QCOMPARE(value, -2);
        QVERIFY(JetValues::decodeWhole(QByteArray("\x1e\x00\x00\x00", 4), JetStream::LongType, value));
        QCOMPARE(value, 30);
        QVERIFY(!JetValues::decodeWhole(QByteArray("\x1e\x00", 2), JetStream::LongType, value));
        QVERIFY(!JetValues::decodeWhole(QByteArray(8, '\0'), JetStream::DateTimeType, value));
    }

    void encodesCodePage936_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("chinese") << QStringLiteral("管理员") << QByteArray("\xb9\xdc\xc0\xed\xd4\xb1");
        QTest::newRow("ascii and controls") << QStringLiteral("5d\rg\x1a") << QByteArray("5d\rg\x1a");
        // A scrambled lead byte can become 0x80 or 0xFF; Windows read them as these two.
        QTest::newRow("euro") << QStringLiteral("€") << QByteArray("\x80");
        QTest::newRow("among GBK") << QStringLiteral("密€码") + QChar(0xf8f5)
                                   << QByteArray("\xc3\xdc\x80\xc2\xeb\xff");
        // A lead byte with a trail byte GBK leaves to users or unassigned: a private-use character.
        QTest::newRow("third user area, past 0x7F") << QString(QChar(0xe505)) << QByteArray("\xa1\x80");
        QTest::newRow("unassigned FE50") << QString(QChar(0xe815)) << QByteArray("\xfe\x50");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void encodesCodePage936()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QByteArray encoded;
        QVERIFY(JetValues::encodeCodePage936(text, encoded));
        QCOMPARE(encoded, bytes);
    }

    // Windows gave every code its own character: 0x80, 0xFF and the 126 × 190 two-byte
    // codes (trail bytes 0x40 to 0xFE but 0x7F) each lead back from theirs.
    void everyCodeHasItsCharacter()
    {
        QSet<QByteArray> codes;
        int encodable = 0;
        for (int c = 0x80; c <= 0xffff; ++c) {
            QByteArray code;
            if (QChar::isSurrogate(char32_t(c)) || !JetValues::encodeCodePage936(QString(QChar(c)), code))
                continue;
            ++encodable;
            codes << code;
            const quint8 last = quint8(code.back());
            QVERIFY(code.size() == 1 ? last == 0x80 || last == 0xff
                                     : code.size() == 2 && quint8(code[0]) >= 0x81 && last >= 0x40 &&
                                           last != 0x7f && last != 0xff);
        }
        QCOMPARE(codes.size(), encodable);
        QCOMPARE(codes.size(), 2 + 126 * 190);
    }

    void refusesTextCodePage936CannotHold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("hangul") << QStringLiteral("a한b");
        QTest::newRow("emoji") << QStringLiteral("😀");
        QTest::newRow("unpaired surrogate") << QString(QChar(0xd83d));
    }
    void refusesTextCodePage936CannotHold()
    {
        QFETCH(QString, text);
        QByteArray encoded;
        QVERIFY(!JetValues::encodeCodePage936(text, encoded));
    }
};

QTEST_GUILESS_MAIN(TestJetValues)
#include "tst_jetvalues.moc"
