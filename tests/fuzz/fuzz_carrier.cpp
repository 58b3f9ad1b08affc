// Carriers come from anywhere a user copies them from: whatever their bytes, reading
// the newest record stays inside the file and takes exactly the span the length field
// names, and a secret written onto any carrier reads back unchanged.
#include "FuzzInput.h"
#include "FuzzWorld.h"

#include "platform/TextBytes.h"
#include "secrets/TrailerStore.h"

#include <QDir>
#include <QtEndian>

namespace {

FuzzWorld &world()
{
    static FuzzWorld instance;
    return instance;
}

const SecretStore store = SecretStore::secretKey();

bool workFolderEmpty()
{
    return QDir(world().workFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty();
}

QString readBack()
{
    QString secret = QStringLiteral("unchanged");
    readSecret(store, secret);
    FUZZ_CHECK(workFolderEmpty());
    return secret;
}

void checkNewestRecord(const std::uint8_t *data, std::size_t size)
{
    // Not copied: a read past the end of the carrier is a read past the fuzzer's buffer.
    const QByteArray carrier = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray record;
    const bool found = newestRecord(carrier, record);
    if (found) {
        FUZZ_CHECK(size >= 4);
        const qint32 length = qFromLittleEndian<qint32>(data + size - 4);
        FUZZ_CHECK(length > 4 && qint64(length) <= qint64(size));
        FUZZ_CHECK(record == QByteArray(reinterpret_cast<const char *>(data) + size - length, length - 4));
    }

    // The whole read through the carrier file and the work file agrees, and only the
    // newest record counts: the same record alone on a carrier reads the same.
    world().writeFile(store.carrierName, QByteArray(carrier.constData(), carrier.size()));
    const QString secret = readBack();
    FUZZ_CHECK(found == (secret != QStringLiteral("unchanged")));
    if (found) {
        QByteArray alone = record;
        alone.resize(record.size() + 4);
        qToLittleEndian<qint32>(qint32(record.size() + 4), alone.data() + record.size());
        world().writeFile(store.carrierName, alone);
        FUZZ_CHECK(readBack() == secret);
    }
}

void checkRoundTrip(FuzzInput &input)
{
    const QString secret = input.text(48);
    const QByteArray supplied = input.rest();
    world().writeFile(store.carrierName, supplied);
    FUZZ_CHECK(writeSecret(store, secret) == WriteResult::Written);
    FUZZ_CHECK(workFolderEmpty());
    const QByteArray carrier = world().readFile(store.carrierName);
    FUZZ_CHECK(carrier.startsWith(supplied));
    // One record: the 14-digit time stamp and the secret, scrambled (one key byte), CR LF, length.
    FUZZ_CHECK(carrier.size() == supplied.size() + 14 + TextBytes::byteLength(secret) + 1 + 2 + 4);
    FUZZ_CHECK(readBack() == secret);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    checkNewestRecord(data, size);
    FuzzInput input(data, size);
    checkRoundTrip(input);
    return 0;
}
