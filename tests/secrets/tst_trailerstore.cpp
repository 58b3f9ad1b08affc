#include "TestFolder.h"
#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <limits>

namespace {

const QDateTime WorkedMoment(QDate(2011, 3, 7), QTime(9, 5, 2));

QByteArray lengthField(qint32 value)
{
    QByteArray field(4, '\0');
    qToLittleEndian<qint32>(value, field.data());
    return field;
}

// The secrets stored in a carrier, oldest first, found by walking the length fields back.
QStringList storedSecrets(const QByteArray &carrier, qsizetype supplied)
{
    QStringList secrets;
    qsizetype end = carrier.size();
    while (end > supplied) {
        const qint32 length = qFromLittleEndian<qint32>(carrier.constData() + end - 4);
        const QByteArray payload = carrier.mid(end - length, length - 4);
        if (!payload.endsWith("\r\n"))
            return {QStringLiteral("payload without CR LF")};
        secrets.prepend(TextBytes::fromBytes(unscrambleText(payload.chopped(2)).mid(14)));
        end -= length;
    }
    return end == supplied ? secrets : QStringList{QStringLiteral("walked past the supplied content")};
}

} // namespace

// The carrier layout, byte for byte, and carriers that hold no valid record.
class TestTrailerStore : public QObject
{
    Q_OBJECT
private slots:
    void workedExampleByteForByte();
    void writeStepsMatchTheWorkedExample();
    void threeWritesThenARead();
    void carrierWithoutRecordReadsAsNoSecret_data();
    void carrierWithoutRecordReadsAsNoSecret();
    void recordFillingTheWholeCarrierReads();
    void awkwardKeyBytesReadBackWhole_data();
    void awkwardKeyBytesReadBackWhole();
    void megabyteSecretRoundTrips();
};

void TestTrailerStore::workedExampleByteForByte()
{
    TestFolder world;
    const QByteArray record = scrambleWithKey("20110307090502abc123", 0x35);
    QCOMPARE(record.size(), 21);
    world.writeFile(QStringLiteral("source"), record + "\r\n");
    QVERIFY(appendTrailer(world.file(QStringLiteral("source")), world.file(QStringLiteral("key.exe"))));
    QCOMPARE(world.readFile(QStringLiteral("key.exe")).toHex(),
             QByteArray("353735343435363532353c353035376467663437360d0a1b000000"));

    QVERIFY(extractTrailer(world.file(QStringLiteral("key.exe")), world.file(QStringLiteral("target"))));
    QCOMPARE(world.readFile(QStringLiteral("target")), record + "\r\n");
}

void TestTrailerStore::writeStepsMatchTheWorkedExample()
{
    TestFolder world;
    const QByteArray payload = recordPayload(QStringLiteral("abc123"), WorkedMoment);
    QCOMPARE(payload.size(), 23);
    QCOMPARE(payload.left(21), scrambleWithKey("20110307090502abc123", quint8(payload.at(0))));
    QCOMPARE(payload.right(2), QByteArray("\r\n"));

    QCOMPARE(writeSecret(SecretStore::loginPassword(), QStringLiteral("abc123"), WorkedMoment),
             WriteResult::Written);
    const QByteArray carrier = world.readFile(QStringLiteral("key.exe"));
    QCOMPARE(carrier.size(), 27);
    QCOMPARE(unscrambleText(carrier.left(21)), QByteArray("20110307090502abc123"));
    QCOMPARE(carrier.mid(21).toHex(), QByteArray("0d0a1b000000"));
    QCOMPARE(world.readFile(QStringLiteral("sk.exe")), QByteArray()); // the other store is untouched

    QString secret;
    QVERIFY(readSecret(SecretStore::loginPassword(), secret));
    QCOMPARE(secret, QStringLiteral("abc123"));
}

void TestTrailerStore::threeWritesThenARead()
{
    TestFolder world;
    const QByteArray supplied = QByteArray("MZ supplied content of the carrier\x00\x01", 36);
    world.writeFile(QStringLiteral("sk.exe"), supplied);
    const QStringList secrets{QStringLiteral("first-key"), QStringLiteral("second"),
                              QStringLiteral("第三把密钥")};
    qsizetype payloads = 0;
    for (const QString &secret : secrets) {
        QCOMPARE(writeSecret(SecretStore::secretKey(), secret), WriteResult::Written);
        payloads += 14 + TextBytes::byteLength(secret) + 1 + 2;
    }
    const QByteArray carrier = world.readFile(QStringLiteral("sk.exe"));
    QCOMPARE(carrier.size(), supplied.size() + payloads + 12);
    QVERIFY(carrier.startsWith(supplied));
    QCOMPARE(storedSecrets(carrier, supplied.size()), secrets);

    QString secret = QStringLiteral("before");
    QVERIFY(readSecret(SecretStore::secretKey(), secret));
    QCOMPARE(secret, secrets.last());
    QCOMPARE(world.readFile(QStringLiteral("sk.exe")), carrier); // reading changes nothing
}

