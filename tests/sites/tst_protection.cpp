#include "TestFolder.h"

#include "platform/TextBytes.h"
#include "secrets/RecoveryKey.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"
#include "sites/KeyChange.h"
#include "sites/Protection.h"
#include "sites/SiteStore.h"
#include "store/Columns.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/StoreError.h"

#include <QDirIterator>
#include <QSqlQuery>
#include <QTest>

#include <memory>

namespace {

const QString LoginPassword = QStringLiteral("登录密码abc");
const PasswordCost Cheap = PasswordCost::cheapest();

// Every credential typed with something a search would find in any of its byte forms.
SiteRecord siteWithSecrets(const QString &number)
{
    SiteRecord record;
    record.setText(SiteField::SiteNumber, number);
    record.setText(SiteField::Address, number + QStringLiteral(".example"));
    int i = 0;
    for (const FieldEntry &entry : siteFields())
        if (entry.kind == FieldKind::Credential || entry.kind == FieldKind::DomainUser)
            record.setText(entry.field, QStringLiteral("机密%1-%2-o'b\"x").arg(number).arg(++i));
    return record;
}

QStringList secretsOf(const SiteRecord &record)
{
    QStringList secrets;
    for (const FieldEntry &entry : siteFields())
        if (entry.kind == FieldKind::Credential || entry.kind == FieldKind::DomainUser)
            secrets << record.text(entry.field);
    return secrets;
}

// Each secret as UTF-8, as GB18030, and scrambled (with the site number) under every key byte.
QList<QByteArray> byteFormsOf(const QString &secret, const QString &siteNumber)
{
    QList<QByteArray> forms{secret.toUtf8(), TextBytes::toBytes(secret)};
    for (int key = 1; key <= 126; ++key)
        forms << scrambleWithKey(TextBytes::toBytes(secret + siteNumber), uchar(key)).mid(1);
    return forms;
}

} // namespace

// A protected register keeps its credentials sealed, and gives them back only to a password.
class TestProtection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keepsNoSecretInAnyForm();
    void everySlotOpensItAndNothingElseDoes();
    void aChangedValueIsRefusedAndTheRestStillOpens();
    void switchingOffGivesBackTheScrambledBytes();
    void workingInsideAProtectedRegister();
    void slotsAndPasswordsChangeOnlyTheirSlot();

private:
    std::unique_ptr<Connection> freshConnection() const;
    SiteRecord loadSite(Connection &connection, const QString &number) const;
    QList<QVariantList> credentialRows() const;

    std::unique_ptr<TestFolder> m_world;
    std::unique_ptr<Connection> m_connection;
    QList<SiteRecord> m_sites;
};

std::unique_ptr<Connection> TestProtection::freshConnection() const
{
    auto connection = std::make_unique<Connection>();
    m_world->pointAt(*connection);
    return connection;
}

SiteRecord TestProtection::loadSite(Connection &connection, const QString &number) const
{
    Query query(&connection);
    return SiteStore::load(query, number + QStringLiteral(".example"), QString()).record;
}

QList<QVariantList> TestProtection::credentialRows() const
{
    return m_world->rows(QStringLiteral("select id,") + Columns::scrambledColumns().join(u',') +
                         QStringLiteral(",version from t_webinfo order by id"));
}

void TestProtection::init()
{
    m_world = std::make_unique<TestFolder>();
    m_connection = freshConnection();
    QCOMPARE(writeSecret(SecretStore::loginPassword(), QStringLiteral("旧密码1")), WriteResult::Written);
    QCOMPARE(writeSecret(SecretStore::loginPassword(), LoginPassword), WriteResult::Written);
    m_sites.clear();
    Query query(m_connection.get());
    for (const QString &number :
         {QStringLiteral("000001"), QStringLiteral("000002"), QStringLiteral("000003")}) {
        m_sites << siteWithSecrets(number);
        SiteStore::insert(query, m_sites.last(), QString());
    }
}

void TestProtection::cleanup()
{
    m_connection.reset();
    m_world.reset();
}

