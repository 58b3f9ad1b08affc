#include "app/Startup.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

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
