#include "DialogRecorder.h"
#include "TempLocation.h"
#include "TestWorld.h"
#include "WindowControls.h"

#include "app/Startup.h"
#include "gui/AdBoard.h"
#include "gui/LoginWindow.h"
#include "gui/MainWindow.h"
#include "platform/Maker.h"
#include "platform/WorkFolder.h"
#include "secrets/TrailerStore.h"
#include "sites/Protection.h"
#include "sites/SiteStore.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/SiteRegister.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QLineEdit *edit(const char *name)
{
    return control<QLineEdit>(loginWindow(), name);
}

void click(const char *name)
{
    QTest::mouseClick(control<QPushButton>(loginWindow(), name), Qt::LeftButton);
}

void storePassword(const QString &password)
{
    if (writeSecret(SecretStore::loginPassword(), password) != WriteResult::Written)
        qFatal("cannot prepare key.exe");
}

QString storedPassword()
{
    QString secret;
    readSecret(SecretStore::loginPassword(), secret);
    return secret;
}

void logIn(const QString &password)
{
    edit("passwordEdit")->setText(password);
    click("loginButton");
}

void change(const QString &oldPassword, const QString &newPassword, const QString &confirm)
{
    click("changePasswordButton");
    edit("currentPasswordEdit")->setText(oldPassword);
    edit("newPasswordEdit")->setText(newPassword);
    edit("confirmPasswordEdit")->setText(confirm);
    click("savePasswordButton");
}

// A new start of the program on the same folder: the windows are made afresh and
// the login window loads the password again.
void restart()
{
    restartProgram();
    loginWindow()->show();
}

const QString Failed = QStringLiteral("密码修改出错,请检查是否缺少必要的文件");

} // namespace

class TestLoginWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { applyLook(); }
    void emptyStoreLogsInWithEmptyPassword_data();
    void emptyStoreLogsInWithEmptyPassword();
    void wrongPasswordIsReportedAndCleared();
    void unloadablePasswordEndsProgram();
    void changeChecksInOrder_data();
    void changeChecksInOrder();
    void changeTakesEffectAtNextStart();
    void unusualPasswordsSurviveTheStore_data();
    void unusualPasswordsSurviveTheStore();
    void refusedCarrierIsReported_data();
    void refusedCarrierIsReported();
    void enterKeysActAsButtons();
    void panelsAndClose();
    void protectedRegisterOpensWithItsSlot();
};

void TestLoginWindow::emptyStoreLogsInWithEmptyPassword_data()
{
    QTest::addColumn<bool>("carrierPresent");
    QTest::newRow("empty key.exe") << true;
    QTest::newRow("no key.exe") << false;
}

void TestLoginWindow::emptyStoreLogsInWithEmptyPassword()
{
    QFETCH(bool, carrierPresent);
    TestWorld world;
    DialogRecorder recorder;
    if (!carrierPresent)
        QVERIFY(QFile::remove(world.file(QStringLiteral("key.exe"))));
    loginWindow()->show();
    QVERIFY(loginWindow()->isVisible());
    QVERIFY(!mainWindow()->isVisible());

    edit("newPasswordEdit")->setText(QStringLiteral("typed"));
    logIn(QString());
    QVERIFY(!recorder.texts().join(QString()).contains(QStringLiteral("出错")));
    QVERIFY(mainWindow()->isVisible());
    QVERIFY(!loginWindow()->isVisible());
    QVERIFY(edit("newPasswordEdit")->text().isEmpty());
    // No reading leaves the scrambled password in the work folder.
    QVERIFY(!QFile::exists(WorkFolder::file(QStringLiteral("passtemp.txt"))));
}

void TestLoginWindow::wrongPasswordIsReportedAndCleared()
{
    TestWorld world;
    DialogRecorder recorder;
    storePassword(QStringLiteral("Secret1"));
    loginWindow()->show();

    // Case and blanks count: none of these is the password.
    const QStringList wrong = {QStringLiteral("secret1"), QStringLiteral("Secret1 "),
                               QStringLiteral(" Secret1"), QString()};
    for (const QString &attempt : wrong) {
        recorder.clear();
        logIn(attempt);
        QCOMPARE(recorder.count(), 1);
        QCOMPARE(recorder.lastMessage().caption, QStringLiteral("提示"));
        QCOMPARE(recorder.lastMessage().text, QStringLiteral("密码出错") + Maker::contactBlock());
        QCOMPARE(recorder.lastMessage().icon, Dialogs::Icon::Error);
        QVERIFY(edit("passwordEdit")->text().isEmpty());
        QVERIFY(loginWindow()->isVisible());
        QVERIFY(!mainWindow()->isVisible());
    }
    logIn(QStringLiteral("Secret1"));
    QVERIFY(mainWindow()->isVisible());
    QVERIFY(!loginWindow()->isVisible());
}

