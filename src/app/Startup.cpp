#include "app/Startup.h"

#include "app/Globals.h"
#include "gui/ExpiryWindow.h"
#include "gui/SettingsWindow.h"
#include "gui/HelpNotice.h"
#include "gui/AdBoard.h"
#include "gui/UpgradeNotice.h"
#include "gui/WindowInput.h"
#include "gui/MainWindow.h"
#include "gui/AddSiteWindow.h"
#include "gui/SiteWindow.h"
#include "gui/LoginWindow.h"
#include "store/SiteRegister.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

SiteRegister *DataModule1 = nullptr;
LoginWindow *Form6 = nullptr;
MainWindow *Form1 = nullptr;
AddSiteWindow *Form2 = nullptr;
SiteWindow *Form3 = nullptr;
ExpiryWindow *Form4 = nullptr;
SettingsWindow *Form5 = nullptr;
HelpNotice *Form7 = nullptr;
AdBoard *Form8 = nullptr;
UpgradeNotice *Form9 = nullptr;

namespace {

template <typename T> T *create(const char *instanceName)
{
    T *object = new T;
    object->setObjectName(QLatin1String(instanceName));
    return object;
}

template <typename T> void destroy(T *&object)
{
    delete object;
    object = nullptr;
}

// The login window waits for its password, and the main window and the ad board stay
// until the program ends: Escape closes only the windows the user opened from them.
void prepareInput()
{
    using WindowInput::Escape;
    for (QWidget *window : std::initializer_list<QWidget *>{Form6, Form1, Form8})
        WindowInput::prepare(window, Escape::Ignored);
    for (QWidget *window : std::initializer_list<QWidget *>{Form2, Form3, Form4, Form5, Form7, Form9})
        WindowInput::prepare(window, Escape::ClosesWindow);
}

} // namespace

void createGlobalObjects()
{
    DataModule1 = create<SiteRegister>("DataModule1");
    Form6 = create<LoginWindow>("Form6");
    Form1 = create<MainWindow>("Form1");
    Form2 = create<AddSiteWindow>("Form2");
    Form3 = create<SiteWindow>("Form3");
    Form4 = create<ExpiryWindow>("Form4");
    Form5 = create<SettingsWindow>("Form5");
    Form7 = create<HelpNotice>("Form7");
    Form8 = create<AdBoard>("Form8");
    Form9 = create<UpgradeNotice>("Form9");
    prepareInput();
}

void destroyGlobalObjects()
{
    destroy(Form9);
    destroy(Form8);
    destroy(Form7);
    destroy(Form5);
    destroy(Form4);
    destroy(Form3);
    destroy(Form2);
    destroy(Form1);
    destroy(Form6);
    destroy(DataModule1);
}

void applyLook()
{
    QFile sheet(QStringLiteral(":/look/style.qss"));
    if (!sheet.open(QIODevice::ReadOnly))
        return;
    // Under a style sheet a window's own font (bold 微软雅黑) reaches its controls
    // only when propagation is asked for.
    QCoreApplication::setAttribute(Qt::AA_UseStyleSheetPropagationInWidgetStyles);
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

bool loadQtTranslations()
{
    // The program speaks Chinese whatever the user's locale, so the file is named, not
    // looked up by locale.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