void TestTrailerStore::carrierWithoutRecordReadsAsNoSecret_data()
{
    QTest::addColumn<QByteArray>("carrier");
    QTest::addColumn<bool>("absent");
    const QByteArray content(30, 'c');
    QTest::newRow("absent") << QByteArray() << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("1 byte") << QByteArray("\x1b") << false;
    QTest::newRow("3 bytes") << QByteArray("\x1b\x00\x00", 3) << false;
    for (int length = 0; length <= 4; ++length)
        QTest::addRow("length %d", length) << content + lengthField(length) << false;
    QTest::newRow("length -1") << content + lengthField(-1) << false;
    QTest::newRow("length minimum") << content + lengthField(std::numeric_limits<qint32>::min()) << false;
    QTest::newRow("length maximum") << content + lengthField(std::numeric_limits<qint32>::max()) << false;
    QTest::newRow("length one past the start") << content + lengthField(35) << false;
    QTest::newRow("only a length field") << lengthField(27) << false;
}

void TestTrailerStore::carrierWithoutRecordReadsAsNoSecret()
{
    QFETCH(QByteArray, carrier);
    QFETCH(bool, absent);
    TestFolder world;
    if (absent)
        QVERIFY(QFile::remove(world.file(QStringLiteral("key.exe"))));
    else
        world.writeFile(QStringLiteral("key.exe"), carrier);
    QString secret = QStringLiteral("unchanged");
    QVERIFY(!readSecret(SecretStore::loginPassword(), secret));
    QCOMPARE(secret, QStringLiteral("unchanged"));
    QVERIFY(!extractTrailer(world.file(QStringLiteral("key.exe")), world.file(QStringLiteral("target"))));
    QCOMPARE(QFile::exists(world.file(QStringLiteral("key.exe"))), !absent);
    QCOMPARE(world.readFile(QStringLiteral("key.exe")), carrier);
}

void TestTrailerStore::recordFillingTheWholeCarrierReads()
{
    TestFolder world;
    const QByteArray payload = scrambleWithKey("20110307090502secret", 0x41) + "\r\n";
    world.writeFile(QStringLiteral("key.exe"), payload + lengthField(qint32(payload.size() + 4)));
    QString secret;
    QVERIFY(readSecret(SecretStore::loginPassword(), secret));
    QCOMPARE(secret, QStringLiteral("secret"));
}

void TestTrailerStore::awkwardKeyBytesReadBackWhole_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("secret");
    QTest::newRow("line feed") << 10 << QStringLiteral("abcdef");
    QTest::newRow("carriage return") << 13 << QStringLiteral("abcdef");
    QTest::newRow("end of file mark") << 26 << QStringLiteral("密码abc");
    // With a key of low bits 0 a CR LF in the secret stays a CR LF inside the record.
    QTest::newRow("CR LF inside the record") << 16 << QStringLiteral("ab\r\ncd\r\n");
}

void TestTrailerStore::awkwardKeyBytesReadBackWhole()
{
    QFETCH(int, key);
    QFETCH(QString, secret);
    TestFolder world;
    const QByteArray plain = TextBytes::toBytes(QStringLiteral("20110307090502") + secret);
    world.writeFile(QStringLiteral("source"), scrambleWithKey(plain, quint8(key)) + "\r\n");
    QVERIFY(appendTrailer(world.file(QStringLiteral("source")), world.file(QStringLiteral("sk.exe"))));
    QString read;
    QVERIFY(readSecret(SecretStore::secretKey(), read));
    QCOMPARE(read, secret);
}

void TestTrailerStore::megabyteSecretRoundTrips()
{
    TestFolder world;
    QString secret;
    while (secret.size() < 1024 * 1024)
        secret += QStringLiteral("密钥key0123456789");
    secret.truncate(1024 * 1024);
    QCOMPARE(writeSecret(SecretStore::secretKey(), secret), WriteResult::Written);
    QCOMPARE(writeSecret(SecretStore::secretKey(), secret + QStringLiteral("!")), WriteResult::Written);
    QString read;
    QVERIFY(readSecret(SecretStore::secretKey(), read));
    QCOMPARE(read.size(), secret.size() + 1);
    QVERIFY(read == secret + QStringLiteral("!"));
}

QTEST_GUILESS_MAIN(TestTrailerStore)
#include "tst_trailerstore.moc"
