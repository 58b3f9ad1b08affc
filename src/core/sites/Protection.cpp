#include "sites/Protection.h"

#include "platform/TextBytes.h"
#include "secrets/CredentialSeal.h"
#include "secrets/RecoveryKey.h"
#include "secrets/TrailerStore.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/DirectSql.h"
#include "store/KeySlotTable.h"
#include "store/StoreError.h"

#include <QList>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace {

using DirectSql::run;

const int MinimumPasswordBytes = 6;

struct Opened
{
    std::shared_ptr<DataKey> key;
    KeySlot slot;
};

// A recovery key opens its slot however it was typed.
QStringList formsOf(const QString &password)
{
    QStringList forms{password};
    const QString recovery = RecoveryKey::normalized(password);
    if (!recovery.isEmpty() && recovery != password)
        forms << recovery;
    return forms;
}

std::optional<Opened> openSlot(const QSqlDatabase &db, const QString &password, const QString &firstTried)
{
    QList<KeySlot> keySlots = KeySlotTable::read(db);
    std::stable_partition(keySlots.begin(), keySlots.end(),
                          [&](const KeySlot &slot) { return slot.name == firstTried; });
    for (const KeySlot &slot : keySlots)
        for (const QString &form : formsOf(password))
            if (std::shared_ptr<DataKey> key = slot.unwrap(form))
                return Opened{key, slot};
    return std::nullopt;
}

Opened requireSlot(Connection *connection, const QString &password)
{
    std::optional<Opened> opened = openSlot(connection->database(), password, QString());
    if (!opened)
        throw Protection::WrongPassword();
    return *opened;
}

void requireProtected(Connection *connection, bool protectedWanted)
{
    if (connection->isProtected() != protectedWanted)
        throw Protection::Refused(protectedWanted ? QStringLiteral("数据库未启用保护模式")
                                                  : QStringLiteral("数据库已启用保护模式"));
}

void requireLength(const QString &password)
{
    if (TextBytes::byteLength(password) < MinimumPasswordBytes)
        throw Protection::Refused(QStringLiteral("密码位数小于6位"));
}

// On a server, a desk still at work would go on writing credentials the old way: the switch waits
// until every other desk has left the program.
void requireAlone(Connection *connection)
{
    if (!connection->isServer())
        return;
    QSqlQuery others =
        run(connection->database(), QStringLiteral("select count(*) from pg_stat_activity where datname = "
                                                   "current_database() and pid <> pg_backend_pid() and "
                                                   "application_name = current_setting('application_name')"));
    if (others.next() && others.value(0).toInt() > 0)
        throw Protection::Refused(
            QStringLiteral("另有 %1 处正在使用此数据库，请其他人先退出程序再切换保护模式")
                .arg(others.value(0).toInt()));
}

using Transform = std::function<QByteArray(qint64 id, const QString &column, const QByteArray &value)>;

QString credentialList()
{
    return Columns::scrambledColumns().join(QLatin1Char(','));
}

QString credentialUpdate()
{
    QStringList sets;
    for (const QString &column : Columns::scrambledColumns())
        sets << column + QStringLiteral("=:") + column;
    return QStringLiteral("update t_webinfo set ") + sets.join(QLatin1Char(',')) +
           QStringLiteral(",version=version+1 where id=:id");
}

// Every site's credentials rewritten, each site's version moved on so no window loaded before
// writes the old form back.
void rewriteCredentials(const QSqlDatabase &db, const Transform &transform)
{
    QSqlQuery rows =
        run(db, QStringLiteral("select id,") + credentialList() + QStringLiteral(" from t_webinfo"));
    const QStringList columns = Columns::scrambledColumns();
    QList<QList<QVariant>> rewritten;
    while (rows.next()) {
        QList<QVariant> values{rows.value(0)};
        for (int i = 0; i < columns.size(); ++i)
            values << (rows.value(i + 1).isNull()
                           ? QVariant(QMetaType(QMetaType::QByteArray))
                           : QVariant(transform(rows.value(0).toLongLong(), columns.at(i),
                                                rows.value(i + 1).toByteArray())));
        rewritten << values;
    }
    if (rows.lastError().isValid())
        throw StoreError(rows.lastError().text());
    // A server hands the rows over one by one: the update waits until the last is read.
    rows.finish();
    QSqlQuery update(db);
    if (!update.prepare(credentialUpdate()))
        throw StoreError(update.lastError().text());
    for (const QList<QVariant> &values : std::as_const(rewritten)) {
        update.bindValue(QStringLiteral(":id"), values.at(0));
        for (int i = 0; i < columns.size(); ++i)
            update.bindValue(QLatin1Char(':') + columns.at(i), values.at(i + 1));
        if (!update.exec())
            throw StoreError(update.lastError().text());
    }
}

