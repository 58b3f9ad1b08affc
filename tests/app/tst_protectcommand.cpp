#include "ProgramCopy.h"
#include "SiteBuilder.h"
#include "TestFolder.h"

#include "secrets/TrailerStore.h"
#include "sites/Protection.h"
#include "store/Connection.h"

#include <QTest>

namespace {

const QString LoginPassword = QStringLiteral("旧密码 abc");

QString loginPassword()
{
    QString password;
    readSecret(SecretStore::loginPassword(), password);
    return password;
}

} // namespace

// The protection commands through the real executable, on the register and key.exe of the folder
// the windows would use, with every password on standard input.
class TestProtectCommand : public QObject
{
    Q_OBJECT

private:
    TestFolder *world = nullptr;

    CommandRun corvane(const QStringList &arguments, const QByteArray &input) const
    {
        return runCommand(QStringLiteral(CORVANE_EXE),
                          arguments + QStringList{QStringLiteral("--register-folder"), world->folder()},
                          input);
    }
    QList<QVariantList> credentials() const
    {
        return world->rows(
            QStringLiteral("select web_user,web_pass,web_domainpass from t_webinfo order by id"));
    }
    // The key slots; none while the register is unprotected, which has no table for them.
    int slotCount() const
    {
        if (world->scalar(QStringLiteral("select count(*) from sqlite_master where name='t_keyslot'"))
                .toInt() == 0)
            return 0;
        return world->scalar(QStringLiteral("select count(*) from t_keyslot")).toInt();
    }

private slots:
    void init()
    {
        world = new TestFolder;
        SiteBuilder("000001").credential(QStringLiteral("web_user"), QStringLiteral("管理员")).addTo(*world);
        SiteBuilder("000002")
            .credential(QStringLiteral("web_pass"), QStringLiteral("p@ss 2"))
            .credential(QStringLiteral("web_domainpass"), QStringLiteral("域名密码"))
            .addTo(*world);
        QCOMPARE(writeSecret(SecretStore::loginPassword(), LoginPassword), WriteResult::Written);
    }
    void cleanup()
    {
        delete world;
        world = nullptr;
    }

    void switchesOnAndOffWithTheLoginPassword();
    void addsASlotAndChangesItsPassword();
    void changesTheLoginPasswordOfAnUnprotectedRegister();
};

void TestProtectCommand::switchesOnAndOffWithTheLoginPassword()
{
    const QList<QVariantList> scrambled = credentials();
    const QStringList protect{QStringLiteral("--protect"), QStringLiteral("--slot"), QStringLiteral("老板")};
    CommandRun run = corvane(protect, QByteArray());
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("标准输入中缺少登录密码")), qPrintable(run.err));
    run = corvane(protect, "旧密码\n");
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err, QStringLiteral("corvane: 密码出错\n"));
    QCOMPARE(slotCount(), 0);
    QCOMPARE(credentials(), scrambled);

    run = corvane(protect, LoginPassword.toUtf8() + "\n");
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromUtf8(run.out), QStringLiteral("数据库已启用保护模式，密码名称：老板\n"));
    QCOMPARE(slotCount(), 1);
    QVERIFY(credentials() != scrambled);
    QCOMPARE(loginPassword(), QString());
    run = corvane(protect, LoginPassword.toUtf8() + "\n");
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, QStringLiteral("corvane: 数据库已启用保护模式\n"));

    const QStringList unprotect{QStringLiteral("--unprotect")};
    const QList<QVariantList> sealed = credentials();
    run = corvane(unprotect, "旧密码\n");
    QCOMPARE(run.status, 1);
    QCOMPARE(credentials(), sealed);
    // A line ended as on Windows still gives the password.
    run = corvane(unprotect, LoginPassword.toUtf8() + "\r\n");
    QCOMPARE(run.status, 0);
    QCOMPARE(slotCount(), 0);
    QCOMPARE(credentials(), scrambled);
    QCOMPARE(loginPassword(), LoginPassword);
}

void TestProtectCommand::addsASlotAndChangesItsPassword()
{
    {
        Connection connection;
        world->pointAt(connection);
        Protection::protect(&connection, QStringLiteral("甲"), LoginPassword, PasswordCost::cheapest());
    }
    const QStringList addSlot{QStringLiteral("--add-slot"), QStringLiteral("乙")};
    CommandRun run = corvane(addSlot, LoginPassword.toUtf8() + "\n");
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("标准输入中缺少新密码")), qPrintable(run.err));
    run = corvane(addSlot, LoginPassword.toUtf8() + "\n乙12\n");
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, QStringLiteral("corvane: 密码位数小于6位\n"));
    QCOMPARE(slotCount(), 1);
    run = corvane(addSlot, LoginPassword.toUtf8() + "\n乙的密码 123\n");
    QCOMPARE(run.status, 0);
    QCOMPARE(slotCount(), 2);

    run = corvane({QStringLiteral("--change-password")}, "乙的密码 123\n乙的新密码 456\n");
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromUtf8(run.out), QStringLiteral("密码修改成功：乙\n"));
    run = corvane({QStringLiteral("--unprotect")}, "乙的密码 123\n");
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err, QStringLiteral("corvane: 密码出错\n"));
    run = corvane({QStringLiteral("--unprotect")}, "乙的新密码 456\n");
    QCOMPARE(run.status, 0);
    QCOMPARE(loginPassword(), QStringLiteral("乙的新密码 456"));
}

void TestProtectCommand::changesTheLoginPasswordOfAnUnprotectedRegister()
{
    const QStringList change{QStringLiteral("--change-password")};
    CommandRun run = corvane(change, "旧密码\n新密码 xyz\n");
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err, QStringLiteral("corvane: 原始密码输入有错\n"));
    run = corvane(change, LoginPassword.toUtf8() + "\n12345\n");
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, QStringLiteral("corvane: 密码位数小于6位\n"));
    QCOMPARE(loginPassword(), LoginPassword);
    // Blanks around a password are part of it.
    run = corvane(change, LoginPassword.toUtf8() + "\n 新密码 xyz \n");
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromUtf8(run.out), QStringLiteral("登录密码修改成功！\n"));
    QCOMPARE(loginPassword(), QStringLiteral(" 新密码 xyz "));
    QCOMPARE(slotCount(), 0);
}

QTEST_GUILESS_MAIN(TestProtectCommand)
#include "tst_protectcommand.moc"
