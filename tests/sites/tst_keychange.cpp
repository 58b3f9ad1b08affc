#include "ReadOnlyPath.h"
#include "SiteBuilder.h"
#include "TestFolder.h"

#include "platform/TextBytes.h"
#include "platform/WorkFolder.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"
#include "sites/KeyChange.h"
#include "sites/SiteCredentials.h"
#include "store/Connection.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

#include <memory>

using KeyChange::Refusal;

namespace {

// Keeps the next commit on the register from going through: on SQLite another program reading
// it keeps the commit from taking its lock; a server refuses it by a check deferred to the commit.
class CommitRefusal
{
public:
    explicit CommitRefusal(const TestFolder &world)
    {
        if (world.onServer()) {
            world.exec(QStringLiteral("create function refuse() returns trigger language plpgsql as $$ "
                                      "begin raise exception 'refused'; end $$"));
            world.exec(
                QStringLiteral("create constraint trigger refuse after update on t_webinfo "
                               "deferrable initially deferred for each row execute function refuse()"));
            return;
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_reader);
        db.setDatabaseName(world.databasePath());
        m_hold = std::make_unique<QSqlQuery>(db);
        if (!db.open() || !m_hold->exec(QStringLiteral("BEGIN")) ||
            !m_hold->exec(QStringLiteral("select count(*) from t_webinfo")) || !m_hold->next())
            qFatal("cannot hold the register");
        m_hold->finish();
    }
    ~CommitRefusal()
    {
        if (!m_hold)
            return;
        m_hold->exec(QStringLiteral("ROLLBACK"));
        m_hold.reset();
        QSqlDatabase::database(m_reader, false).close();
        QSqlDatabase::removeDatabase(m_reader);
    }
    CommitRefusal(const CommitRefusal &) = delete;
    CommitRefusal &operator=(const CommitRefusal &) = delete;

private:
    QString m_reader = QUuid::createUuid().toString();
    std::unique_ptr<QSqlQuery> m_hold;
};

} // namespace

