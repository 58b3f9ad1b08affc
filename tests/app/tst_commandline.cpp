#include "ProgramCopy.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// No display and a platform that needs one: a run that made a window would fail.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

bool waitForFile(const QString &path, const QProcess &process)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000 && process.state() != QProcess::NotRunning) {
        if (QFile::exists(path))
            return true;
        QTest::qWait(20);
    }
    return QFile::exists(path);
}

} // namespace

// The real executable's command line, and where it puts its files when installed.
class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void answersOnTheTerminalWithoutAWindow_data();
    void answersOnTheTerminalWithoutAWindow();
    void installedStartMakesItsFolder_data();
    void installedStartMakesItsFolder();
};

void TestCommandLine::answersOnTheTerminalWithoutAWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString version = QStringLiteral("^Corvane \\d+\\.\\d+\\n$");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "--register-folder <文件夹>"
                            << "";
    QTest::newRow("-h") << QStringList{"-h"} << 0 << "--portable"
                        << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << version << "";
    QTest::newRow("Qt's own option") << QStringList{"-platform", "offscreen", "--version"} << 0 << version
                                     << "";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                    << "未知选项：--bogus";
    QTest::newRow("unknown single-dash word") << QStringList{"-bogus", "--version"} << 2 << ""
                                              << "未知选项：-bogus";
    QTest::newRow("missing folder") << QStringList{"--register-folder", "/nonexistent/corvane"} << 2 << ""
                                    << "文件夹不存在：/nonexistent/corvane";
    QTest::newRow("--days without --due") << QStringList{"--days", "3"} << 2 << ""
                                          << "--days 和 --format 须与 --due 一起使用";
    QTest::newRow("register that is no file")
        << QStringList{"--register", "/nonexistent/team.sqlite"} << 2 << ""
        << "数据库文件不存在：/nonexistent/team.sqlite";
    QTest::newRow("two folder choices") << QStringList{"--portable", "--register-folder", "/tmp"} << 2 << ""
                                        << "不能一起使用";
    QTest::newRow("copy and due list at once")
        << QStringList{"--due", "--copy-register-to", "dbname=corvane"} << 2 << ""
        << "--due 和 --copy-register-to 不能一起使用";
    // Passwords come from standard input only: one among the arguments is refused.
    QTest::newRow("password among the arguments") << QStringList{"--protect", "secret-1"} << 2 << ""
                                                  << "多余的参数：secret-1";
    QTest::newRow("--slot without --protect") << QStringList{"--unprotect", "--slot", "甲"} << 2 << ""
                                              << "--slot 须与 --protect 一起使用";
    QTest::newRow("three commands at once")
        << QStringList{"--due", "--protect", "--change-password"} << 2 << ""
        << "--due、--protect 和 --change-password 不能一起使用";
}

void TestCommandLine::answersOnTheTerminalWithoutAWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    process.start(QStringLiteral(CORVANE_EXE), arguments);
    QVERIFY(process.waitForFinished(30000));
    const QString printed = QString::fromUtf8(process.readAllStandardOutput());
    const QString complained = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    if (out.startsWith(u'^'))
        QVERIFY2(QRegularExpression(out).match(printed).hasMatch(), qPrintable(printed));
    else
        QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.contains(out), qPrintable(printed));
    QVERIFY2(err.isEmpty() ? complained.isEmpty() : complained.contains(err), qPrintable(complained));
}

void TestCommandLine::installedStartMakesItsFolder_data()
{
    QTest::addColumn<bool>("named");
    QTest::newRow("installed: the user's data folder") << false;
    QTest::newRow("--register-folder") << true;
}

// The window comes up through Qt's own -platform option, so that reaches Qt as well.
void TestCommandLine::installedStartMakesItsFolder()
{
    QFETCH(bool, named);
    ProgramCopy program(false, /*withRegister*/ false);
    QVERIFY(program.ready());
    QTemporaryDir home;
    QTemporaryDir chosen;
    QProcessEnvironment environment = withoutDisplay();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("share")));
    QStringList arguments{QStringLiteral("-platform"), QStringLiteral("offscreen")};
    if (named)
        arguments << QStringLiteral("--register-folder") << chosen.path();
    const QString expected = named ? chosen.path() : home.filePath(QStringLiteral("share/corvane"));

    QProcess process;
    program.start(process, arguments, environment);
    // The register is made last, after the carriers.
    QVERIFY(waitForFile(QDir(expected).filePath(QStringLiteral("db.mdb")), process));
    QTest::qWait(200);
    QCOMPARE(process.state(), QProcess::Running);
    killAndWait(process);

    QVERIFY(isSqliteFile(QDir(expected).filePath(QStringLiteral("db.mdb"))));
    QCOMPARE(QFileInfo(QDir(expected).filePath(QStringLiteral("key.exe"))).size(), 0);
    QCOMPARE(QFileInfo(QDir(expected).filePath(QStringLiteral("sk.exe"))).size(), 0);
    QVERIFY(!QFile::exists(program.file(QStringLiteral("db.mdb"))));
    QCOMPARE(QFile::exists(home.filePath(QStringLiteral("share"))), !named);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