void TestProtection::keepsNoSecretInAnyForm()
{
    QVERIFY_THROWS_EXCEPTION(
        Protection::WrongPassword,
        Protection::protect(m_connection.get(), QStringLiteral("甲"), QStringLiteral("旧密码1"), Cheap));
    Protection::protect(m_connection.get(), QStringLiteral("甲"), LoginPassword, Cheap);
    m_connection.reset();

    // The register as stored, and every file of the program folder (key.exe, sk.exe, db.mdb).
    QByteArray everything;
    for (const QList<QVariant> &row : credentialRows())
        for (const QVariant &value : row)
            everything += value.toByteArray();
    QDirIterator files(m_world->folder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        everything += m_world->readFile(QDir(m_world->folder()).relativeFilePath(files.next()));
    for (const SiteRecord &site : std::as_const(m_sites))
        for (const QString &secret : secretsOf(site))
            for (const QByteArray &form : byteFormsOf(secret, site.text(SiteField::SiteNumber)))
                QVERIFY2(!everything.contains(form), qPrintable(secret));
    for (const QString &password : {LoginPassword, QStringLiteral("旧密码1")})
        for (const QByteArray &form : byteFormsOf(password, QString()))
            QVERIFY2(!everything.contains(form), qPrintable(password));
    // Only what the earlier installation supplied stays in key.exe: here nothing.
    QCOMPARE(m_world->readFile(QStringLiteral("key.exe")), QByteArray());
}

void TestProtection::everySlotOpensItAndNothingElseDoes()
{
    Protection::protect(m_connection.get(), QStringLiteral("甲"), LoginPassword, Cheap);
    Protection::addSlot(m_connection.get(), LoginPassword, QStringLiteral("乙"),
                        QStringLiteral("乙的密码123"), Cheap);
    const QString recovery = RecoveryKey::generate();
    Protection::addSlot(m_connection.get(), LoginPassword, QStringLiteral("恢复密钥"), recovery, Cheap);
    const QList<QVariantList> stored = credentialRows();

    const QStringList passwords{LoginPassword, QStringLiteral("乙的密码123"),
                                recovery.toLower().remove(u'-')};
    const QStringList names{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("恢复密钥")};
    for (int i = 0; i < passwords.size(); ++i) {
        const auto desk = freshConnection();
        QVERIFY_THROWS_EXCEPTION(StoreError, loadSite(*desk, QStringLiteral("000002")));
        QCOMPARE(Protection::unlock(desk.get(), passwords.at(i)), names.at(i));
        QCOMPARE(secretsOf(loadSite(*desk, QStringLiteral("000002"))), secretsOf(m_sites.at(1)));
    }
    const auto stranger = freshConnection();
    for (const QString &wrong : {QString(), QStringLiteral("登录密码ab"), QStringLiteral("登录密码abc ")})
        QCOMPARE(Protection::unlock(stranger.get(), wrong), QString());
    QVERIFY_THROWS_EXCEPTION(Protection::WrongPassword,
                             Protection::unprotect(stranger.get(), QStringLiteral("wrong password")));
    QVERIFY_THROWS_EXCEPTION(StoreError, loadSite(*stranger, QStringLiteral("000001")));
    QCOMPARE(credentialRows(), stored);
    QVERIFY(stranger->isProtected());
}

void TestProtection::aChangedValueIsRefusedAndTheRestStillOpens()
{
    Protection::protect(m_connection.get(), QStringLiteral("甲"), LoginPassword, Cheap);
    QByteArray flipped = credentialRows().at(0).at(2).toByteArray(); // web_pass of the first site
    flipped[flipped.size() / 2] = char(flipped.at(flipped.size() / 2) ^ 1);
    Query query(m_connection.get());
    m_world->exec(
        QStringLiteral("update t_webinfo set web_pass=%1 where web_id='000001'")
            .arg(m_world->onServer() ? "'\\x" + flipped.toHex() + "'::bytea" : "X'" + flipped.toHex() + "'"));
    try {
        loadSite(*m_connection, QStringLiteral("000001"));
        QFAIL("a changed value opened");
    } catch (const StoreError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("无法解密")), qPrintable(error.message()));
    }
    // A sealed value moved to another site does not open there either.
    m_world->exec(QStringLiteral("update t_webinfo set web_user=(select web_user from t_webinfo where "
                                 "web_id='000003') where web_id='000002'"));
    QVERIFY_THROWS_EXCEPTION(StoreError, loadSite(*m_connection, QStringLiteral("000002")));
    QCOMPARE(secretsOf(loadSite(*m_connection, QStringLiteral("000003"))), secretsOf(m_sites.at(2)));
    // Nor does switching off write anything: the register stays protected as it was.
    const QList<QVariantList> before = credentialRows();
    QVERIFY_THROWS_EXCEPTION(Protection::Refused, Protection::unprotect(m_connection.get(), LoginPassword));
    QCOMPARE(credentialRows(), before);
    QVERIFY(freshConnection()->isProtected());
}