void inOneTransaction(Connection *connection, const std::function<void(const QSqlDatabase &)> &work)
{
    QSqlDatabase db = connection->database();
    if (!db.transaction())
        throw StoreError(db.lastError().text());
    auto rollBack = qScopeGuard([&db] { db.rollback(); });
    work(db);
    if (!db.commit())
        throw StoreError(db.lastError().text());
    rollBack.dismiss();
}

QString loginPassword()
{
    QString password;
    readSecret(SecretStore::loginPassword(), password);
    return password;
}

} // namespace

namespace Protection {

QString defaultSlotName()
{
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QStringLiteral("登录密码") : user;
}

QStringList slotNames(Connection *connection)
{
    QStringList names;
    for (const KeySlot &slot : KeySlotTable::read(connection->database()))
        names << slot.name;
    return names;
}

QString unlock(Connection *connection, const QString &password, const QString &firstTried)
{
    const std::optional<Opened> opened = openSlot(connection->database(), password, firstTried);
    if (!opened)
        return QString();
    connection->setSeal(std::make_shared<CredentialSeal>(opened->key));
    return opened->slot.name;
}

void protect(Connection *connection, const QString &slotName, const QString &loginPassword,
             const PasswordCost &cost)
{
    requireProtected(connection, false);
    if (loginPassword != ::loginPassword())
        throw WrongPassword();
    if (TextBytes::byteLength(loginPassword) < MinimumPasswordBytes)
        throw Refused(QStringLiteral("登录密码位数小于6位，请先修改登录密码再启用保护模式"));
    requireAlone(connection);
    const std::shared_ptr<DataKey> key = DataKey::random();
    const KeySlot slot = KeySlot::wrap(*key, slotName.trimmed(), loginPassword, cost);
    const auto seal = std::make_shared<CredentialSeal>(key);
    inOneTransaction(connection, [&](const QSqlDatabase &db) {
        KeySlotTable::create(db);
        KeySlotTable::insert(db, slot);
        rewriteCredentials(db, [&](qint64 id, const QString &column, const QByteArray &value) {
            return seal->seal(id, column, value);
        });
    });
    connection->setProtected(true);
    connection->setSeal(seal);
    try {
        removeSecrets(SecretStore::loginPassword());
    } catch (const std::exception &) {
        throw Refused(QStringLiteral("保护模式已启用，但未能清除 key.exe 中的登录密码，请检查该文件"));
    }
}

void unprotect(Connection *connection, const QString &password)
{
    requireProtected(connection, true);
    const Opened opened = requireSlot(connection, password);
    requireAlone(connection);
    if (writeSecret(SecretStore::loginPassword(), password) != WriteResult::Written)
        throw Refused(QStringLiteral("登录密码无法写入 key.exe，保护模式未关闭"));
    const CredentialSeal seal(opened.key);
    inOneTransaction(connection, [&](const QSqlDatabase &db) {
        KeySlotTable::drop(db);
        rewriteCredentials(db, [&](qint64 id, const QString &column, const QByteArray &value) {
            try {
                return seal.open(id, column, value);
            } catch (const CredentialSeal::Broken &) {
                throw Refused(
                    QStringLiteral("id 为 %1 的网站的 %2 无法解密：数据已被改动或损坏，保护模式未关闭")
                        .arg(id)
                        .arg(column));
            }
        });
    });
    connection->setProtected(false);
    connection->setSeal(nullptr);
}

void addSlot(Connection *connection, const QString &password, const QString &name, const QString &newPassword,
             const PasswordCost &cost)
{
    requireProtected(connection, true);
    const Opened opened = requireSlot(connection, password);
    if (name.trimmed().isEmpty())
        throw Refused(QStringLiteral("请输入名称"));
    if (slotNames(connection).contains(name.trimmed()))
        throw Refused(QStringLiteral("已有同名的密码：") + name.trimmed());
    requireLength(newPassword);
    KeySlotTable::insert(connection->database(),
                         KeySlot::wrap(*opened.key, name.trimmed(), newPassword, cost));
}

void removeSlot(Connection *connection, const QString &password, const QString &name)
{
    requireProtected(connection, true);
    requireSlot(connection, password);
    inOneTransaction(connection, [&](const QSqlDatabase &db) {
        if (KeySlotTable::read(db).size() <= 1)
            throw Refused(QStringLiteral("不能删除最后一个密码"));
        if (!KeySlotTable::remove(db, name))
            throw Refused(QStringLiteral("没有这个名称的密码：") + name);
    });
}

QString changePassword(Connection *connection, const QString &currentPassword, const QString &newPassword,
                       const PasswordCost &cost)
{
    requireProtected(connection, true);
    const Opened opened = requireSlot(connection, currentPassword);
    requireLength(newPassword);
    if (!KeySlotTable::replace(connection->database(),
                               KeySlot::wrap(*opened.key, opened.slot.name, newPassword, cost)))
        throw Refused(QStringLiteral("没有这个名称的密码：") + opened.slot.name);
    return opened.slot.name;
}

} // namespace Protection
