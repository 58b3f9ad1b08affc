#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &chosenFolder()
{
    static QString folder;
    return folder;
}
} // namespace

namespace ProgramFolder {

QString path()
{
    if (!chosenFolder().isEmpty())
        return chosenFolder();
    return QCoreApplication::applicationDirPath();
}

QString file(const QString &name)
{
    return QDir(path()).filePath(name);
}

void use(const QString &folder)
{
    chosenFolder() = folder;
}

void reset()
{
    chosenFolder().clear();
}

} // namespace ProgramFolder
