#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString baseFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QString::fromLocal8Bit(runtime);
    return QDir::tempPath();
}

QString folderName(const QString &base)
{
    // In a shared temp folder the name must not collide with other users.
    if (base == QDir::tempPath() && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return QStringLiteral("corvane-%1").arg(getuid());
    return QStringLiteral("corvane");
}

bool isPrivateFolder(const QByteArray &path)
{
    struct stat info {};
    if (lstat(path.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

} // namespace

namespace WorkFolder {

QString path()
{
    const QString base = baseFolder();
    const QString folder = QDir(base).filePath(folderName(base));
    const QByteArray native = QFile::encodeName(folder);
    if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return isPrivateFolder(native) ? folder : QString();
}

QString file(const QString &name)
{
    const QString folder = path();
    if (folder.isEmpty())
        throw std::runtime_error("no private work folder");
    return QDir(folder).filePath(name);
}

} // namespace WorkFolder
