#include "LegacyInstallation.h"
#include "TestFolder.h"

#include "legacy/JetConversionError.h"
#include "legacy/JetImport.h"
#include "legacy/JetReader.h"
#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"
#include "store/Connection.h"
#include "store/DateText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QtEndian>

#include <linux/capability.h>
#include <memory>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QStringList entries(const TestFolder &folder)
{
    return QDir(folder.folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

int mode(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

QString openRegister(const TestFolder &folder, Connection &connection)
{
    connection.setConnectionString(Connection::connectionStringFor(folder.folder()));
    connection.setPreparation(&JetImport::prepareRegister);
    connection.open();
    return connection.takeConversionNotice();
}

QList<QVariantList> siteRows(Connection &connection)
{
    QSqlQuery query(connection.database());
    query.exec(QStringLiteral("select * from t_webinfo order by id"));
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        rows << row;
    }
    return rows;
}

// Root writes into any folder; without its override of the write bits it is held to the
// folder's mode like any user, while it still reaches every folder on the way, so the test
// runs wherever the checkout and the temporary folders lie (a home folder of mode 0700 too).
class WithoutWriteOverride
{
public:
    WithoutWriteOverride() : m_dropped(::geteuid() == 0 && setWriteOverride(false)) {}
    ~WithoutWriteOverride()
    {
        if (m_dropped)
            setWriteOverride(true);
    }

private:
    static bool setWriteOverride(bool on)
    {
        __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
        if (::syscall(SYS_capget, &header, data) != 0)
            return false;
        __u32 &effective = data[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective;
        effective =
            on ? effective | CAP_TO_MASK(CAP_DAC_OVERRIDE) : effective & ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
        return ::syscall(SYS_capset, &header, data) == 0;
    }

    bool m_dropped;
};

} // namespace

class TestJetImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { JetReader::setProgram(QStringLiteral(CORVANE_JET_READER)); }

    void convertsOnceAndKeepsTheOriginal();
    void rowsMatchTheOldRegister();
    void newSitesContinueAfterTheHighestId();
    void deletedRowsStayDeleted();
    void movedRowsAreFollowed();
    void longRemarksComeWhole_data();
    void longRemarksComeWhole();
    void oldCarriersReadBack();
    void neverOverwritesAnEarlierCopy();
    void convertsTheRegisterALinkNames();
    void refusesDamagedFiles_data();
    void refusesDamagedFiles();
    void refusesValuesThatDoNotFit_data();
    void refusesValuesThatDoNotFit();
    void refusesReadOnlyFolder();

private:
    void expectRefused(const TestFolder &folder, const QString &fragment);
};

void TestJetImport::convertsOnceAndKeepsTheOriginal()
{
    const QByteArray original = legacyFile(QStringLiteral("db.mdb"));
    auto folder = legacyFolder(original);
    {
        Connection connection;
        const QString notice = openRegister(*folder, connection);
        QVERIFY2(notice.contains(QDir::toNativeSeparators(folder->file(QStringLiteral("db.jet.mdb")))),
                 qPrintable(notice));
        QCOMPARE(connection.takeConversionNotice(), QString());
    }
    QCOMPARE(folder->readFile(QStringLiteral("db.jet.mdb")), original);
    QVERIFY(folder->readFile(QStringLiteral("db.mdb")).startsWith("SQLite format 3"));
    QCOMPARE(entries(*folder), (QStringList{"db.jet.mdb", "db.mdb", "key.exe", "sk.exe"}));
    QCOMPARE(mode(folder->file(QStringLiteral("db.mdb"))), 0600);
    QCOMPARE(mode(folder->file(QStringLiteral("db.jet.mdb"))), 0600);

    // The next start finds a register and leaves everything as it is.
    const QByteArray converted = folder->readFile(QStringLiteral("db.mdb"));
    Connection again;
    QCOMPARE(openRegister(*folder, again), QString());
    again.close();
    QCOMPARE(entries(*folder), (QStringList{"db.jet.mdb", "db.mdb", "key.exe", "sk.exe"}));
    QCOMPARE(folder->readFile(QStringLiteral("db.mdb")), converted);
}

void TestJetImport::rowsMatchTheOldRegister()
{
    auto folder = legacyFolder();
    Connection connection;
    QVERIFY(!openRegister(*folder, connection).isEmpty());
    QSqlQuery query(connection.database());
    QVERIFY(query.exec(QStringLiteral("select * from t_webinfo order by id")));
    const QList<Site> sites = legacySites();
    const QStringList dateColumns{"web_time", "web_endtime", "web_domaintime", "web_enddomaintime"};
    for (int i = 0; i < sites.size(); ++i) {
        const Site &site = sites[i];
        QVERIFY(query.next());
        QCOMPARE(query.value("id").toInt(), i + 1);
        QCOMPARE(query.value("version").toInt(), 1);
        QCOMPARE(query.value("web_id").toString(), site.webId);
        QCOMPARE(query.value("web_name").toString(), site.name);
        QCOMPARE(query.value("web_address").toString(), site.address);
        QCOMPARE(query.value("web_remark").toString(), site.remark);
        for (int d = 0; d < dateColumns.size(); ++d) {
            const QVariant stored = query.value(dateColumns[d]);
            QCOMPARE(stored.isNull(), site.dates[d].isEmpty());
            QCOMPARE(DateText::fromStored(stored.toString()), site.dates[d]);
        }
        for (auto it = site.secrets.cbegin(); it != site.secrets.cend(); ++it) {
            const QVariant stored = query.value(it.key());
            QCOMPARE(stored.typeId(), QMetaType::QByteArray);
            const QString key = it.key() == QLatin1String("web_domainuser") ? site.key : QString();
            QCOMPARE(unscrambleText(stored.toByteArray()), TextBytes::toBytes(it.value() + site.webId + key));
        }
    }
    QVERIFY(!query.next());
    QVERIFY(query.exec(QStringLiteral(
        "select web_login, web_dbsize, web_dbtype, typeof(web_login) from t_webinfo where id = 1")));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), QStringLiteral("http://www.example.com.cn/admin"));
    QCOMPARE(query.value(1).toString(), QStringLiteral("100M"));
    QCOMPARE(query.value(2).toString(), QStringLiteral("MySQL"));
    QCOMPARE(query.value(3).toString(), QStringLiteral("text"));
    QVERIFY(query.exec(QStringLiteral("select web_alarm, domain_alarm from t_set")));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 7);
    QCOMPARE(query.value(1).toInt(), 30);
    QVERIFY(!query.next());
}

