#include "ProgramCopy.h"
#include "SiteBuilder.h"
#include "TestFolder.h"
#include "store/RegisterAddress.h"
#include "store/RememberedRegister.h"

#include <QCryptographicHash>
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

using Run = CommandRun;

Run runDue(const QString &executable, const QStringList &arguments)
{
    return runCommand(executable, QStringList{QStringLiteral("--due")} + arguments);
}

QString day(int fromToday)
{
    return QDate::currentDate().addDays(fromToday).toString(Qt::ISODate);
}

QByteArray digestOf(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

// An SQLite connection of the test's own that holds a lock on the register, as a writing
// program does.
class Writer
{
public:
    Writer(const QString &path, const QString &begin)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        m_held = db.open() && QSqlQuery(db).exec(begin) &&
                 QSqlQuery(db).exec(QStringLiteral("update t_webinfo set web_name='changing'"));
    }
    ~Writer()
    {
        QSqlQuery(QSqlDatabase::database(m_name)).exec(QStringLiteral("rollback"));
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool held() const { return m_held; }

private:
    QString m_name = QStringLiteral("writer");
    bool m_held = false;
};

} // namespace

// `corvane --due` through the real executable, on a register with sites overdue, due today,
// tomorrow and beyond the lead time (3 days for both kinds).
class TestDueCommand : public QObject
{
    Q_OBJECT

private:
    TestFolder *world = nullptr;
    QStringList onWorld(const QStringList &arguments) const
    {
        return arguments + QStringList{QStringLiteral("--register"), world->databasePath()};
    }
    Run due(const QStringList &arguments) const
    {
        return runDue(QStringLiteral(CORVANE_EXE), onWorld(arguments));
    }

private slots:
    void init()
    {
        world = new TestFolder;
        SiteBuilder("000003").name("过期").address("old.example").hostingExpires(day(-30)).addTo(*world);
        SiteBuilder("000001")
            .name("今天")
            .address("today.example")
            .hostingExpires(day(0))
            .domainExpires(day(1))
            .addTo(*world);
        SiteBuilder("000002")
            .name("Tea")
            .address("tea.example")
            .domainExpires(day(0))
            .hostingExpires(day(4))
            .addTo(*world);
        SiteBuilder("000004")
            .name("later")
            .address("later.example")
            .hostingExpires(day(4))
            .domainExpires(day(40))
            .addTo(*world);
        SiteBuilder("000005").name("no dates").addTo(*world);
    }
    void cleanup()
    {
        delete world;
        world = nullptr;
    }