void TestProtection::switchingOffGivesBackTheScrambledBytes()
{
    const QList<QVariantList> scrambled = credentialRows();
    Protection::protect(m_connection.get(), QStringLiteral("甲"), LoginPassword, Cheap);
    QVERIFY(credentialRows() != scrambled);
    Protection::addSlot(m_connection.get(), LoginPassword, QStringLiteral("乙"),
                        QStringLiteral("乙的密码123"), Cheap);
    Protection::unprotect(m_connection.get(), QStringLiteral("乙的密码123"));

    const QList<QVariantList> restored = credentialRows();
    QCOMPARE(restored.size(), scrambled.size());
    for (int row = 0; row < restored.size(); ++row) {
        QCOMPARE(restored.at(row).mid(0, 9), scrambled.at(row).mid(0, 9));
        QCOMPARE(restored.at(row).at(9).toInt(), scrambled.at(row).at(9).toInt() + 2);
    }
    const auto desk = freshConnection();
    QVERIFY(!desk->isProtected());
    QCOMPARE(secretsOf(loadSite(*desk, QStringLiteral("000001"))), secretsOf(m_sites.at(0)));
    QString password;
    QVERIFY(readSecret(SecretStore::loginPassword(), password));
    QCOMPARE(password, QStringLiteral("乙的密码123"));
    QVERIFY_THROWS_EXCEPTION(Protection::Refused, Protection::unprotect(desk.get(), password));
}

void TestProtection::workingInsideAProtectedRegister()
{
    Protection::protect(m_connection.get(), QStringLiteral("甲"), LoginPassword, Cheap);
    Query query(m_connection.get());
    // Adding and saving seal for the right site; the secret key's check and change work inside the seal.
    const QString key = QStringLiteral("新密钥123456");
    SiteRecord added = siteWithSecrets(QStringLiteral("000004"));
    SiteStore::insert(query, added, QString());
    LoadedSite loaded = SiteStore::load(query, QStringLiteral("000004.example"), QString());
    added.setText(SiteField::DatabasePassword, QStringLiteral("新的数据库密码"));
    QCOMPARE(SiteStore::saveSection(query, SiteSection::Database, loaded.row, added, QString()), 1);
    QCOMPARE(KeyChange::change(m_connection.get(), QString(), key), 4);
    QVERIFY(SiteStore::load(query, QStringLiteral("000004.example"), QStringLiteral("别的密钥abc")).otherKey);
    QCOMPARE(secretsOf(SiteStore::load(query, QStringLiteral("000004.example"), key).record),
             secretsOf(added));

    // Anything that writes a credential unsealed into it is refused by the register itself.
    QSqlQuery direct(m_connection->database());
    QVERIFY(direct.exec(QStringLiteral("update t_webinfo set web_pass=web_pass where web_id='000001'")));
    QVERIFY(!direct.exec(
        m_world->onServer()
            ? QStringLiteral("update t_webinfo set web_pass='\\x4142'::bytea where web_id='000001'")
            : QStringLiteral("update t_webinfo set web_pass=X'4142' where web_id='000001'")));
    // A desk without the password neither reads nor writes credentials.
    const auto stranger = freshConnection();
    Query strangerQuery(stranger.get());
    QVERIFY_THROWS_EXCEPTION(
        StoreError, SiteStore::insert(strangerQuery, siteWithSecrets(QStringLiteral("000005")), QString()));
    QCOMPARE(m_world->scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 4);
}

void TestProtection::slotsAndPasswordsChangeOnlyTheirSlot()
{
    Protection::protect(m_connection.get(), QStringLiteral("甲"), LoginPassword, Cheap);
    Protection::addSlot(m_connection.get(), LoginPassword, QStringLiteral("乙"),
                        QStringLiteral("乙的密码123"), Cheap);
    QVERIFY_THROWS_EXCEPTION(Protection::Refused,
                             Protection::addSlot(m_connection.get(), LoginPassword, QStringLiteral("乙"),
                                                 QStringLiteral("另一个密码1"), Cheap));
    const QList<QVariantList> sites = credentialRows();

    QCOMPARE(Protection::changePassword(m_connection.get(), QStringLiteral("乙的密码123"),
                                        QStringLiteral("乙的新密码456"), Cheap),
             QStringLiteral("乙"));
    QCOMPARE(credentialRows(), sites);
    QCOMPARE(Protection::unlock(freshConnection().get(), QStringLiteral("乙的密码123")), QString());
    QCOMPARE(Protection::unlock(freshConnection().get(), QStringLiteral("乙的新密码456")),
             QStringLiteral("乙"));
    QCOMPARE(Protection::unlock(freshConnection().get(), LoginPassword), QStringLiteral("甲"));

    Protection::removeSlot(m_connection.get(), QStringLiteral("乙的新密码456"), QStringLiteral("甲"));
    QCOMPARE(Protection::slotNames(m_connection.get()), QStringList{QStringLiteral("乙")});
    QVERIFY_THROWS_EXCEPTION(
        Protection::Refused,
        Protection::removeSlot(m_connection.get(), QStringLiteral("乙的新密码456"), QStringLiteral("乙")));
    QCOMPARE(Protection::unlock(freshConnection().get(), LoginPassword), QString());
    QCOMPARE(credentialRows(), sites);
}

QTEST_GUILESS_MAIN(TestProtection)
#include "tst_protection.moc"
