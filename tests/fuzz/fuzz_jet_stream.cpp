// The conversion takes the reader's output on trust no more than the file itself: a
// stand-in reader hands the input over as its stream (the first byte is its exit code),
// and the program parses it, converts the values and checks the new register. A garbled
// or hostile stream gives a refusal or a sound register, never a crash or a half file.
#include "ConversionCheck.h"

#include "legacy/JetReader.h"

#include <QCoreApplication>

#include <sys/stat.h>

namespace {

FuzzWorld &world()
{
    static FuzzWorld instance;
    return instance;
}

QTemporaryDir &readerFolder()
{
    static QTemporaryDir folder;
    return folder;
}

// The exit code lives outside the program folder, so the check sees only the program's files.
QString codePath()
{
    return QDir(readerFolder().path()).filePath(QStringLiteral("code"));
}

// Hands over db.mdb as the stream and exits with the chosen code.
QByteArray standIn()
{
    return "#!/bin/sh\ncat \"$1\"\nexit $(cat '" + QFile::encodeName(codePath()) + "')\n";
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    umask(0);
    const QString reader = QDir(readerFolder().path()).filePath(QStringLiteral("reader.sh"));
    QFile script(reader);
    if (!script.open(QIODevice::WriteOnly) || script.write(standIn()) < 0)
        std::abort();
    script.close();
    QFile::setPermissions(reader, QFile::ReadOwner | QFile::ExeOwner);
    JetReader::setProgram(reader);
    world();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    // Success and the read failure are the codes that make the program read the stream.
    const std::uint8_t code = input.byte() % 16 < 12 ? 0 : 5;
    const QByteArray stream = input.rest();
    {
        QFile out(codePath());
        if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray::number(code)) < 0)
            std::abort();
    }
    ConversionCheck check(world());
    check.run(stream);
    return 0;
}
