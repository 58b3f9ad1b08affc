#include "DialogRecorder.h"
#include "LegacyInstallation.h"
#include "TestWorld.h"
#include "WindowControls.h"
#include "gui/LoginWindow.h"
#include "gui/MainWindow.h"
#include "gui/SiteWindow.h"
#include "legacy/JetReader.h"
#include "platform/Maker.h"
#include "platform/TextBytes.h"
#include "sites/Session.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedPointer>
#include <QTest>

#include <limits>

// An earlier installation's three files, and the program started on them as a user
// would: log in, the main window opens the register (converting it), records open.
class TestJetWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { JetReader::setProgram(QStringLiteral(CORVANE_JET_READER)); }
    void init();
    void cleanup();

    void logInWithTheOldPasswordOpensTheConvertedRegister();
    void siteAddedUnderTheKeyOpensInDetail();
    void sitesAddedBeforeTheKeyAreRefused_data();
    void sitesAddedBeforeTheKeyAreRefused();
    void exportOfTheConvertedListMatchesTheRows();
    void damagedRegisterStopsTheStart();
    void everyValueComesOverOrIsNamedOnce();

private:
    void install(const QByteArray &db);
    void logIn(const QString &password);

    QScopedPointer<TestWorld> m_world;
    QScopedPointer<DialogRecorder> m_dialogs;
};

namespace {

QString field(const char *name)
{
    return control<QLineEdit>(siteWindow(), name)->text();
}

// The three pickers of each date, in the order bought, expires, registered, expires.
QStringList shownDates()
{
    QStringList dates;
    for (const char *date : {"hostingBought", "hostingExpires", "domainRegistered", "domainExpires"}) {
        QStringList parts;
        for (const char *part : {"YearBox", "MonthBox", "DayBox"})
            parts << control<QComboBox>(siteWindow(), qPrintable(QLatin1String(date) + QLatin1String(part)))
                         ->currentText();
        dates << parts.join(u'-');
    }
    return dates;
}

} // namespace

void TestJetWindows::init()
{
    m_world.reset(new TestWorld(true));
    m_dialogs.reset(new DialogRecorder);
}

void TestJetWindows::cleanup()
{
    m_dialogs.reset();
    m_world.reset();
}

void TestJetWindows::install(const QByteArray &db)
{
    m_world->writeFile(QStringLiteral("db.mdb"), db);
    m_world->writeFile(QStringLiteral("key.exe"), legacyFile(QStringLiteral("key.exe")));
    m_world->writeFile(QStringLiteral("sk.exe"), legacyFile(QStringLiteral("sk.exe")));
}

void TestJetWindows::logIn(const QString &password)
{
    loginWindow()->show();
    control<QLineEdit>(loginWindow(), "passwordEdit")->setText(password);
    QTest::mouseClick(control<QPushButton>(loginWindow(), "loginButton"), Qt::LeftButton);
}

void TestJetWindows::logInWithTheOldPasswordOpensTheConvertedRegister()
{
    install(legacyFile(QStringLiteral("db.mdb")));
    logIn(QStringLiteral("newpass1"));
    QVERIFY(mainWindow()->isVisible());
    QVERIFY2(!m_dialogs->texts().join(QString()).contains(QStringLiteral("失败")),
             qPrintable(m_dialogs->texts().join(u'|')));
    QCOMPARE(m_dialogs->terminateRequests(), 0);
    QCOMPARE(session().secretKey(), QStringLiteral("mykey123"));
    QCOMPARE(m_world->readFile(QStringLiteral("db.jet.mdb")), legacyFile(QStringLiteral("db.mdb")));
    QCOMPARE(m_world->scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 4);
    // The user is told once that the register was converted and where the original is kept.
    QCOMPARE(m_dialogs->count(), 1);
    QCOMPARE(m_dialogs->lastMessage().icon, Dialogs::Icon::Exclamation);
    QVERIFY(m_dialogs->lastMessage().text.contains(m_world->file(QStringLiteral("db.jet.mdb"))));
}

void TestJetWindows::siteAddedUnderTheKeyOpensInDetail()
{
    install(legacyFile(QStringLiteral("db.mdb")));
    logIn(QStringLiteral("newpass1"));
    m_dialogs->clear();
    siteWindow()->openRecord(QStringLiteral("www.qiye.cn"), SiteWindow::Mode::Detail);
    QCOMPARE(m_dialogs->count(), 0);
    QVERIFY(siteWindow()->isVisible());
    QCOMPARE(field("siteNumberEdit"), QStringLiteral("20110308101010"));
    QCOMPARE(field("siteNameEdit"), QStringLiteral("企业官网"));
    QCOMPARE(field("adminUserEdit"), QStringLiteral("管理员"));
    QCOMPARE(field("adminPasswordEdit"), QStringLiteral("密码123"));
    QCOMPARE(field("domainUserEdit"), QStringLiteral("域名用户"));
    QCOMPARE(field("domainPasswordEdit"), QStringLiteral("域名密码"));
    QCOMPARE(shownDates(), (QStringList{"2010-3-7", "2011-3-7", "2009-12-31", "2012-12-31"}));
    QVERIFY(control<QPlainTextEdit>(siteWindow(), "remarkEdit")->toPlainText().isEmpty());
}

void TestJetWindows::sitesAddedBeforeTheKeyAreRefused_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("row 1") << QStringLiteral("www.example.com.cn");
    QTest::newRow("row 3") << QStringLiteral("shop.example.net");
    QTest::newRow("row 4") << QStringLiteral("www.nodate.cn");
}

