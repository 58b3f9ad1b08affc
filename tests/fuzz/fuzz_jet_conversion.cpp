// The conversion of an earlier installation's register, on damaged copies of a real one:
// the input is a list of changes (bytes, 32-bit words, a cut) made to the legacy db.mdb.
// Whatever the damage, the conversion gives a sound register or refuses and leaves the
// file alone; the reader may die on it, the program never does.
#include "ConversionCheck.h"

#include "legacy/JetReader.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtEndian>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#ifndef CORVANE_LEGACY_DB
#error "CORVANE_LEGACY_DB names the legacy db.mdb"
#endif

namespace {

const int PageSize = 4096;

struct Tally
{
    long runs = 0;
    long converted = 0;
    long readerDied = 0;
    ~Tally()
    {
        std::fprintf(stderr, "jet conversion: %ld runs, %ld converted, %ld refused, reader died on %ld\n",
                     runs, converted, runs - converted, readerDied);
    }
};

Tally tally;

QByteArray &original()
{
    static QByteArray bytes;
    return bytes;
}

FuzzWorld &world()
{
    static FuzzWorld instance;
    return instance;
}

QByteArray damaged(FuzzInput &input)
{
    QByteArray file = original();
    const int pages = int(file.size() / PageSize);
    while (!input.empty() && !file.isEmpty()) {
        const std::uint8_t change = input.byte();
        // Changes aim at a page and a place in it, so each one lands in a structure.
        const qsizetype at = qsizetype(input.number(0, pages - 1)) * PageSize + input.number(0, PageSize - 1);
        if (at >= file.size())
            continue;
        switch (change % 8) {
        case 6:
            if (at + 4 <= file.size())
                qToLittleEndian<quint32>(input.u32(), file.data() + at);
            break;
        case 7:
            file.truncate(input.flag() ? at : at / PageSize * PageSize);
            break;
        default:
            file[at] = char(input.byte());
            break;
        }
    }
    return file;
}

// The reader on its own: a signal or a sanitizer report inside the reader's own code is
// a fault to mend; one inside libmdb is what the separate process is there to contain.
void runReaderAlone(const QString &path)
{
    QProcess reader;
    reader.start(JetReader::program(), {path, QStringLiteral("t_webinfo"), QStringLiteral("t_set")});
    FUZZ_CHECK(reader.waitForStarted());
    reader.closeWriteChannel();
    FUZZ_CHECK(reader.waitForFinished(120000));
    const QByteArray errors = reader.readAllStandardError();
    const bool died = reader.exitStatus() != QProcess::NormalExit || errors.contains("Sanitizer") ||
                      errors.contains("runtime error");
    if (!died)
        return;
    ++tally.readerDied;
    const qsizetype firstFrame = errors.indexOf("#0 ");
    const QByteArray top = errors.mid(firstFrame, errors.indexOf('\n', firstFrame) - firstFrame);
    if (top.contains("JetReaderMain") || errors.contains("runtime error")) {
        std::fprintf(stderr, "%s\n", errors.constData());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    umask(0); // the files must be owner-only whatever the umask
    QFile legacy(QStringLiteral(CORVANE_LEGACY_DB));
    if (!legacy.open(QIODevice::ReadOnly))
        std::abort();
    original() = legacy.readAll();
    JetReader::setProgram(QStringLiteral(CORVANE_JET_READER));
    world();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    const QByteArray file = damaged(input);
    world().writeFile(QStringLiteral("db.mdb"), file);
    runReaderAlone(world().file(QStringLiteral("db.mdb")));
    ConversionCheck check(world());
    ++tally.runs;
    if (check.run(file))
        ++tally.converted;
    return 0;
}
