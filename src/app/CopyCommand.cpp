#include "app/CopyCommand.h"

#include "app/CommandLine.h"
#include "app/CommandRegister.h"
#include "legacy/JetImport.h"
#include "store/Connection.h"
#include "store/RegisterAddress.h"
#include "store/RegisterCopy.h"
#include "store/StoreError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

#include <cstdio>

namespace {

int fail(const QString &reason)
{
    std::fprintf(stderr, "corvane: %s\n", reason.toUtf8().constData());
    return CopyCommand::Failed;
}

void say(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
}

// The copy's own connection to the server, closed and forgotten when the command ends.
class ServerDatabase
{
public:
    ServerDatabase() : m_name(QStringLiteral("copy-") + QUuid::createUuid().toString()) {}
    ~ServerDatabase()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase open(const QString &conninfo) const
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setConnectOptions(conninfo);
        if (!db.open())
            throw StoreError(QStringLiteral("无法连接服务器数据库：") + db.lastError().text());
        return db;
    }

private:
    QString m_name;
};

// The server is reached first, so that a file is not converted for a copy that cannot happen.
int copy(const QString &path, const QString &conninfo)
{
    ServerDatabase server;
    QSqlDatabase target = server.open(conninfo);
    Connection source;
    source.setPreparation(&JetImport::prepareRegister);
    source.setReadOnly(true);
    source.setConnectionString(QStringLiteral("Data Source=") + path);
    source.open();
    const QString notice = source.takeConversionNotice();
    if (!notice.isEmpty())
        say(QString(notice).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    const int sites = RegisterCopy::copy(source.database(), target);
    say(QStringLiteral("已将 %1 个网站和设置复制到服务器数据库，逐行核对无误。").arg(sites));
    return CopyCommand::Copied;
}

} // namespace

namespace CopyCommand {

int run(const CommandLine::Options &options)
{
    QString refusal;
    const RegisterAddress target = RegisterAddress::fromText(options.copyTarget, refusal);
    if (!refusal.isEmpty())
        return fail(refusal);
    if (!target.isServer())
        return fail(QStringLiteral("--copy-register-to 须给出服务器数据库的连接串：") + options.copyTarget);
    const RegisterAddress source = CommandRegister::toRead(options);
    if (source.isServer())
        return fail(QStringLiteral("只能从数据库文件复制，现在用的是服务器数据库：") + source.shownText());
    // An earlier installation's Jet file is converted first, as at login.
    if (!JetImport::isJetFile(source.path()))
        refusal = RegisterAddress::refusalOfFile(source.path());
    if (!refusal.isEmpty())
        return fail(refusal);
    try {
        return copy(source.path(), target.connectionString());
    } catch (const StoreError &error) {
        return fail(QStringLiteral("复制未完成，服务器数据库未作改动：") + error.message());
    }
}

} // namespace CopyCommand
