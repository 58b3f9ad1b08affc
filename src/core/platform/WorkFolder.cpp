#include "platform/WorkFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt gives an empty path when TMPDIR names a folder that is not there; a relative name
// would then land in whatever the current folder is.
QString tempFolder()
{
    const QString temp = QDir::tempPath();
    return QDir::isAbsolutePath(temp) ? temp : QString();
}

// $XDG_RUNTIME_DIR/corvane when the session has a runtime folder; otherwise a
// folder in the shared temp location whose name carries the user id, so users
// never collide there.
QString usualPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(QStringLiteral("corvane"));
    const QString temp = tempFolder();
    return temp.isEmpty() ? QString() : QDir(temp).filePath(QStringLiteral("corvane-%1").arg(getuid()));
}

bool isPrivateFolder(const QString &folder)
{
    struct stat info
    {
    };
    if (lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

// The usual name in the shared temp folder can be taken first by another user. Then
// a folder under a name nobody can guess or take, made private from the start, serves
// the rest of the run.
QString freshFolder(const QString &instead)
{
    static QString taken;
    static QString fresh;
    if (taken == instead && !fresh.isEmpty() && isPrivateFolder(fresh))
        return fresh;
    taken = instead;
    fresh.clear();
    const QString temp = tempFolder();
    QByteArray name =
        QFile::encodeName(QDir(temp).filePath(QStringLiteral("corvane-%1-XXXXXX").arg(getuid())));
    if (!temp.isEmpty() && mkdtemp(name.data()))
        fresh = QFile::decodeName(name);
    return fresh;
}

} // namespace

namespace WorkFolder {

QString path()
{
    const QString folder = usualPath();
    const bool there =
        !folder.isEmpty() && (mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || errno == EEXIST);
    return there && isPrivateFolder(folder) ? folder : freshFolder(folder);
}

QString file(const QString &name)
{
    const QString folder = path();
    if (folder.isEmpty())
        throw std::runtime_error("no private work folder");
    return QDir(folder).filePath(name);
}

} // namespace WorkFolder
