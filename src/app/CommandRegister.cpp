#include "app/CommandRegister.h"

#include "app/CommandLine.h"
#include "app/RegisterFolder.h"
#include "legacy/JetImport.h"
#include "store/RegisterFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace CommandRegister {

QString pathFor(const CommandLine::Options &options)
{
    if (!options.registerPath.isEmpty())
        return QFileInfo(options.registerPath).absoluteFilePath();
    const RegisterFolder::Choice choice = RegisterFolder::choose(options.registerFolder, options.portable,
                                                                 QCoreApplication::applicationDirPath());
    return QDir(choice.folder).filePath(QStringLiteral("db.mdb"));
}

QString refusalOf(const QString &path, Jet jet)
{
    const QFileInfo file(path);
    if (!file.exists())
        return QStringLiteral("数据库文件不存在：") + path;
    if (!file.isFile() || !file.isReadable())
        return QStringLiteral("数据库文件无法读取：") + path;
    // The connection string ends a path at its first semicolon.
    if (path.contains(QLatin1Char(';')))
        return QStringLiteral("数据库文件的路径中不能有分号：") + path;
    if (JetImport::isJetFile(path))
        return jet == Jet::Converted
                   ? QString()
                   : QStringLiteral("数据库文件仍是旧的 Jet 格式，请先启动 Corvane 转换一次：") + path;
    if (!isSqliteFile(path))
        return QStringLiteral("不是 Corvane 的数据库文件：") + path;
    return QString();
}

} // namespace CommandRegister
