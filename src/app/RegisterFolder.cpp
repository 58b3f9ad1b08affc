#include "app/RegisterFolder.h"

#include "secrets/TrailerStore.h"
#include "store/RegisterFile.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString RegisterName = QStringLiteral("db.mdb");

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

[[noreturn]] void refuse(const QString &what, const QString &path)
{
    throw RegisterFolder::PreparationError(what + path + QStringLiteral("（") + systemReason() +
                                           QStringLiteral("）"));
}

// The folder and any missing parent, each new one owner-only as the XDG rules ask; the
// folder itself is made owner-only even where the user made it first (it is the program's
// own, and holds the credentials), unless it is a link to somewhere the user chose.
void makePrivateFolder(const QString &folder)
{
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent != folder && !QFileInfo(parent).isDir())
        makePrivateFolder(parent);
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        refuse(QStringLiteral("无法创建文件夹："), folder);
    struct stat info
    {
    };
    if (::lstat(native.constData(), &info) != 0)
        refuse(QStringLiteral("无法读取文件夹："), folder);
    if (!QFileInfo(folder).isDir()) {
        errno = ENOTDIR;
        refuse(QStringLiteral("无法创建文件夹："), folder);
    }
    if (S_ISDIR(info.st_mode) && (info.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        refuse(QStringLiteral("无法设置文件夹的权限："), folder);
}

void createEmptyCarrier(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST)
        refuse(QStringLiteral("无法创建密钥文件："), path);
    if (fd >= 0)
        ::close(fd);
}

void createFreshRegister(const QString &folder)
{
    // The register comes last: once it is there, the folder counts as made.
    const QDir dir(folder);
    for (const SecretStore &store : {SecretStore::loginPassword(), SecretStore::secretKey()})
        createEmptyCarrier(dir.filePath(store.carrierName));
    try {
        createRegister(dir.filePath(RegisterName));
    } catch (const StoreError &error) {
        throw RegisterFolder::PreparationError(QStringLiteral("无法创建数据库文件：") +
                                               dir.filePath(RegisterName) + QStringLiteral("（") +
                                               error.message() + QStringLiteral("）"));
    }
}

} // namespace

namespace RegisterFolder {

Choice choose(const QString &named, bool portable, const QString &programFolder)
{
    if (!named.isEmpty())
        return {Kind::Named, named};
    const QFileInfo besideProgram(QDir(programFolder).filePath(RegisterName));
    if (portable || besideProgram.exists() || besideProgram.isSymLink())
        return {Kind::Portable, programFolder};
    return {Kind::UserData, userDataFolder()};
}

QString userDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("corvane"));
}

void prepare(const Choice &choice)
{
    if (choice.kind == Kind::Portable)
        return;
    if (choice.kind == Kind::UserData)
        makePrivateFolder(choice.folder);
    const QFileInfo existing(QDir(choice.folder).filePath(RegisterName));
    if (!existing.exists() && !existing.isSymLink())
        createFreshRegister(choice.folder);
}

} // namespace RegisterFolder
