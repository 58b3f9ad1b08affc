#include "ProgramCopy.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

CommandRun copyRegister(const QString &target, const QString &registerPath)
{
    return runCommand(QStringLiteral(CORVANE_EXE), {QStringLiteral("--copy-register-to"), target,
                                                    QStringLiteral("--register"), registerPath});
}

// The register an earlier Windows installation left, in a folder of its own.
QString legacyRegister(const QTemporaryDir &folder)
{
    const QString path = folder.filePath(QStringLiteral("db.mdb"));
    if (!QFile::copy(QStringLiteral(CORVANE_LEGACY_DATA "/db.mdb"), path))
        qFatal("cannot copy the legacy register");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

// Every row of a query, each as one line of its values ("NULL" for NULL).
QStringList linesOf(QSqlQuery query)
{
    QStringList lines;
    while (query.next()) {
        QStringList values;
        for (int column = 0; column < query.record().count(); ++column)
            values << (query.isNull(column) ? QStringLiteral("NULL") : query.value(column).toString());
        lines << values.join(QLatin1Char('|'));
    }
    return lines;
}

// The register's columns as each engine writes them out as text: scrambled bytes in hex, dates
// as YYYY-MM-DD, so the comparison does not go through the program's own readers.
QString sitesAsText(bool onServer)
{
    const QStringList scrambled = {"web_user",   "web_pass", "web_domainuser", "web_domainpass",
                                   "web_dbname", "web_dbip", "web_dbuser",     "web_dbpass"};
    const QStringList dates = {"web_time", "web_endtime", "web_domaintime", "web_enddomaintime"};
    QStringList columns = {"id",         "web_id",     "web_name",   "web_address", "web_login",
                           "web_ip",     "web_size",   "web_domain", "web_linkman", "web_dbsize",
                           "web_dbtype", "web_remark", "version"};
    for (const QString &column : scrambled)
        columns << (onServer ? QStringLiteral("upper(encode(%1, 'hex'))") : QStringLiteral("hex(%1)"))
                       .arg(column);
    for (const QString &column : dates)
        columns << (onServer ? QStringLiteral("to_char(%1, 'YYYY-MM-DD')").arg(column) : column);
    return QStringLiteral("select ") + columns.join(QStringLiteral(", ")) +
           QStringLiteral(" from t_webinfo order by id");
}

QStringList fileLines(const QString &path, const QString &sql)
{
    QStringList lines;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("file"));
        db.setDatabaseName(path);
        if (db.open())
            lines = linesOf(QSqlQuery(sql, db));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("file"));
    return lines;
}

// Tables, views and sequences outside PostgreSQL's own schemas: none in a database as empty as
// the tests make it.
QStringList relationsIn(const TestDatabase &db)
{
    return linesOf(db.run(QStringLiteral("select relname from pg_class c join pg_namespace n on n.oid = "
                                         "c.relnamespace where n.nspname not like 'pg\\_%' and n.nspname <> "
                                         "'information_schema' and c.relkind in ('r', 'v', 'S', 'm', 'p') "
                                         "order by 1")));
}

} // namespace

// `corvane --copy-register-to` through the real executable, into databases on the test server.
class TestCopyCommand : public QObject
{
    Q_OBJECT

private slots:
    void legacyRegisterArrivesByteForByte();
    void failureHalfWayLeavesTheDatabaseEmpty_data();
    void failureHalfWayLeavesTheDatabaseEmpty();
    void refusals_data();
    void refusals();
    void protectedRegisterOpensOnTheServer();
};

void TestCopyCommand::legacyRegisterArrivesByteForByte()
{
    QTemporaryDir folder;
    const QString path = legacyRegister(folder);
    TestDatabase db;
    // A URI, as libpq reads it: the socket folder as the host parameter.
    const QString options = TestDatabase::serverOptions();
    const QString host = options.section(QStringLiteral("host="), 1).section(QLatin1Char(' '), 0, 0);
    const QString uri = QStringLiteral("postgresql://corvane@/%1?host=%2&port=5432").arg(db.name(), host);

    const CommandRun run = copyRegister(uri, path);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.status, 0);
    QVERIFY2(QString::fromUtf8(run.out).contains(QStringLiteral("已将 4 个网站和设置复制到服务器数据库")),
             run.out.constData());
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("db.jet.mdb"))));

    const QStringList copied = linesOf(db.run(sitesAsText(true)));
    QCOMPARE(copied.size(), 4);
    QCOMPARE(copied, fileLines(path, sitesAsText(false)));
    QCOMPARE(linesOf(db.run(QStringLiteral("select web_alarm, domain_alarm from t_set"))),
             QStringList{QStringLiteral("7|30")});
    // The next site gets an id past every one the file gave.
    const QStringList last = fileLines(
        path, QStringLiteral("select max(coalesce((select max(seq) from sqlite_sequence where name = "
                             "'t_webinfo'), 0), (select max(id) from t_webinfo))"));
    QCOMPARE(
        db.scalar(QStringLiteral("insert into t_webinfo (web_id) values ('new') returning id")).toLongLong(),
        last.value(0).toLongLong() + 1);

    // A second copy finds a register there and changes nothing.
    const QStringList before = linesOf(db.run(sitesAsText(true)));
    const CommandRun again = copyRegister(db.conninfo(), path);
    QCOMPARE(again.status, 2);
    QVERIFY2(again.err.contains(QStringLiteral("目标数据库不是空数据库")), qPrintable(again.err));
    QCOMPARE(linesOf(db.run(sitesAsText(true))), before);
}

