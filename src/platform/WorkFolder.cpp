#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// $XDG_RUNTIME_DIR/corvane when the session has a runtime folder; otherwise a
// folder in the shared temp location whose name carries the user id, so users
// never collide there.
QString folderPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(QStringLiteral("corvane"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("corvane-%1").arg(getuid()));
}

bool isPrivateFolder(const QByteArray &path)
{
    struct stat info
    {
    };
    if (lstat(path.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

} // namespace

namespace WorkFolder {

QString path()
{
    const QString folder = folderPath();
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
