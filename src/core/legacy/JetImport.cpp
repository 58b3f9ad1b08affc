#include "legacy/JetImport.h"

#include "legacy/JetConversionError.h"
#include "legacy/JetConversionReport.h"
#include "legacy/JetReader.h"
#include "legacy/JetRegisterWriter.h"
#include "platform/FileIo.h"
#include "store/RegisterFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace JetImport {

namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

void removeWork(const QString &work)
{
    for (const char *tail : {"", "-journal", "-wal", "-shm"})
        QFile::remove(work + QLatin1String(tail));
}

// db.mdb -> db.jet.mdb, then db.jet.1.mdb, db.jet.2.mdb ...
QString keptPath(const QFileInfo &info, int number)
{
    QString name = info.completeBaseName() + QStringLiteral(".jet");
    if (number > 0)
        name += QLatin1Char('.') + QString::number(number);
    if (!info.suffix().isEmpty())
        name += QLatin1Char('.') + info.suffix();
    return info.dir().filePath(name);
}

// Writes source into a name that must not exist yet; 0 or the errno of the failure.
int writeExclusive(QIODevice &source, const QString &to)
{
    const int target = ::open(nativePath(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (target < 0)
        return errno;
    bool ok = source.open(QIODevice::ReadOnly);
    while (ok && !source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        ok = !chunk.isEmpty() && FileIo::writeAll(target, chunk);
    }
    ok = ok && ::fsync(target) == 0;
    const int error = ok ? 0 : (errno ? errno : EIO);
    ::close(target);
    if (!ok)
        ::unlink(nativePath(to).constData());
    return error;
}

bool occupied(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Keeps the Jet file under the first free name. A hard link keeps it without copying
// and without a moment in which db.mdb is missing; where the file system has no links
// (a FAT stick), an exclusive copy does the same. Nothing existing is ever overwritten.
QString keepOriginal(const QString &path, bool withList)
{
    const QFileInfo info(path);
    for (int number = 0; number < 1000; ++number) {
        const QString kept = keptPath(info, number);
        // The list of values left out goes beside the original, under a name of its own.
        if (withList && occupied(JetConversionReport::listPath(kept)))
            continue;
        if (::link(nativePath(path).constData(), nativePath(kept).constData()) == 0)
            return kept;
        if (errno == EEXIST)
            continue;
        QFile original(path);
        const int error = writeExclusive(original, kept);
        if (error == 0)
            return kept;
        if (error != EEXIST)
            throw JetConversionError(
                QStringLiteral("无法保留原数据库文件为 %1（%2）")
                    .arg(QDir::toNativeSeparators(kept), QString::fromLocal8Bit(strerror(error))));
    }
    throw JetConversionError(QStringLiteral("找不到保留原数据库文件的空闲文件名"));
}

const JetTable &tableNamed(const QList<JetTable> &tables, const QString &name)
{
    for (const JetTable &table : tables) {
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return table;
    }
    throw JetConversionError(QStringLiteral("缺少表 ") + name);
}

JetConversionReport::LeftOut fill(const QString &work, const QList<JetTable> &tables)
{
    try {
        createRegister(work);
    } catch (const StoreError &) {
        throw JetConversionError(QStringLiteral("无法在文件夹 %1 中建立新数据库文件，请检查该文件夹是否可写")
                                     .arg(QDir::toNativeSeparators(QFileInfo(work).absolutePath())));
    }
    JetRegisterWriter writer(work);
    writer.write(tableNamed(tables, QStringLiteral("t_webinfo")),
                 tableNamed(tables, QStringLiteral("t_set")));
    return writer.leftOut();
}

// The list of values left out, beside the kept original; the original is let go again
// when the list cannot be written, so that nothing is converted without it.
QString writeList(const QString &kept, const JetConversionReport::LeftOut &leftOut)
{
    const QString list = JetConversionReport::listPath(kept);
    QByteArray text = JetConversionReport::listText(kept, leftOut);
    QBuffer buffer(&text);
    const int error = writeExclusive(buffer, list);
    if (error == 0)
        return list;
    ::unlink(nativePath(kept).constData());
    throw JetConversionError(
        QStringLiteral("无法保存未转换内容的清单 %1（%2）")
            .arg(QDir::toNativeSeparators(list), QString::fromLocal8Bit(strerror(error))));
}

} // namespace

bool isJetFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(19);
    return head.size() == 19 &&
           (head.mid(4) == QByteArray("Standard Jet DB") || head.mid(4) == QByteArray("Standard ACE DB"));
}

QString convert(const QString &requested)
{
    // Where db.mdb is a link, the register is converted where it lives, so the link names
    // the new register and the original is kept beside it.
    const QString path = registerLocation(requested);
    const QString folder = QFileInfo(path).absolutePath();
    const QString work = path + QStringLiteral(".converting");
    // Left behind only by a conversion that was cut short; it is ours to replace.
    removeWork(work);
    const QList<JetTable> tables =
        JetReader::read(path, {QStringLiteral("t_webinfo"), QStringLiteral("t_set")});
    QString kept;
    QString list;
    JetConversionReport::LeftOut leftOut;
    try {
        leftOut = fill(work, tables);
        kept = keepOriginal(path, !leftOut.isEmpty());
        if (!leftOut.isEmpty())
            list = writeList(kept, leftOut);
        if (::rename(nativePath(work).constData(), nativePath(path).constData()) != 0) {
            const int error = errno;
            ::unlink(nativePath(kept).constData());
            if (!list.isEmpty())
                ::unlink(nativePath(list).constData());
            throw JetConversionError(
                QStringLiteral("无法启用新数据库文件（%1）").arg(QString::fromLocal8Bit(strerror(error))));
        }
    } catch (...) {
        removeWork(work);
        throw;
    }
    // Only now is the kept file no longer db.mdb as well, so its mode is ours to set.
    ::chmod(nativePath(kept).constData(), 0600);
    FileIo::syncFolder(folder);
    return JetConversionReport::notice(kept, list, leftOut);
}

QString prepareRegister(const QString &path)
{
    // An earlier installation's Jet register is converted once, before anything reads it.
    return isJetFile(path) ? convert(path) : QString();
}

} // namespace JetImport