void TestLoginWindow::unloadablePasswordEndsProgram()
{
    TestWorld world;
    DialogRecorder recorder;
    // A work folder open to others is never used for the scrambled password, and with the
    // temp location gone no other can be made.
    const QString workFolder = QDir(world.runtimeFolder()).filePath(QStringLiteral("corvane"));
    QVERIFY(QDir().mkpath(workFolder));
    QVERIFY(QFile::setPermissions(workFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                  QFile::ReadOther | QFile::ExeOther));
    const TempLocation gone(world.file(QStringLiteral("missing")));
    loginWindow()->show();
    QCOMPARE(recorder.count(), 1);
    QCOMPARE(recorder.lastMessage().text,
             QStringLiteral("软件出错,请检查是否缺少必要的文件") + Maker::contactBlock());
    QCOMPARE(recorder.lastMessage().icon, Dialogs::Icon::Error);
    QCOMPARE(recorder.terminateRequests(), 1);
}

void TestLoginWindow::changeChecksInOrder_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<QString>("message");
    const QString start = QStringLiteral("start1");
    QTest::newRow("wrong old before short new") << QStringLiteral("Start1") << "abc"
                                                << "xyz" << QStringLiteral("原始密码输入有错");
    QTest::newRow("old with a blank") << QStringLiteral("start1 ") << "abcdef"
                                      << "abcdef" << QStringLiteral("原始密码输入有错");
    QTest::newRow("short before mismatch") << start << "abcde"
                                           << "xyz" << QStringLiteral("密码位数小于6位");
    QTest::newRow("five bytes with Chinese")
        << start << QStringLiteral("abc中") << QStringLiteral("abc中") << QStringLiteral("密码位数小于6位");
    QTest::newRow("mismatch") << start << "abcdef"
                              << "abcdeg" << QStringLiteral("两次密码输入不一致");
    QTest::newRow("mismatch by a blank") << start << "abcdef"
                                         << "abcdef " << QStringLiteral("两次密码输入不一致");
    QTest::newRow("three Chinese characters") << start << QStringLiteral("中文字") << QStringLiteral("中文字")
                                              << QStringLiteral("登录密码修改成功！");
    QTest::newRow("six bytes") << start << "abcdef"
                               << "abcdef" << QStringLiteral("登录密码修改成功！");
}

void TestLoginWindow::changeChecksInOrder()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, confirm);
    QFETCH(QString, message);
    TestWorld world;
    DialogRecorder recorder;
    storePassword(QStringLiteral("start1"));
    const QByteArray before = world.readFile(QStringLiteral("key.exe"));
    loginWindow()->show();

    change(oldPassword, newPassword, confirm);
    QCOMPARE(recorder.count(), 1);
    QCOMPARE(recorder.lastMessage().caption, QStringLiteral("提示"));
    QCOMPARE(recorder.lastMessage().text, message);
    const bool success = message == QStringLiteral("登录密码修改成功！");
    QCOMPARE(recorder.lastMessage().icon, success ? Dialogs::Icon::Exclamation : Dialogs::Icon::Error);
    QCOMPARE(storedPassword(), success ? newPassword : QStringLiteral("start1"));
    if (!success) {
        QCOMPARE(world.readFile(QStringLiteral("key.exe")), before);
        QCOMPARE(edit("currentPasswordEdit")->text(), oldPassword);
        QCOMPARE(edit("newPasswordEdit")->text(), newPassword);
        QCOMPARE(edit("confirmPasswordEdit")->text(), confirm);
    }
    // A success closes the change panel; a refusal leaves it open.
    QCOMPARE(loginWindow()->width(), success ? 305 : 612);
}

