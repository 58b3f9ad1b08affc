#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/RegisterFolder.h"
#include "gui/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "store/RegisterAddress.h"
#include "store/RememberedRegister.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

namespace {

void sayOnTerminal(const QString &text)
{
    std::fprintf(stderr, "corvane: %s\n", text.toUtf8().constData());
}

} // namespace

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

bool useRegisterFolder(const CommandLine::Options &options)
{
    const RegisterFolder::Choice choice = RegisterFolder::choose(options.registerFolder, options.portable,
                                                                 QCoreApplication::applicationDirPath());
    try {
        RegisterFolder::prepare(choice);
    } catch (const RegisterFolder::PreparationError &error) {
        sayOnTerminal(error.reason());
        Dialogs::error(nullptr, QStringLiteral("提示"), error.reason());
        return false;
    }
    ProgramFolder::use(choice.folder);
    return true;
}

RegisterAddress chooseRegister(const CommandLine::Options &options)
{
    const QString folder = ProgramFolder::path();
    const RegisterAddress &named = options.registerAddress;
    if (named.isNone())
        return RememberedRegister::recall(folder);
    if (!RememberedRegister::remember(folder, named))
        sayOnTerminal(QStringLiteral("无法记住所选的数据库，下次启动时仍用原来的数据库"));
    if (named.hadSecret())
        sayOnTerminal(QStringLiteral("连接串中的密码只用于这一次，不会记住；请把它写在 ~/.pgpass 或 "
                                     "PostgreSQL 的服务文件中"));
    return named;
}
