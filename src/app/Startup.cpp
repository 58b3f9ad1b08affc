#include "app/Startup.h"

#include "app/Globals.h"
#include "expiry/TForm4.h"
#include "expiry/TForm5.h"
#include "misc/TForm7.h"
#include "misc/TForm8.h"
#include "misc/TForm9.h"
#include "misc/WindowInput.h"
#include "records/TForm1.h"
#include "records/TForm2.h"
#include "records/TForm3.h"
#include "secrets/TForm6.h"
#include "store/TDataModule1.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

TDataModule1 *DataModule1 = nullptr;
TForm6 *Form6 = nullptr;
TForm1 *Form1 = nullptr;
TForm2 *Form2 = nullptr;
TForm3 *Form3 = nullptr;
TForm4 *Form4 = nullptr;
TForm5 *Form5 = nullptr;
TForm7 *Form7 = nullptr;
TForm8 *Form8 = nullptr;
TForm9 *Form9 = nullptr;

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
    DataModule1 = create<TDataModule1>("DataModule1");
    Form6 = create<TForm6>("Form6");
    Form1 = create<TForm1>("Form1");
    Form2 = create<TForm2>("Form2");
    Form3 = create<TForm3>("Form3");
    Form4 = create<TForm4>("Form4");
    Form5 = create<TForm5>("Form5");
    Form7 = create<TForm7>("Form7");
    Form8 = create<TForm8>("Form8");
    Form9 = create<TForm9>("Form9");
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
