#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"

#include <QSet>
#include <QTest>

class TestScrambleCodec : public QObject
{
    Q_OBJECT
private slots:
    void workedExample();
    void emptyTexts();
    void keysWithoutLowBitsLeaveTheBytes();
    void everyKeyAndByteRoundTrips();
    void highBitsSurvive();
    void keyIsDrawnFromOneTo126();
    void chineseTextRoundTrips();
};

void TestScrambleCodec::workedExample()
{
    QCOMPARE(scrambleWithKey("abc", 0x35), QByteArray("5dgf"));
    QCOMPARE(unscrambleText("5dgf"), QByteArray("abc"));
}

void TestScrambleCodec::emptyTexts()
{
    const QByteArray scrambled = scrambleText(QByteArray());
    QCOMPARE(scrambled.size(), 1);
    QVERIFY(quint8(scrambled.at(0)) >= 1 && quint8(scrambled.at(0)) <= 126);
    QCOMPARE(unscrambleText(scrambled), QByteArray());
    QCOMPARE(unscrambleText(QByteArray()), QByteArray());
    QCOMPARE(unscrambleToText(QByteArray()), QString());
}

void TestScrambleCodec::keysWithoutLowBitsLeaveTheBytes()
{
    const QByteArray plain = TextBytes::toBytes(QStringLiteral("pass中文123"));
    for (int key = 16; key <= 112; key += 16) {
        const QByteArray scrambled = scrambleWithKey(plain, quint8(key));
        QCOMPARE(quint8(scrambled.at(0)), quint8(key));
        QCOMPARE(scrambled.mid(1), plain);
    }
}

void TestScrambleCodec::everyKeyAndByteRoundTrips()
{
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every.append(char(b));
    for (int key = 1; key <= 126; ++key) {
        const QByteArray scrambled = scrambleWithKey(every, quint8(key));
        QCOMPARE(scrambled.size(), every.size() + 1);
        for (int b = 0; b < 256; ++b)
            QCOMPARE(quint8(scrambled.at(b + 1)), quint8(b ^ (key & 0x0f)));
        QCOMPARE(unscrambleText(scrambled), every);
    }
}

void TestScrambleCodec::highBitsSurvive()
{
    const QByteArray digits("0123456789");
    for (int key = 1; key <= 126; ++key)
        for (char c : scrambleWithKey(digits, quint8(key)).mid(1))
            QVERIFY(quint8(c) >= 0x30 && quint8(c) <= 0x3f);
}

void TestScrambleCodec::keyIsDrawnFromOneTo126()
{
    // 126 values, 60 draws each on average: a missing value would mean a skewed source.
    QSet<int> seen;
    for (int draw = 0; draw < 126 * 60; ++draw) {
        const QByteArray scrambled = scrambleText(QByteArray("x"));
        const int key = quint8(scrambled.at(0));
        QVERIFY2(key >= 1 && key <= 126, QByteArray::number(key).constData());
        QCOMPARE(unscrambleText(scrambled), QByteArray("x"));
        seen.insert(key);
    }
    QCOMPARE(seen.size(), 126);
}

void TestScrambleCodec::chineseTextRoundTrips()
{
    const QString text = QStringLiteral("域名密码：网站😀abc");
    const QByteArray plain = TextBytes::toBytes(text);
    const QByteArray scrambled = scrambleText(text);
    QCOMPARE(scrambled.size(), plain.size() + 1);
    QCOMPARE(unscrambleText(scrambled), plain);
    QCOMPARE(unscrambleToText(scrambled), text);
    // Each byte of a double-byte character is transformed on its own.
    const QByteArray zhong = scrambleWithKey(QByteArray::fromHex("d6d0"), 0x35);
    QCOMPARE(zhong.toHex(), QByteArray("35d3d5"));
}

QTEST_APPLESS_MAIN(TestScrambleCodec)
#include "tst_scramblecodec.moc"
