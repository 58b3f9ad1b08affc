#include "app/Globals.h"
#include "app/Startup.h"
#include "platform/PrivateFonts.h"
#include "platform/SingleInstance.h"
#include "gui/LoginWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
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
        if (instance.acquired()) {
            loadQtTranslations();
            applyLook();
            createGlobalObjects();
            Form6->show();
            status = QApplication::exec();
        }
        fonts.remove();
        if (instance.acquired())
            destroyGlobalObjects();
    }
    return status;
}
