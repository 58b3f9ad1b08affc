#include "app/CommandRegister.h"

#include "app/CommandLine.h"
#include "app/RegisterFolder.h"
#include "store/RememberedRegister.h"

#include <QCoreApplication>

namespace CommandRegister {

RegisterAddress toRead(const CommandLine::Options &options)
{
    if (!options.registerAddress.isNone())
        return options.registerAddress;
    const RegisterFolder::Choice choice = RegisterFolder::choose(options.registerFolder, options.portable,
                                                                 QCoreApplication::applicationDirPath());
    const RegisterAddress remembered = RememberedRegister::recall(choice.folder);
    return remembered.isNone() ? RegisterAddress::inFolder(choice.folder) : remembered;
}

} // namespace CommandRegister
