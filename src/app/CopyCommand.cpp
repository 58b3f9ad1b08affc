#include "app/CopyCommand.h"

#include "app/CommandLine.h"
#include "app/CommandRegister.h"
#include "legacy/JetImport.h"
#include "store/Connection.h"
#include "store/RegisterCopy.h"
#include "store/StoreError.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

#include <libpq-fe.h>

#include <cstdio>
#include <memory>

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

QString quotedValue(const QString &value)
{
    static const QRegularExpression plain(QStringLiteral("^[^\\s'\\\\]+$"));
    if (plain.match(value).hasMatch())
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Qt's PostgreSQL driver takes libpq's key=value words only: a URI is read by libpq itself and
// given in that form. Empty when libpq cannot read the text; refusal then says why.
QString keyValueForm(const QString &typed, QString &refusal)
{
    char *error = nullptr;
    const std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption *)> parsed(
        PQconninfoParse(typed.trimmed().toUtf8().constData(), &error), PQconninfoFree);
    if (!parsed) {
        refusal = QStringLiteral("数据库连接串有误：") +
                  (error ? QString::fromUtf8(error).trimmed() : QStringLiteral("内存不足"));
        PQfreemem(error);
        return QString();
    }
    QStringList words;
    for (const PQconninfoOption *option = parsed.get(); option->keyword; ++option) {
        if (option->val)
            words << QString::fromUtf8(option->keyword) + QLatin1Char('=') +
                         quotedValue(QString::fromUtf8(option->val));
    }
    // The driver splits its options at semicolons, even inside quotes.
    if (words.join(QLatin1Char(' ')).contains(QLatin1Char(';'))) {
        refusal = QStringLiteral("数据库连接串中不能有分号");
        return QString();
    }
    return words.join(QLatin1Char(' '));
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
    const QString conninfo = keyValueForm(options.copyTarget, refusal);
    if (!refusal.isEmpty())
        return fail(refusal);
    const QString path = CommandRegister::pathFor(options);
    refusal = CommandRegister::refusalOf(path, CommandRegister::Jet::Converted);
    if (!refusal.isEmpty())
        return fail(refusal);
    try {
        return copy(path, conninfo);
    } catch (const StoreError &error) {
        return fail(QStringLiteral("复制未完成，服务器数据库未作改动：") + error.message());
    }
}

} // namespace CopyCommand