void TestLoginWindow::changeTakesEffectAtNextStart()
{
    TestWorld world;
    DialogRecorder recorder;
    storePassword(QStringLiteral("start1"));
    loginWindow()->show();

    change(QStringLiteral("start1"), QStringLiteral("second2"), QStringLiteral("second2"));
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("登录密码修改成功！"));
    QCOMPARE(storedPassword(), QStringLiteral("second2"));
    QVERIFY(!QFile::exists(WorkFolder::file(QStringLiteral("pass2.txt"))));
    // The fields keep their content until the next login.
    QCOMPARE(edit("confirmPasswordEdit")->text(), QStringLiteral("second2"));

    // Within the run the password of the start stays the one to give.
    change(QStringLiteral("second2"), QStringLiteral("third33"), QStringLiteral("third33"));
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("原始密码输入有错"));
    change(QStringLiteral("start1"), QStringLiteral("third33"), QStringLiteral("third33"));
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("登录密码修改成功！"));
    QCOMPARE(storedPassword(), QStringLiteral("third33"));

    logIn(QStringLiteral("third33"));
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("密码出错") + Maker::contactBlock());
    logIn(QStringLiteral("start1"));
    QVERIFY(mainWindow()->isVisible());

    restart();
    recorder.clear();
    logIn(QStringLiteral("start1"));
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("密码出错") + Maker::contactBlock());
    logIn(QStringLiteral("third33"));
    QVERIFY(mainWindow()->isVisible());
    QVERIFY(!loginWindow()->isVisible());
}

void TestLoginWindow::unusualPasswordsSurviveTheStore_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("1000 characters")
        << QString(1000, QLatin1Char('x')).replace(500, 3, QStringLiteral("中文字"));
    QTest::newRow("Chinese") << QStringLiteral("登录密码");
    QTest::newRow("blanks at both ends") << QStringLiteral("  pass word  ");
    QTest::newRow("beyond GBK") << QStringLiteral("密码😀€");
}

void TestLoginWindow::unusualPasswordsSurviveTheStore()
{
    QFETCH(QString, password);
    TestWorld world;
    DialogRecorder recorder;
    loginWindow()->show();

    change(QString(), password, password);
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("登录密码修改成功！"));
    QCOMPARE(storedPassword(), password);

    restart();
    recorder.clear();
    logIn(password.trimmed() == password ? password + QLatin1Char(' ') : password.trimmed());
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("密码出错") + Maker::contactBlock());
    logIn(password);
    QVERIFY(mainWindow()->isVisible());
}

void TestLoginWindow::refusedCarrierIsReported_data()
{
    QTest::addColumn<QString>("problem");
    QTest::newRow("missing") << "missing";
    QTest::newRow("read-only") << "read-only";
    QTest::newRow("locked") << "locked";
    QTest::newRow("a folder") << "folder";
}

void TestLoginWindow::refusedCarrierIsReported()
{
    QFETCH(QString, problem);
    TestWorld world;
    DialogRecorder recorder;
    const QString carrier = world.file(QStringLiteral("key.exe"));
    storePassword(QStringLiteral("start1"));
    const QByteArray before = world.readFile(QStringLiteral("key.exe"));
    loginWindow()->show();

    int lock = -1;
    if (problem == QLatin1String("missing")) {
        QVERIFY(QFile::remove(carrier));
    } else if (problem == QLatin1String("read-only")) {
        if (geteuid() == 0)
            QSKIP("the superuser writes to read-only files");
        QVERIFY(QFile::setPermissions(carrier, QFile::ReadOwner));
    } else if (problem == QLatin1String("locked")) {
        lock = ::open(QFile::encodeName(carrier).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(lock >= 0 && flock(lock, LOCK_EX) == 0);
    } else {
        QVERIFY(QFile::remove(carrier));
        QVERIFY(QDir().mkdir(carrier));
    }

    change(QStringLiteral("start1"), QStringLiteral("second2"), QStringLiteral("second2"));
    if (lock >= 0)
        ::close(lock);
    QCOMPARE(recorder.count(), 1);
    QCOMPARE(recorder.lastMessage().text, Failed + Maker::contactBlock());
    QCOMPARE(recorder.lastMessage().icon, Dialogs::Icon::Error);
    QVERIFY(!QFile::exists(WorkFolder::file(QStringLiteral("pass2.txt"))));
    QCOMPARE(loginWindow()->width(), 612);
    if (problem == QLatin1String("read-only") || problem == QLatin1String("locked"))
        QCOMPARE(world.readFile(QStringLiteral("key.exe")), before);
}

void TestLoginWindow::enterKeysActAsButtons()
{
    TestWorld world;
    DialogRecorder recorder;
    storePassword(QStringLiteral("start1"));
    loginWindow()->show();

    edit("passwordEdit")->setText(QStringLiteral("wrong1"));
    QTest::keyClick(edit("passwordEdit"), Qt::Key_Return);
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("密码出错") + Maker::contactBlock());

    click("changePasswordButton");
    edit("currentPasswordEdit")->setText(QStringLiteral("start1"));
    edit("newPasswordEdit")->setText(QStringLiteral("second2"));
    edit("confirmPasswordEdit")->setText(QStringLiteral("second2"));
    // Enter in the other change fields does nothing; in the confirm field it applies.
    QTest::keyClick(edit("newPasswordEdit"), Qt::Key_Return);
    QCOMPARE(recorder.count(), 1);
    QTest::keyClick(edit("confirmPasswordEdit"), Qt::Key_Enter);
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("登录密码修改成功！"));

    edit("passwordEdit")->setText(QStringLiteral("start1"));
    QTest::keyClick(edit("passwordEdit"), Qt::Key_Enter);
    QVERIFY(mainWindow()->isVisible());
    QVERIFY(!loginWindow()->isVisible());
}

