#include "app/CommandRegister.h"

#include "app/CommandLine.h"
#include "app/RegisterFolder.h"
#include "store/RememberedRegister.h"

#include <QCoreApplication>

namespace CommandRegister {

QString folderInUse(const CommandLine::Options &options)
{
    return RegisterFolder::choose(options.registerFolder, options.portable,
                                  QCoreApplication::applicationDirPath())
        .folder;
}

RegisterAddress toRead(const CommandLine::Options &options)
{
    if (!options.registerAddress.isNone())
        return options.registerAddress;
    const QString folder = folderInUse(options);
    const RegisterAddress remembered = RememberedRegister::recall(folder);
    return remembered.isNone() ? RegisterAddress::inFolder(folder) : remembered;
}

} // namespace CommandRegister
