#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

namespace ProgramFolder {

QString path()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

QString file(const QString &name)
{
    return QDir(path()).filePath(name);
}

void setOverride(const QString &folder)
{
    overrideFolder() = folder;
}

void clearOverride()
{
    overrideFolder().clear();
}

} // namespace ProgramFolder