void TestLoginWindow::panelsAndClose()
{
    TestWorld world;
    DialogRecorder recorder;
    loginWindow()->show();
    QVERIFY(loginWindow()->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(loginWindow()->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint)));
    QVERIFY(!control(loginWindow(), "changePanel")->isVisible());
    for (const char *name :
         {"passwordLabel", "passwordEdit", "loginButton", "confirmPasswordLabel", "savePasswordButton"})
        QVERIFY2(control(loginWindow(), name)->font().bold(), name);

    click("changePasswordButton");
    QCOMPARE(loginWindow()->size(), QSize(612, 159));
    QVERIFY(control(loginWindow(), "changePanel")->isVisible());
    // Both panels side by side, nothing in them cut off or covered.
    const QStringList faults = layoutFaults(loginWindow());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    edit("newPasswordEdit")->setText(QStringLiteral("kept"));
    click("cancelChangeButton");
    QCOMPARE(loginWindow()->size(), QSize(305, 159));
    QCOMPARE(edit("newPasswordEdit")->text(), QStringLiteral("kept"));

    // Closing never ends the program; it puts the working windows away.
    mainWindow()->show();
    adBoard()->show();
    QVERIFY(!loginWindow()->close());
    QVERIFY(loginWindow()->isVisible());
    QVERIFY(!mainWindow()->isVisible());
    QVERIFY(!adBoard()->isVisible());
    QCOMPARE(recorder.terminateRequests(), 0);

    click("quitButton");
    QCOMPARE(recorder.terminateRequests(), 1);
}

// The password opens the register's slot; key.exe plays no part, and what it still held goes.
void TestLoginWindow::protectedRegisterOpensWithItsSlot()
{
    TestWorld world;
    DialogRecorder recorder;
    storePassword(QStringLiteral("Secret1"));
    world.pointAt(*siteRegister()->connection());
    Protection::protect(siteRegister()->connection(), QStringLiteral("甲"), QStringLiteral("Secret1"),
                        PasswordCost::cheapest());
    SiteRecord site;
    site.setText(SiteField::SiteNumber, QStringLiteral("000001"));
    site.setText(SiteField::Address, QStringLiteral("a.example"));
    site.setText(SiteField::AdminPassword, QStringLiteral("后台密码"));
    SiteStore::insert(*siteRegister()->additions(), site, QString());
    storePassword(QStringLiteral("Secret1")); // as a switch stopped before key.exe was cleared leaves it
    restart();

    change(QStringLiteral("Secret1"), QStringLiteral("Secret22"), QStringLiteral("Secret22"));
    QCOMPARE(recorder.lastMessage().text, QStringLiteral("登录密码修改成功！"));
    for (const QString &wrong : {QStringLiteral("Secret1"), QString()}) {
        logIn(wrong);
        QCOMPARE(recorder.lastMessage().text, QStringLiteral("密码出错") + Maker::contactBlock());
    }
    logIn(QStringLiteral("Secret22"));
    QVERIFY(mainWindow()->isVisible());
    QVERIFY(mainWindow()->windowTitle().endsWith(QStringLiteral("（保护模式）")));
    QCOMPARE(world.readFile(QStringLiteral("key.exe")), QByteArray());
    const LoadedSite loaded =
        SiteStore::load(*siteRegister()->siteLoad(), QStringLiteral("a.example"), QString());
    QCOMPARE(loaded.record.text(SiteField::AdminPassword), QStringLiteral("后台密码"));
}

QTEST_MAIN(TestLoginWindow)
#include "tst_loginwindow.moc"
