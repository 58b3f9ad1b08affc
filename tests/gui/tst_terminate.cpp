#include "gui/Dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

// The one request to terminate, through the real backend.
class TestTerminate : public QObject
{
    Q_OBJECT
private slots:
    void requestBeforeTheLoopRunsEndsIt();
    void requestInsideTheLoopEndsIt();
    void requestEndsItWhileAWindowRefusesToClose();
};

namespace {

// Like the login and main windows: the close box never ends the program.
class RefusingWindow : public QWidget
{
protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

} // namespace

void TestTerminate::requestBeforeTheLoopRunsEndsIt()
{
    // As when the login window fails on its first showing, before the loop starts.
    Dialogs::requestTerminate();
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(timer.elapsed() < 4000);
}

void TestTerminate::requestInsideTheLoopEndsIt()
{
    QTimer::singleShot(0, [] { Dialogs::requestTerminate(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

void TestTerminate::requestEndsItWhileAWindowRefusesToClose()
{
    RefusingWindow window;
    window.show();
    QTimer::singleShot(0, [] { Dialogs::requestTerminate(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

QTEST_MAIN(TestTerminate)
#include "tst_terminate.moc"
