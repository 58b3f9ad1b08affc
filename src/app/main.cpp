#include "app/CommandLine.h"
#include "app/DueCommand.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "platform/PrivateFonts.h"
#include "platform/SingleInstance.h"

#include <QApplication>

#include <optional>

int main(int argc, char *argv[])
{
    // A command answers on the terminal: no window, no login, no instance lock.
    if (CommandLine::isCommandRun(argc, argv)) {
        QCoreApplication app(argc, argv);
        return DueCommand::run(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    PrivateFonts fonts;
    fonts.add();
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvane"));
    // Windows only hide; the program ends only when asked to terminate.
    QApplication::setQuitOnLastWindowClosed(false);

    int status = 0;
    {
        SingleInstance instance(QStringLiteral("Corvane"));
        std::optional<Program> program;
        if (instance.acquired()) {
            loadQtTranslations();
            applyLook();
            program.emplace();
            program->start();
            status = QApplication::exec();
        }
        fonts.remove();
    }
    return status;
}