// The server takes the tables, then refuses one site, or stores one differently from the file:
// an event trigger arms the new table as soon as the copy creates it.
void TestCopyCommand::failureHalfWayLeavesTheDatabaseEmpty_data()
{
    QTest::addColumn<QString>("armTable");
    QTest::addColumn<QString>("reason");
    QTest::newRow("row refused")
        << QStringLiteral("alter table t_webinfo add constraint no_short check (web_id <> ''123456'')")
        << QStringLiteral("t_webinfo 中 id 为 3 的一行无法写入");
    QTest::newRow("row changed")
        << QStringLiteral(
               "create trigger change before insert on t_webinfo for each row execute function change_user()")
        << QStringLiteral("核对不符：t_webinfo 中 id 为 2 的一行的 web_user 列");
}

void TestCopyCommand::failureHalfWayLeavesTheDatabaseEmpty()
{
    QFETCH(QString, armTable);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    TestDatabase db;
    db.run(QStringLiteral("create function change_user() returns trigger language plpgsql as $$ begin "
                          "if new.id = 2 then new.web_user := new.web_user || '\\x00'::bytea; end if; "
                          "return new; end $$"));
    db.run(QStringLiteral("create function arm() returns event_trigger language plpgsql as $$ begin "
                          "if exists (select 1 from pg_event_trigger_ddl_commands() where object_identity = "
                          "'public.t_webinfo') then execute '%1'; end if; end $$")
               .arg(armTable));
    db.run(QStringLiteral("create event trigger arm on ddl_command_end when tag in ('CREATE TABLE') "
                          "execute function arm()"));

    const CommandRun run = copyRegister(db.conninfo(), legacyRegister(folder));
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("复制未完成，服务器数据库未作改动：")), qPrintable(run.err));
    QVERIFY2(run.err.contains(reason), qPrintable(run.err));
    QCOMPARE(relationsIn(db), QStringList());
}

void TestCopyCommand::refusals_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("reason");
    QTest::newRow("server unreachable") << "host=/nonexistent-corvane port=5432 dbname=corvane"
                                        << "legacy"
                                        << "无法连接服务器数据库：";
    QTest::newRow("not a connection string") << "postgresql://[bad"
                                             << "legacy"
                                             << "数据库连接串有误：";
    QTest::newRow("source missing") << "test database"
                                    << "missing.mdb"
                                    << "数据库文件不存在：";
    QTest::newRow("source no register") << "test database"
                                        << "notes.txt"
                                        << "不是 Corvane 的数据库文件：";
    QTest::newRow("foreign tables") << "test database with notes"
                                    << "legacy"
                                    << "目标数据库不是空数据库，其中有：notes";
}

void TestCopyCommand::refusals()
{
    QFETCH(QString, target);
    QFETCH(QString, source);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QString path = folder.filePath(source);
    if (source == QStringLiteral("legacy"))
        path = legacyRegister(folder);
    QFile notes(folder.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("not a register\n") > 0);
    notes.close();
    TestDatabase db;
    if (target.endsWith(QStringLiteral("with notes")))
        db.run(QStringLiteral("create table notes (line text); insert into notes values ('kept')"));

    const CommandRun run =
        copyRegister(target.startsWith(QStringLiteral("test database")) ? db.conninfo() : target, path);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(reason), qPrintable(run.err));
    QVERIFY(!QString::fromUtf8(run.out).contains(QStringLiteral("已将")));
    const QStringList left =
        target.endsWith(QStringLiteral("with notes")) ? QStringList{QStringLiteral("notes")} : QStringList();
    QCOMPARE(relationsIn(db), left);
}

// The sealed credentials arrive with their slots and open on the server: switched off there and in
// the file alike, both give the same scrambled bytes.
void TestCopyCommand::protectedRegisterOpensOnTheServer()
{
    QTemporaryDir folder;
    const QString path = legacyRegister(folder);
    for (const QString &carrier : {QStringLiteral("key.exe"), QStringLiteral("sk.exe")})
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_LEGACY_DATA "/") + carrier, folder.filePath(carrier)));
    const QStringList inFolder{QStringLiteral("--register-folder"), folder.path()};
    const QByteArray password("newpass1\n");
    QCOMPARE(
        runCommand(QStringLiteral(CORVANE_EXE), QStringList{QStringLiteral("--protect")} + inFolder, password)
            .status,
        0);
    TestDatabase db;
    QCOMPARE(copyRegister(db.conninfo(), path).status, 0);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from t_keyslot")).toInt(), 1);

    for (const QString &where : {db.conninfo(), path}) {
        const CommandRun off = runCommand(
            QStringLiteral(CORVANE_EXE),
            QStringList{QStringLiteral("--unprotect"), QStringLiteral("--register"), where} + inFolder,
            password);
        QVERIFY2(off.status == 0, qPrintable(off.err));
    }
    const QStringList server = linesOf(db.run(sitesAsText(true)));
    QCOMPARE(server.size(), 4);
    QCOMPARE(server, fileLines(path, sitesAsText(false)));
}

QTEST_GUILESS_MAIN(TestCopyCommand)
#include "tst_copycommand.moc"