void TestJetImport::newSitesContinueAfterTheHighestId()
{
    auto folder = legacyFolder();
    Connection connection;
    openRegister(*folder, connection);
    connection.close();
    QCOMPARE(
        folder->scalar(QStringLiteral("select seq from sqlite_sequence where name = 't_webinfo'")).toInt(),
        4);
    QCOMPARE(folder->addPlainSite(QStringLiteral("20240101000000"), QStringLiteral("新站"),
                                  QStringLiteral("new.example")),
             5);
}

void TestJetImport::deletedRowsStayDeleted()
{
    auto folder = legacyFolder(withThirdRowDeleted(true));
    Connection connection;
    QVERIFY(!openRegister(*folder, connection).isEmpty());
    QSqlQuery query(connection.database());
    QVERIFY(query.exec(QStringLiteral("select id, web_id from t_webinfo order by id")));
    QStringList sites;
    while (query.next())
        sites << query.value(0).toString() + QLatin1Char(':') + query.value(1).toString();
    QCOMPARE(sites, (QStringList{"1:20110307090502", "2:20110308101010", "4:20120101000000"}));
}

void TestJetImport::movedRowsAreFollowed()
{
    auto plain = legacyFolder();
    Connection plainConnection;
    openRegister(*plain, plainConnection);
    auto moved = legacyFolder(withThirdRowMoved());
    Connection movedConnection;
    QVERIFY(!openRegister(*moved, movedConnection).isEmpty());
    const QList<QVariantList> rows = siteRows(movedConnection);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows, siteRows(plainConnection));
}

