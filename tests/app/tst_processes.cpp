#include "ProgramCopy.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

// The real executable: one copy per user at a time, with or without its fonts.
class TestProcesses : public QObject
{
    Q_OBJECT
private slots:
    void secondStartEndsAtOnceWhileTheFirstRuns();
    void startAfterAKilledCopyWorks();
    void startsWithAndWithoutFontFiles_data();
    void startsWithAndWithoutFontFiles();
};

void TestProcesses::secondStartEndsAtOnceWhileTheFirstRuns()
{
    ProgramCopy program(false);
    QVERIFY(program.ready());
    QProcess first;
    QVERIFY(program.startRunning(first));

    QProcess second;
    QElapsedTimer timer;
    timer.start();
    program.start(second);
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(timer.elapsed() < 10000, QByteArray::number(timer.elapsed()).constData());
    QCOMPARE(second.readAllStandardOutput(), QByteArray());

    QTest::qWait(300);
    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY(program.lockHeldBy(first.processId()));
    killAndWait(first);
}

void TestProcesses::startAfterAKilledCopyWorks()
{
    ProgramCopy program(false);
    QVERIFY(program.ready());
    QProcess first;
    QVERIFY(program.startRunning(first));
    killAndWait(first);
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);

    QProcess next;
    QVERIFY(program.startRunning(next));
    QTest::qWait(300);
    QCOMPARE(next.state(), QProcess::Running);
    killAndWait(next);
}

void TestProcesses::startsWithAndWithoutFontFiles_data()
{
    QTest::addColumn<bool>("withFonts");
    QTest::newRow("with msyh.TTF and msyhbd.TTF") << true;
    QTest::newRow("without them") << false;
}

void TestProcesses::startsWithAndWithoutFontFiles()
{
    QFETCH(bool, withFonts);
    ProgramCopy program(withFonts);
    QVERIFY(program.ready());
    QProcess process;
    QVERIFY(program.startRunning(process));
    QTest::qWait(500);
    QCOMPARE(process.state(), QProcess::Running);
    killAndWait(process);
}

QTEST_GUILESS_MAIN(TestProcesses)
#include "tst_processes.moc"
