#include "DialogRecorder.h"
#include "TestWorld.h"

#include "gui/AdBoard.h"
#include "platform/Maker.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTextBrowser>

namespace {

QTextBrowser *page()
{
    return adBoard()->findChild<QTextBrowser *>(QStringLiteral("pageView"));
}

QList<QMenu *> visibleMenus()
{
    QList<QMenu *> menus;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *menu = qobject_cast<QMenu *>(window); menu && menu->isVisible())
            menus << menu;
    return menus;
}

int opacityLevel()
{
    return qRound(adBoard()->windowOpacity() * 255);
}

QPoint expectedPlace(const QWidget &mainWindow)
{
    const QRect frame = mainWindow.frameGeometry();
    return QPoint(frame.left(), frame.top() + frame.height());
}

} // namespace

class TestAdBoard : public QObject
{
    Q_OBJECT
private slots:
    void boardShowsTheShippedPage();
    void rightClickOpensTheBoardMenu();
    void translucencyLevels();
    void followsTheMainWindow();
    void refusesToClose();
};

void TestAdBoard::boardShowsTheShippedPage()
{
    TestWorld world;
    DialogRecorder recorder;
    QVERIFY(adBoard()->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!(adBoard()->windowFlags() & Qt::WindowStaysOnTopHint));
    const QString text = page()->toPlainText();
    QVERIFY(text.contains(Maker::webAddress()));
    QVERIFY(text.contains(Maker::email()));
    QVERIFY(!text.contains(QLatin1Char('{')));
    // The whole page fits the strip: nothing is hidden behind a scroll.
    QVERIFY2(page()->document()->size().height() <= page()->viewport()->height(),
             qPrintable(QString::number(page()->document()->size().height())));

    // The board never navigates; a link goes to the user's browser.
    emit page()->anchorClicked(QUrl(QStringLiteral("http://") + Maker::webAddress() + QLatin1Char('/')));
    QCOMPARE(recorder.openedAddresses(),
             {QStringLiteral("http://") + Maker::webAddress() + QLatin1Char('/')});
    QVERIFY(page()->toPlainText() == text);
}

void TestAdBoard::rightClickOpensTheBoardMenu()
{
    TestWorld world;
    adBoard()->show();
    QWidget *viewport = page()->viewport();
    const QPoint at(200, 40);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);

    auto *boardMenu = adBoard()->findChild<QMenu *>(QStringLiteral("boardMenu"));
    QVERIFY(boardMenu);
    QCOMPARE(visibleMenus(), {boardMenu});
    const QStringList captions = {boardMenu->actions().value(0)->text()};
    QCOMPARE(captions, {QStringLiteral("调节透明")});
    boardMenu->close();
    QVERIFY(visibleMenus().isEmpty());
}

void TestAdBoard::translucencyLevels()
{
    TestWorld world;
    adBoard()->show();
    QCOMPARE(opacityLevel(), 255);
    const QList<QPair<const char *, int>> steps = {{"thirtyPercentAction", 60},
                                                   {"opaqueAction", 255},
                                                   {"fiftyPercentAction", 100},
                                                   {"thirtyPercentAction", 60},
                                                   {"opaqueAction", 255}};
    for (const auto &[item, level] : steps) {
        QAction *action = adBoard()->findChild<QAction *>(QLatin1String(item));
        QVERIFY(action);
        action->trigger();
        QCOMPARE(opacityLevel(), level);
    }
    QCOMPARE(adBoard()->findChild<QAction *>(QStringLiteral("thirtyPercentAction"))->text(),
             QStringLiteral("30%"));
    QCOMPARE(adBoard()->findChild<QAction *>(QStringLiteral("fiftyPercentAction"))->text(),
             QStringLiteral("50%"));
    QCOMPARE(adBoard()->findChild<QAction *>(QStringLiteral("opaqueAction"))->text(), QStringLiteral("100%"));
}

void TestAdBoard::followsTheMainWindow()
{
    TestWorld world;
    QWidget mainWindow;
    mainWindow.setGeometry(120, 80, 862, 460);
    mainWindow.show();
    adBoard()->attachTo(&mainWindow);
    adBoard()->show();
    QCOMPARE(adBoard()->pos(), expectedPlace(mainWindow));

    mainWindow.move(300, 40);
    QCOMPARE(adBoard()->pos(), expectedPlace(mainWindow));
    QCOMPARE(adBoard()->pos(),
             QPoint(mainWindow.frameGeometry().left(), mainWindow.frameGeometry().bottom() + 1));
    // It follows the main window's place, never its size.
    mainWindow.resize(862, 300);
    QCOMPARE(adBoard()->pos(), expectedPlace(mainWindow));
    QCOMPARE(adBoard()->size(), QSize(867, 101));

    // Moved while both were put away: the board is back in place when shown again.
    mainWindow.hide();
    adBoard()->hide();
    mainWindow.move(10, 20);
    mainWindow.show();
    adBoard()->show();
    QCOMPARE(adBoard()->pos(), expectedPlace(mainWindow));

    // Only the window it is attached to moves it.
    QWidget other;
    other.setGeometry(500, 500, 100, 100);
    other.show();
    other.move(600, 600);
    QCOMPARE(adBoard()->pos(), expectedPlace(mainWindow));
}

void TestAdBoard::refusesToClose()
{
    TestWorld world;
    adBoard()->show();
    QVERIFY(!adBoard()->close());
    QVERIFY(adBoard()->isVisible());
}

QTEST_MAIN(TestAdBoard)
#include "tst_adboard.moc"