void TestJetImport::longRemarksComeWhole_data()
{
    QTest::addColumn<bool>("chained");
    QTest::newRow("on one long-value page") << false;
    QTest::newRow("over a chain of pieces") << true;
}

void TestJetImport::longRemarksComeWhole()
{
    QFETCH(bool, chained);
    const QString remark = QStringLiteral("续费记录：每年三月。\r\n").repeated(60);
    auto folder = legacyFolder(withFirstRemarkOutOfRow(remark, chained));
    Connection connection;
    QVERIFY(!openRegister(*folder, connection).isEmpty());
    QSqlQuery query(connection.database());
    QVERIFY(query.exec(QStringLiteral("select web_remark from t_webinfo where id = 1")) && query.next());
    QCOMPARE(query.value(0).toString(), remark);
}

void TestJetImport::oldCarriersReadBack()
{
    auto folder = legacyFolder();
    QString password;
    QVERIFY(readSecret(SecretStore::loginPassword(), password));
    QCOMPARE(password, QStringLiteral("newpass1"));
    QString key;
    QVERIFY(readSecret(SecretStore::secretKey(), key));
    QCOMPARE(key, QStringLiteral("mykey123"));
    QCOMPARE(folder->readFile(QStringLiteral("key.exe")), legacyFile(QStringLiteral("key.exe")));
    QCOMPARE(folder->readFile(QStringLiteral("sk.exe")), legacyFile(QStringLiteral("sk.exe")));
}

void TestJetImport::neverOverwritesAnEarlierCopy()
{
    auto folder = legacyFolder();
    folder->writeFile(QStringLiteral("db.jet.mdb"), "kept by the user");
    Connection connection;
    const QString notice = openRegister(*folder, connection);
    QVERIFY2(notice.contains(QDir::toNativeSeparators(folder->file(QStringLiteral("db.jet.1.mdb")))),
             qPrintable(notice));
    QCOMPARE(folder->readFile(QStringLiteral("db.jet.mdb")), QByteArray("kept by the user"));
    QCOMPARE(folder->readFile(QStringLiteral("db.jet.1.mdb")), legacyFile(QStringLiteral("db.mdb")));
}

void TestJetImport::convertsTheRegisterALinkNames()
{
    auto folder = legacyFolder();
    QVERIFY(QDir(folder->folder()).mkdir(QStringLiteral("store")));
    const QString target = folder->file(QStringLiteral("store/db.mdb"));
    QVERIFY(QFile::rename(folder->databasePath(), target) && QFile::link(target, folder->databasePath()));
    Connection connection;
    QVERIFY(!openRegister(*folder, connection).isEmpty());
    connection.close();
    QVERIFY(QFileInfo(folder->databasePath()).isSymLink());
    QVERIFY(folder->readFile(QStringLiteral("store/db.mdb")).startsWith("SQLite format 3"));
    QCOMPARE(folder->readFile(QStringLiteral("store/db.jet.mdb")), legacyFile(QStringLiteral("db.mdb")));
    QCOMPARE(entries(*folder), (QStringList{"db.mdb", "key.exe", "sk.exe"}));
}

void TestJetImport::expectRefused(const TestFolder &folder, const QString &fragment)
{
    const QStringList before = entries(folder);
    const QByteArray original = folder.readFile(QStringLiteral("db.mdb"));
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(folder.folder()));
    connection.setPreparation(&JetImport::prepareRegister);
    QString message;
    try {
        connection.open();
    } catch (const StoreError &error) {
        message = error.message();
    }
    QVERIFY2(message.startsWith(QStringLiteral("旧版数据库转换失败：")) && message.contains(fragment),
             qPrintable(message));
    QVERIFY(!message.contains(QLatin1Char('\n')) && !message.contains(QLatin1Char('\r')));
    QVERIFY(!connection.isOpen());
    QCOMPARE(connection.takeConversionNotice(), QString());
    QCOMPARE(folder.readFile(QStringLiteral("db.mdb")), original);
    QCOMPARE(entries(folder), before);
}

