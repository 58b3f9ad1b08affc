// What protection costs the user: the login (one Argon2id derivation per slot tried), switching
// protection on and off over a register of 10,000 sites, and opening one site. Prints figures.
#include "BenchKit.h"
#include "SiteBuilder.h"
#include "TestFolder.h"

#include "secrets/KeySlot.h"
#include "secrets/TrailerStore.h"
#include "sites/Protection.h"
#include "sites/SiteStore.h"
#include "store/Connection.h"
#include "store/Query.h"

#include <QCoreApplication>
#include <QTextStream>

#include <memory>

namespace {

const QString Password = QStringLiteral("登录密码abc");
const int Sites = 10000;

// Every credential of every site filled with scrambled-looking bytes (key byte 1..126 in front).
void fillCredentials(const TestFolder &world)
{
    QStringList sets;
    for (const char *column : {"web_user", "web_pass", "web_domainuser", "web_domainpass", "web_dbname",
                               "web_dbip", "web_dbuser", "web_dbpass"})
        sets << QStringLiteral("%1=cast(X'21'||randomblob(24) as blob)").arg(QLatin1String(column));
    world.exec(QStringLiteral("update t_webinfo set ") + sets.join(u','));
}

void print(const QString &what, double figure, const QString &unit)
{
    QTextStream(stdout) << QStringLiteral("%1  %2 %3\n").arg(what, -58).arg(figure, 9, 'f', 1).arg(unit);
}

double loginMilliseconds(const TestFolder &world, const QString &password)
{
    return Bench::median([&] {
        Connection connection;
        world.pointAt(connection);
        connection.open();
        return Bench::milliseconds([&] { Protection::unlock(&connection, password); });
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestFolder world;
    SiteBuilder::addMany(world, Sites);
    fillCredentials(world);
    writeSecret(SecretStore::loginPassword(), Password);
    Connection connection;
    world.pointAt(connection);
    const PasswordCost cost = PasswordCost::moderate();
    print(QStringLiteral("Argon2id moderate: operations"), double(cost.operations), QString());
    print(QStringLiteral("Argon2id moderate: memory"), double(cost.memoryBytes) / (1 << 20),
          QStringLiteral("MiB"));

    print(QStringLiteral("switch on, 10,000 sites (one slot wrapped)"),
          Bench::milliseconds([&] { Protection::protect(&connection, QStringLiteral("甲"), Password); }),
          QStringLiteral("ms"));
    print(QStringLiteral("login, one slot (median)"), loginMilliseconds(world, Password),
          QStringLiteral("ms"));
    Protection::addSlot(&connection, Password, QStringLiteral("乙"), QStringLiteral("乙的密码123"));
    Protection::addSlot(&connection, Password, QStringLiteral("丙"), QStringLiteral("丙的密码123"));
    print(QStringLiteral("wrong password, three slots tried (median)"),
          loginMilliseconds(world, QStringLiteral("错误的密码")), QStringLiteral("ms"));
    print(QStringLiteral("change password (unwrap + wrap)"), Bench::milliseconds([&] {
              Protection::changePassword(&connection, Password, QStringLiteral("新密码456"));
          }),
          QStringLiteral("ms"));
    Query query(&connection);
    print(QStringLiteral("open one protected site (median)"), Bench::median([&] {
              return Bench::milliseconds(
                  [&] { SiteStore::load(query, QStringLiteral("s500.example"), QString()); });
          }),
          QStringLiteral("ms"));
    print(QStringLiteral("switch off, 10,000 sites"),
          Bench::milliseconds([&] { Protection::unprotect(&connection, QStringLiteral("新密码456")); }),
          QStringLiteral("ms"));
    print(QStringLiteral("open one unprotected site (median)"), Bench::median([&] {
              return Bench::milliseconds(
                  [&] { SiteStore::load(query, QStringLiteral("s500.example"), QString()); });
          }),
          QStringLiteral("ms"));
    print(QStringLiteral("resident memory at the end"), double(Bench::residentKiB()) / 1024,
          QStringLiteral("MiB"));
    return 0;
}