// Replacing the secret key keeps the records written under the current key open.
class TestKeyChange : public QObject
{
    Q_OBJECT

private:
    // A site as the add window stores it: domain user + site number + secret key, scrambled.
    static void addKeyedSite(const TestFolder &world, const QString &webId, const QString &user,
                             const QString &key)
    {
        SiteBuilder(webId).credential(QStringLiteral("web_domainuser"), user, key).addTo(world);
    }
    static QByteArray storedDomainUser(const TestFolder &world, const QString &webId)
    {
        return world
            .scalar(QStringLiteral("select web_domainuser from t_webinfo where web_id='") + webId +
                    QStringLiteral("'"))
            .toByteArray();
    }
    // What the site window shows for the domain user under key, or nothing when it refuses the record.
    static std::optional<QString> openedUser(const TestFolder &world, const QString &webId,
                                             const QString &key)
    {
        QString user;
        if (!SiteCredentials::readDomainUser(storedDomainUser(world, webId), webId, key, user))
            return std::nullopt;
        return user;
    }
    static QString registerSnapshot(const TestFolder &world)
    {
        QStringList sites;
        for (const QVariantList &row :
             world.rows(QStringLiteral("select web_id, web_domainuser from t_webinfo order by id")))
            sites << row.value(0).toString() + QLatin1Char(':') +
                         QString::fromLatin1(row.value(1).toByteArray().toHex());
        return sites.join(QLatin1Char(','));
    }
    static std::unique_ptr<Connection> connect(const TestFolder &world)
    {
        auto connection = std::make_unique<Connection>();
        world.pointAt(*connection);
        return connection;
    }
    static QString currentKey()
    {
        QString key;
        return readSecret(SecretStore::secretKey(), key) ? key : QStringLiteral("<none>");
    }

private slots:
    void checksComeInOrder_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("newKey");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<Refusal>("refusal");
        const auto row = [](const char *name, const char *current, const char *typed, const char *newKey,
                            const char *confirmation, Refusal refusal) {
            QTest::newRow(name) << QString::fromUtf8(current) << QString::fromUtf8(typed)
                                << QString::fromUtf8(newKey) << QString::fromUtf8(confirmation) << refusal;
        };
        row("wrong current key before a short one", "abcdef", "abcdeg", "abc", "xyz",
            Refusal::WrongCurrentKey);
        row("current key differs in case", "Abcdef", "abcdef", "123456", "123456", Refusal::WrongCurrentKey);
        row("five ASCII before a mismatch", "", "", "12345", "54321", Refusal::TooShort);
        row("two Chinese characters", "", "", "密钥", "密钥", Refusal::TooShort);
        row("confirmation differs in case only", "", "", "Secret", "secret", Refusal::Mismatch);
        row("three Chinese characters", "", "", "新密钥", "新密钥", Refusal::None);
        row("six ASCII under a current key", "旧的密钥", "旧的密钥", "abcdef", "abcdef", Refusal::None);
        row("empty current key, nothing typed", "", "", "abcdef", "abcdef", Refusal::None);
    }
    void checksComeInOrder()
    {
        QFETCH(QString, current);
        QFETCH(QString, typed);
        QFETCH(QString, newKey);
        QFETCH(QString, confirmation);
        QFETCH(Refusal, refusal);
        QCOMPARE(KeyChange::check(current, typed, newKey, confirmation), refusal);
    }

    void recordsUnderTheOldKeyOpenAfterARestart()
    {
        TestFolder world;
        QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("旧密钥abc")), WriteResult::Written);
        addKeyedSite(world, QStringLiteral("000001"), QStringLiteral("alice"), QStringLiteral("旧密钥abc"));
        addKeyedSite(world, QStringLiteral("000002"), QString(), QStringLiteral("旧密钥abc"));
        addKeyedSite(world, QStringLiteral("000003"), QStringLiteral("carol"), QStringLiteral("thirdkey"));
        // A key that merely ends like the current one is another key.
        addKeyedSite(world, QStringLiteral("000004"), QStringLiteral("dave"), QStringLiteral("x旧密钥abc"));
        SiteBuilder(QStringLiteral("000005")).addTo(world);
        const qint64 carrierBefore = QFileInfo(world.file(QStringLiteral("sk.exe"))).size();

        const QString newKey = QStringLiteral("New密钥");
        int rekeyed = 0;
        {
            auto connection = connect(world);
            rekeyed = KeyChange::change(connection.get(), QStringLiteral("旧密钥abc"), newKey);
        }
        QCOMPARE(rekeyed, 2);
        QVERIFY(QFileInfo(world.file(QStringLiteral("sk.exe"))).size() > carrierBefore);
        QVERIFY(!QFileInfo::exists(WorkFolder::file(QStringLiteral("sks.txt"))));

        // The next start reads the new key, and the records open under it.
        QCOMPARE(currentKey(), newKey);
        QCOMPARE(openedUser(world, QStringLiteral("000001"), newKey),
                 std::optional<QString>(QStringLiteral("alice")));
        QCOMPARE(openedUser(world, QStringLiteral("000002"), newKey), std::optional<QString>(QString()));
        QCOMPARE(openedUser(world, QStringLiteral("000003"), newKey), std::nullopt);
        QCOMPARE(openedUser(world, QStringLiteral("000003"), QStringLiteral("thirdkey")),
                 std::optional<QString>(QStringLiteral("carol")));
        QCOMPARE(openedUser(world, QStringLiteral("000004"), newKey), std::nullopt);
        QVERIFY(world.scalar(QStringLiteral("select web_domainuser from t_webinfo where web_id='000005'"))
                    .isNull());
    }

    void firstKeyTakesOverRecordsWithoutOne()
    {
        TestFolder world;
        addKeyedSite(world, QStringLiteral("000001"), QStringLiteral("alice"), QString());
        addKeyedSite(world, QStringLiteral("000002"), QStringLiteral("bob"), QStringLiteral("thirdkey"));
        auto connection = connect(world);
        QCOMPARE(KeyChange::change(connection.get(), QString(), QStringLiteral("abcdef")), 1);
        QCOMPARE(openedUser(world, QStringLiteral("000001"), QStringLiteral("abcdef")),
                 std::optional<QString>(QStringLiteral("alice")));
        QCOMPARE(openedUser(world, QStringLiteral("000002"), QStringLiteral("abcdef")), std::nullopt);
    }

    void refusedAppendChangesNothing_data()
    {
        QTest::addColumn<bool>("missing"); // else read-only
        QTest::newRow("sk.exe missing") << true;
        QTest::newRow("sk.exe read-only") << false;
    }
    void refusedAppendChangesNothing()
    {
        QFETCH(bool, missing);
        TestFolder world;
        QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("oldkey")), WriteResult::Written);
        addKeyedSite(world, QStringLiteral("000001"), QStringLiteral("alice"), QStringLiteral("oldkey"));
        const QString register_ = registerSnapshot(world);
        const QByteArray carrier = world.readFile(QStringLiteral("sk.exe"));
        std::unique_ptr<ReadOnlyPath> readOnly;
        if (missing) {
            QVERIFY(QFile::remove(world.file(QStringLiteral("sk.exe"))));
        } else {
            readOnly = std::make_unique<ReadOnlyPath>(world.file(QStringLiteral("sk.exe")));
            if (!readOnly->active())
                QSKIP("sk.exe cannot be made read-only here");
        }
        auto connection = connect(world);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 KeyChange::change(connection.get(), QStringLiteral("oldkey"), "newkey"));
        QCOMPARE(registerSnapshot(world), register_);
        QCOMPARE(QFileInfo::exists(world.file(QStringLiteral("sk.exe"))), !missing);
        if (!missing)
            QCOMPARE(world.readFile(QStringLiteral("sk.exe")), carrier);
        QVERIFY(!QFileInfo::exists(WorkFolder::file(QStringLiteral("sks.txt"))));
        // The program still runs on the old key, and the record still opens under it.
        QCOMPARE(openedUser(world, QStringLiteral("000001"), QStringLiteral("oldkey")),
                 std::optional<QString>(QStringLiteral("alice")));
    }

    void failedCommitCutsTheCarrierBack()
    {
        TestFolder world;
        QCOMPARE(writeSecret(SecretStore::secretKey(), QStringLiteral("oldkey")), WriteResult::Written);
        addKeyedSite(world, QStringLiteral("000001"), QStringLiteral("alice"), QStringLiteral("oldkey"));
        const QString register_ = registerSnapshot(world);
        const QByteArray carrier = world.readFile(QStringLiteral("sk.exe"));
        {
            const CommitRefusal refusal(world);
            auto connection = connect(world);
            QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                     KeyChange::change(connection.get(), QStringLiteral("oldkey"), "newkey"));
            QCOMPARE(world.readFile(QStringLiteral("sk.exe")), carrier);
        }
        QCOMPARE(registerSnapshot(world), register_);
        QCOMPARE(currentKey(), QStringLiteral("oldkey"));
    }
};

QTEST_GUILESS_MAIN(TestKeyChange)
#include "tst_keychange.moc"