void TestJetWindows::sitesAddedBeforeTheKeyAreRefused()
{
    QFETCH(QString, address);
    install(legacyFile(QStringLiteral("db.mdb")));
    logIn(QStringLiteral("newpass1"));
    m_dialogs->clear();
    siteWindow()->openRecord(address, SiteWindow::Mode::Detail);
    QCOMPARE(m_dialogs->count(), 1);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("读取详细数据失败"));
    QVERIFY(field("adminUserEdit").isEmpty() && field("domainUserEdit").isEmpty());
}

void TestJetWindows::exportOfTheConvertedListMatchesTheRows()
{
    install(legacyFile(QStringLiteral("db.mdb")));
    logIn(QStringLiteral("newpass1"));
    QTest::mouseClick(control<QPushButton>(mainWindow(), "refreshButton"), Qt::LeftButton);
    m_dialogs->clear();
    m_dialogs->scriptSave(m_world->file(QStringLiteral("list")), 5);
    QTest::mouseClick(control<QPushButton>(mainWindow(), "exportButton"), Qt::LeftButton);
    QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("数据导出成功")});
    QStringList lines = TextBytes::fromBytes(m_world->readFile(QStringLiteral("list.txt"))).split(u'\n');
    for (QString &line : lines)
        line.remove(u'\r');
    lines.removeAll(QString());
    QCOMPARE(lines.size(), 5);
    // The main list: number, name, address, admin address and the four dates.
    QCOMPARE(lines.mid(1),
             (QStringList{"20110307090502\t测试网站\twww.example.com.cn\thttp://www.example.com.cn/"
                          "admin\t2010-1-1\t2011-1-1\t2010-1-1\t2011-1-1",
                          "20110308101010\t企业官网\twww.qiye.cn\thttp://www.qiye.cn/"
                          "manage\t2010-3-7\t2011-3-7\t2009-12-31\t2012-12-31",
                          "123456\t短编号\tshop.example.net\t\t1999-12-31\t2030-6-15\t2005-2-28\t2031-2-28",
                          "20120101000000\t无日期\twww.nodate.cn\t\t\t2013-1-1\t2012-1-1\t"}));
}

void TestJetWindows::damagedRegisterStopsTheStart()
{
    const QByteArray damaged = legacyFile(QStringLiteral("db.mdb")).left(64 * 1024 + 100);
    install(damaged);
    const QStringList before = QDir(m_world->folder()).entryList(QDir::Files);
    logIn(QStringLiteral("newpass1"));
    QVERIFY(m_dialogs->count() >= 1);
    QVERIFY2(
        m_dialogs->lastMessage().text.startsWith(QStringLiteral("数据库接连失败，请查看数据库文件是否存在")),
        qPrintable(m_dialogs->lastMessage().text));
    // One line says what stopped the conversion, before the contact block.
    QVERIFY(m_dialogs->lastMessage().text.contains(QStringLiteral("\r旧版数据库转换失败：")));
    QVERIFY(m_dialogs->lastMessage().text.endsWith(Maker::contactBlock()));
    QCOMPARE(m_dialogs->terminateRequests(), 1);
    QCOMPARE(m_world->readFile(QStringLiteral("db.mdb")), damaged);
    QCOMPARE(QDir(m_world->folder()).entryList(QDir::Files), before);
}

void TestJetWindows::everyValueComesOverOrIsNamedOnce()
{
    // Windows handed the old engine the scrambled bytes 0x80, A2 AB and 0xFF as the first three
    // characters. No bytes of its code page give a Hangul syllable, and no date is not a number.
    QByteArray db = replaced(legacyFile(QStringLiteral("db.mdb")), utf16(QStringLiteral("管理员")),
                             utf16(QStringLiteral("€") + QChar(0xe766) + QChar(0xf8f5)));
    db = replaced(db, utf16(QStringLiteral("域名密码")), utf16(QStringLiteral("한名密码")));
    const qsizetype firstDates = db.indexOf(dateBytes(40179.0) + dateBytes(40544.0));
    db.replace(firstDates + 8, 8, dateBytes(std::numeric_limits<double>::quiet_NaN()));
    install(db);
    logIn(QStringLiteral("newpass1"));
    QCOMPARE(m_dialogs->count(), 1);
    const QString notice = m_dialogs->lastMessage().text;
    const QString list = QString::fromUtf8(m_world->readFile(QStringLiteral("db.jet.txt")));
    for (const QString &line :
         {QStringLiteral("网站编号 20110307090502，网站空间到期时间（web_endtime）：日期超出范围"),
          QStringLiteral("网站编号 20110308101010，域名密码（web_domainpass）：含有无法还原的字符")}) {
        QVERIFY2(notice.contains(QLatin1Char('\r') + line + QLatin1Char('\r')), qPrintable(notice));
        QVERIFY2(list.contains(QLatin1Char('\n') + line + QLatin1Char('\n')), qPrintable(list));
    }
    QVERIFY(notice.endsWith(m_world->file(QStringLiteral("db.jet.txt"))));
    QCOMPARE(m_world->readFile(QStringLiteral("db.jet.mdb")), db);
    // Everything else comes over; the two values are empty.
    QCOMPARE(m_world->scalar(QStringLiteral("select web_time from t_webinfo where id = 1")).toString(),
             QStringLiteral("2010-01-01"));
    QVERIFY(m_world->scalar(QStringLiteral("select web_endtime from t_webinfo where id = 1")).isNull());
    QVERIFY(m_world->scalar(QStringLiteral("select web_domainpass from t_webinfo where id = 2")).isNull());
    QCOMPARE(
        m_world->scalar(QStringLiteral("select web_user from t_webinfo where id = 2")).toByteArray().mid(1),
        QByteArray("\x80\xa2\xab\xff"
                   "20110308101010"));
}

QTEST_MAIN(TestJetWindows)
#include "tst_jetwindows.moc"