    void textListsWhatIsDueByDateAndExitsWithOne()
    {
        const Run run = due({});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QString());
        const QString expected = QStringLiteral("到期日期    项目  网站编号  网站名称  网站地址\n"
                                                "%1  空间  000003    过期      old.example\n"
                                                "%2  空间  000001    今天      today.example\n"
                                                "%2  域名  000002    Tea       tea.example\n"
                                                "%3  域名  000001    今天      today.example\n")
                                     .arg(day(-30), day(0), day(1));
        QCOMPARE(QString::fromUtf8(run.out), expected);
        // The same register through --format text, and a longer window that takes in day 4.
        QCOMPARE(due({"--format", "text"}).out, run.out);
        QCOMPARE(QString::fromUtf8(due({"--days", "4"}).out).count(QLatin1Char('\n')), 1 + 6);
    }

    void csvQuotesAndJsonCarriesTheSameEntries()
    {
        world->exec("update t_webinfo set web_name='Tea, \"green\"' where web_id='000002'");
        const Run csv = due({"--format", "csv", "--days", "0"});
        QCOMPARE(csv.status, 1);
        QCOMPARE(csv.out, QStringLiteral("number,name,address,kind,date\r\n"
                                         "000003,过期,old.example,hosting,%1\r\n"
                                         "000001,今天,today.example,hosting,%2\r\n"
                                         "000002,\"Tea, \"\"green\"\"\",tea.example,domain,%2\r\n")
                              .arg(day(-30), day(0))
                              .toUtf8());

        const Run json = due({"--format", "json", "--days", "0"});
        QCOMPARE(json.status, 1);
        const QJsonArray entries = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.at(2).toObject(), (QJsonObject{{"number", "000002"},
                                                        {"name", "Tea, \"green\""},
                                                        {"address", "tea.example"},
                                                        {"kind", "domain"},
                                                        {"date", day(0)}}));
        QCOMPARE(entries.at(0).toObject().value("date").toString(), day(-30));
    }

    void nothingDueExitsWithZero()
    {
        world->exec("update t_webinfo set web_endtime=null, web_enddomaintime=null where web_id<>'000004'");
        for (const char *format : {"text", "csv", "json", "ics"}) {
            const Run run = due({"--format", format});
            QCOMPARE(run.status, 0);
            QCOMPARE(run.err, QString());
        }
        const QJsonDocument none = QJsonDocument::fromJson(due({"--format", "json"}).out);
        QVERIFY(none.isArray() && none.array().isEmpty());
        QCOMPARE(due({"--format", "csv"}).out, QByteArray("number,name,address,kind,date\r\n"));
        // Day 4 is beyond the register's lead time but within a window of four days.
        QCOMPARE(due({"--days", "4"}).status, 1);
    }

    void refusalsExitWithTwoAndSayWhy_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown option") << QStringList{"--dues"} << "未知选项：--dues";
        QTest::newRow("days not a number") << QStringList{"--days", "x"} << "--days";
        QTest::newRow("negative days") << QStringList{"--days", "-1"} << "--days";
        QTest::newRow("unknown format") << QStringList{"--format", "xml"} << "--format";
        QTest::newRow("missing value") << QStringList{"--format"} << "选项有误";
        QTest::newRow("stray argument") << QStringList{"now"} << "多余的参数：now";
    }
    void refusalsExitWithTwoAndSayWhy()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const Run run = runDue(QStringLiteral(CORVANE_EXE), arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(reason), qPrintable(run.err));
        QCOMPARE(run.out, QByteArray());
    }

    void unreadableRegistersExitWithTwo()
    {
        const QStringList missing{"--register", world->file("none.mdb")};
        Run run = runDue(QStringLiteral(CORVANE_EXE), missing);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains("数据库文件不存在"), qPrintable(run.err));
        QVERIFY(!QFile::exists(world->file("none.mdb")));

        // An earlier installation's register is left for the program to convert.
        const QByteArray jetBefore = digestOf(QStringLiteral(CORVANE_JET_REGISTER));
        run = runDue(QStringLiteral(CORVANE_EXE), {"--register", QStringLiteral(CORVANE_JET_REGISTER)});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains("Jet"), qPrintable(run.err));
        QCOMPARE(digestOf(QStringLiteral(CORVANE_JET_REGISTER)), jetBefore);

        world->writeFile("text.mdb", "not a register");
        run = runDue(QStringLiteral(CORVANE_EXE), {"--register", world->file("text.mdb")});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains("不是 Corvane 的数据库文件"), qPrintable(run.err));
    }

    // A listing never upgrades a register of an earlier installation; the program does that.
    void earlierRegisterIsListedAndLeftAsItWas()
    {
        world->makeEarlierRegister();
        const QByteArray before = digestOf(world->databasePath());
        const Run run = due({});
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.contains("today.example"));
        QCOMPARE(digestOf(world->databasePath()), before);
    }

    void readsBesideAWriterAndFailsOnAnExclusiveLock()
    {
        const QByteArray before = digestOf(world->databasePath());
        {
            // A writer's open transaction leaves the committed register readable.
            Writer writer(world->databasePath(), "begin immediate");
            QVERIFY(writer.held());
            const Run run = due({});
            QCOMPARE(run.status, 1);
            QVERIFY(run.out.contains("今天"));
        }
        {
            Writer writer(world->databasePath(), "begin exclusive");
            QVERIFY(writer.held());
            const Run run = due({});
            QCOMPARE(run.status, 2);
            QVERIFY2(run.err.contains("读取数据库出错") && run.err.contains("locked"), qPrintable(run.err));
        }
        QCOMPARE(digestOf(world->databasePath()), before);
    }

    void defaultRegisterIsReadWhileTheProgramRuns()
    {
        ProgramCopy program(false);
        QVERIFY(program.ready());
        const QString registerPath = program.file("db.mdb");
        QFile::remove(registerPath);
        QVERIFY(QFile::copy(world->databasePath(), registerPath));
        QProcess running;
        QVERIFY(program.startRunning(running));
        const QByteArray before = digestOf(registerPath);

        QProcess process;
        program.start(process, {"--due", "--format", "csv"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardOutput().count('\n'), 1 + 4);
        QCOMPARE(digestOf(registerPath), before);
        QVERIFY(!QFile::exists(registerPath + "-journal"));
        QCOMPARE(running.state(), QProcess::Running);
        QVERIFY(program.lockHeldBy(running.processId()));
        killAndWait(running);
    }

    // Without --register the list reads the register the windows would open, the one remembered
    // for the folder; --register reads another without changing what is remembered.
    void readsTheRememberedRegisterAndRemembersNothing()
    {
        ProgramCopy program(false); // its own db.mdb, without sites
        QVERIFY(program.ready());
        const QString folder = QFileInfo(program.executable()).absolutePath();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, program.configFolder());
        QVERIFY(RememberedRegister::remember(folder, RegisterAddress::file(world->databasePath())));

        QProcess process;
        program.start(process, {"--due", "--format", "csv"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardOutput().count('\n'), 1 + 4);
        program.start(process, {"--due", "--register", program.file("db.mdb")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(RememberedRegister::recall(folder).path(), world->databasePath());
    }
};

QTEST_GUILESS_MAIN(TestDueCommand)
#include "tst_duecommand.moc"