void TestJetImport::refusesDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("db");
    const QByteArray original = legacyFile(QStringLiteral("db.mdb"));
    QRandomGenerator random(7);
    QByteArray garbage(original.size(), '\0');
    random.fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
    QTest::newRow("header alone") << original.left(0x15);
    QTest::newRow("cut after the first page") << original.left(4096);
    QTest::newRow("cut in the middle") << original.left(original.size() / 2);
    QTest::newRow("cut one byte short") << original.left(original.size() - 1);
    QTest::newRow("header, then garbage") << original.left(0x15) + garbage.mid(0x15);
    QTest::newRow("first page, then garbage") << original.left(4096) + garbage.mid(4096);
    QTest::newRow("catalog page garbled")
        << original.left(2 * 4096) + garbage.mid(2 * 4096, 4096) + original.mid(3 * 4096);
    // These sixteen bytes in the catalog's table definition make libmdb 1.0 (and
    // mdb-export) die of a segmentation fault; only the reader process may go down.
    QByteArray crashing = original;
    const QList<QPair<int, quint8>> patch{{0x2006, 40},  {0x200d, 149}, {0x2011, 100}, {0x2037, 210},
                                          {0x2040, 122}, {0x208b, 104}, {0x208f, 174}, {0x2094, 93},
                                          {0x2095, 199}, {0x20a6, 214}, {0x20b4, 65},  {0x20b6, 151},
                                          {0x20ba, 83},  {0x20bf, 86},  {0x20c0, 34},  {0x20c2, 182}};
    for (const auto &[at, value] : patch)
        crashing[at] = char(value);
    QTest::newRow("catalog that crashes libmdb") << crashing;
}

void TestJetImport::refusesDamagedFiles()
{
    QFETCH(QByteArray, db);
    auto folder = legacyFolder(db);
    expectRefused(*folder, QString());
}

void TestJetImport::refusesValuesThatDoNotFit_data()
{
    QTest::addColumn<QByteArray>("db");
    QTest::addColumn<QString>("fragment");
    const QByteArray original = legacyFile(QStringLiteral("db.mdb"));
    // A flagged row the table's count still includes: the walk and the file disagree.
    QTest::newRow("row count disagrees")
        << withThirdRowDeleted(false) << QStringLiteral("表 t_webinfo：读到 3 行，文件记载 4 行");
    QTest::newRow("remark cut short")
        << withFirstRemarkOutOfRow(QStringLiteral("备注").repeated(100), true, 2)
        << QStringLiteral("表 t_webinfo 第 1 行，列 web_remark：备注内容无法完整读取");
    QTest::newRow("table missing") << replaced(original, utf16(QStringLiteral("t_set")),
                                               utf16(QStringLiteral("t_sex")))
                                   << QStringLiteral("缺少表 t_set");
    QTest::newRow("duplicate site number")
        << replaced(original, utf16(QStringLiteral("20120101000000无日期")),
                    utf16(QStringLiteral("20110308101010无日期")))
        << QStringLiteral("（id=4），列 web_id：与前面的记录重复");
}

void TestJetImport::refusesValuesThatDoNotFit()
{
    QFETCH(QByteArray, db);
    QFETCH(QString, fragment);
    auto folder = legacyFolder(db);
    expectRefused(*folder, fragment);
}

void TestJetImport::refusesReadOnlyFolder()
{
    auto folder = legacyFolder();
    const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFile::Permissions enterable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QFile::setPermissions(folder->databasePath(), readable | QFile::WriteOwner);
    QFile::setPermissions(folder->folder(), readable | enterable);
    {
        WithoutWriteOverride heldToModes;
        QFile probe(folder->file(QStringLiteral("probe")));
        QVERIFY2(!probe.open(QIODevice::WriteOnly), "the folder still takes new files");
        expectRefused(*folder, QStringLiteral("请检查该文件夹是否可写"));
    }
    QFile::setPermissions(folder->folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_GUILESS_MAIN(TestJetImport)
#include "tst_jetimport.moc"
