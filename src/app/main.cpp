#include "app/CommandLine.h"
#include "app/CopyCommand.h"
#include "app/DueCommand.h"
#include "app/Program.h"
#include "app/ProtectCommand.h"
#include "app/Startup.h"
#include "platform/PrivateFonts.h"
#include "platform/SingleInstance.h"
#include "store/RegisterAddress.h"

#include <QApplication>

#include <optional>

int main(int argc, char *argv[])
{
    // Read before any application object: --help, --version and a refused option need no
    // display.
    const CommandLine::Options options = CommandLine::parse(CommandLine::arguments(argc, argv));
    if (const std::optional<int> status = CommandLine::answer(options))
        return *status;
    // A command answers on the terminal: no window, no login, no instance lock.
    if (options.isCommand()) {
        QCoreApplication app(argc, argv);
        if (options.due)
            return DueCommand::run(options);
        return options.copy ? CopyCommand::run(options) : ProtectCommand::run(options);
    }
    QApplication app(argc, argv);
    // The fonts are looked for beside the executable, before another folder is chosen.
    PrivateFonts fonts;
    fonts.add();
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvane"));
    // Ties the windows to the installed menu entry, and so to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvane.Corvane"));
    // Windows only hide; the program ends only when asked to terminate.
    QApplication::setQuitOnLastWindowClosed(false);

    int status = 0;
    {
        SingleInstance instance(QStringLiteral("Corvane"));
        std::optional<Program> program;
        if (instance.acquired()) {
            loadQtTranslations();
            applyLook();
            if (useRegisterFolder(options)) {
                program.emplace();
                program->siteRegister().setAddress(chooseRegister(options));
                program->start();
                status = QApplication::exec();
            } else {
                status = 1;
            }
        }
        fonts.remove();
    }
    return status;
}
