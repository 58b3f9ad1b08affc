#include "store/RegisterAddress.h"

#include "store/Connection.h"
#include "store/RegisterFile.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <libpq-fe.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

bool namesServer(const QString &typed)
{
    static const QRegularExpression keyValue(QStringLiteral("^\\s*[A-Za-z_]+\\s*="));
    return typed.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
           typed.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive) ||
           keyValue.match(typed).hasMatch();
}

// Quoted where libpq needs it: an empty value, or one with blanks, quotes or backslashes.
QString conninfoValue(const QString &value)
{
    static const QRegularExpression needsQuotes(QStringLiteral("[\\s'\\\\]"));
    if (!value.isEmpty() && !value.contains(needsQuotes))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

int placeOf(const char *keyword)
{
    static const QByteArrayList first{"service", "host", "hostaddr", "port", "dbname", "user"};
    const int place = int(first.indexOf(QByteArray(keyword)));
    return place >= 0 ? place : int(first.size());
}

struct ParsedServer
{
    QString whole;   // every value typed
    QString shown;   // without the values libpq marks as secret
    QString refusal; // why libpq or the driver cannot take it
};

ParsedServer parseServer(const QString &typed)
{
    ParsedServer parsed;
    char *error = nullptr;
    const std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption *)> options(
        PQconninfoParse(typed.toUtf8().constData(), &error), PQconninfoFree);
    if (!options) {
        parsed.refusal = QStringLiteral("数据库连接串有误：") +
                         (error ? QString::fromUtf8(error).trimmed() : QStringLiteral("内存不足"));
        PQfreemem(error);
        return parsed;
    }
    QList<const PQconninfoOption *> given;
    for (const PQconninfoOption *option = options.get(); option->keyword; ++option) {
        if (option->val)
            given << option;
    }
    // Where the register is comes first, as people write it; the rest in libpq's order.
    std::stable_sort(given.begin(), given.end(), [](const PQconninfoOption *a, const PQconninfoOption *b) {
        return placeOf(a->keyword) < placeOf(b->keyword);
    });
    QStringList whole;
    QStringList shown;
    for (const PQconninfoOption *option : std::as_const(given)) {
        const QString word = QString::fromUtf8(option->keyword) + QLatin1Char('=') +
                             conninfoValue(QString::fromUtf8(option->val));
        whole << word;
        // libpq marks a password field with '*' (password, sslpassword).
        if (!option->dispchar || option->dispchar[0] != '*')
            shown << word;
    }
    parsed.whole = whole.join(QLatin1Char(' '));
    parsed.shown = shown.join(QLatin1Char(' '));
    // Qt's PostgreSQL driver splits its options at semicolons.
    if (parsed.whole.contains(QLatin1Char(';')))
        parsed.refusal = QStringLiteral("数据库连接串中不能有分号");
    return parsed;
}

} // namespace

RegisterAddress RegisterAddress::file(const QString &path)
{
    RegisterAddress address;
    address.m_kind = Kind::File;
    address.m_text = QFileInfo(path).absoluteFilePath();
    address.m_shown = address.m_text;
    return address;
}

RegisterAddress RegisterAddress::inFolder(const QString &folder)
{
    return file(QDir(folder).filePath(QStringLiteral("db.mdb")));
}

RegisterAddress RegisterAddress::fromText(const QString &typed, QString &refusal)
{
    refusal.clear();
    if (typed.trimmed().isEmpty()) {
        refusal = QStringLiteral("没有给出数据库文件的路径或连接串");
        return {};
    }
    if (!namesServer(typed)) {
        // The connection string ends a path at its first semicolon.
        if (typed.contains(QLatin1Char(';'))) {
            refusal = QStringLiteral("数据库文件的路径中不能有分号：") + typed;
            return {};
        }
        return file(typed);
    }
    ParsedServer parsed = parseServer(typed);
    if (!parsed.refusal.isEmpty()) {
        refusal = parsed.refusal;
        return {};
    }
    RegisterAddress address;
    address.m_kind = Kind::Server;
    address.m_text = std::move(parsed.whole);
    address.m_shown = std::move(parsed.shown);
    return address;
}

QString RegisterAddress::refusalOfFile(const QString &path)
{
    const QFileInfo file(path);
    if (!file.exists())
        return QStringLiteral("数据库文件不存在：") + path;
    if (!file.isFile() || !file.isReadable())
        return QStringLiteral("数据库文件无法读取：") + path;
    if (path.contains(QLatin1Char(';')))
        return QStringLiteral("数据库文件的路径中不能有分号：") + path;
    if (!isSqliteFile(path))
        return QStringLiteral("不是 Corvane 的数据库文件：") + path;
    return QString();
}

QString RegisterAddress::shownText() const
{
    return m_shown;
}

void RegisterAddress::applyTo(Connection &connection) const
{
    if (m_kind == Kind::File)
        connection.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") +
                                       m_text + QStringLiteral(";Persist Security Info=False"));
    else if (m_kind == Kind::Server)
        connection.setServer(m_text);
}
