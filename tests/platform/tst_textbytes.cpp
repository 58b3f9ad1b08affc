#include "platform/TextBytes.h"

#include <QTest>

class TestTextBytes : public QObject
{
    Q_OBJECT
private slots:
    void gbkCharactersKeepTheirGbkBytes_data();
    void gbkCharactersKeepTheirGbkBytes();
    void charactersOutsideGbkSurvive_data();
    void charactersOutsideGbkSurvive();
    void lengthsCountBytes();
};

void TestTextBytes::gbkCharactersKeepTheirGbkBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("中") << QStringLiteral("中") << QByteArray::fromHex("d6d0");
    QTest::newRow("网站地址") << QStringLiteral("网站地址") << QByteArray::fromHex("cdf8d5beb5d8d6b7");
    QTest::newRow("full-width comma") << QStringLiteral("，") << QByteArray::fromHex("a3ac");
    QTest::newRow("ascii stays ascii") << QStringLiteral("abc 123") << QByteArray("abc 123");
    QTest::newRow("mixed") << QStringLiteral("a中b") << QByteArray::fromHex("61d6d062");
}

void TestTextBytes::gbkCharactersKeepTheirGbkBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(TextBytes::toBytes(text).toHex(), bytes.toHex());
    QCOMPARE(TextBytes::fromBytes(bytes), text);
}

void TestTextBytes::charactersOutsideGbkSurvive_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("emoji") << QStringLiteral("密码😀");
    QTest::newRow("extension B") << QString::fromUcs4(U"\U00020000\U0002A6D6");
    QTest::newRow("hangul") << QStringLiteral("한국어");
}

void TestTextBytes::charactersOutsideGbkSurvive()
{
    QFETCH(QString, text);
    const QByteArray bytes = TextBytes::toBytes(text);
    QVERIFY2(!bytes.contains('?'), bytes.toHex().constData());
    QCOMPARE(TextBytes::fromBytes(bytes), text);
}

void TestTextBytes::lengthsCountBytes()
{
    QCOMPARE(TextBytes::byteLength(QStringLiteral("中文字")), 6);
    QCOMPARE(TextBytes::byteLength(QStringLiteral("abc中")), 5);
    QCOMPARE(TextBytes::byteLength(QString()), 0);
    // A four-byte GB18030 sequence: an emoji weighs what it is stored as.
    QCOMPARE(TextBytes::byteLength(QStringLiteral("😀")), 4);
}

QTEST_APPLESS_MAIN(TestTextBytes)
#include "tst_textbytes.moc"
