#include "DialogRecorder.h"
#include "TestWorld.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "gui/AdBoard.h"
#include "gui/AddSiteWindow.h"
#include "gui/ExpiryWindow.h"
#include "gui/LoginWindow.h"
#include "gui/MainWindow.h"
#include "gui/NoticeWindow.h"
#include "gui/SettingsWindow.h"
#include "gui/SiteWindow.h"
#include "store/Connection.h"
#include "store/SiteRegister.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <memory>

namespace {

QPushButton *buttonCaptioned(QWidget *window, const QString &caption)
{
    for (QPushButton *button : window->findChildren<QPushButton *>())
        if (button->text() == caption)
            return button;
    qFatal("no button %s", qPrintable(caption));
}

// Where the keyboard is when a window opens: its first control in tab order.
QWidget *firstTabStop(QWidget *window)
{
    QWidget *widget = window->nextInFocusChain();
    while (widget != window &&
           !((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(window) && widget->isEnabled()))
        widget = widget->nextInFocusChain();
    return widget;
}

} // namespace

// The global objects as the program creates them at start.
class TestStartWindows : public QObject
{
    Q_OBJECT
private slots:
    void objectsHaveTheirClasses();
    void loginWindowIsAllThatWaitsForTheScreen();
    void windowsHaveTheirCaptionsAndSizes();
    void windowsStartHidden();
    void objectsAreGoneAfterwards();
    void keysPressButtonsAndCloseSecondaryWindows();
    void qtTextsAreChinese();
};

void TestStartWindows::objectsHaveTheirClasses()
{
    DialogRecorder dialogs;
    TestWorld world;
    const QList<QObject *> objects{siteRegister(),   loginWindow(),
                                   mainWindow(),     addSiteWindow(),
                                   siteWindow(),     expiryWindow(),
                                   settingsWindow(), noticeWindow(Notice::Help),
                                   adBoard(),        noticeWindow(Notice::Upgrade)};
    const QStringList classes{"SiteRegister", "LoginWindow",  "MainWindow",     "AddSiteWindow",
                              "SiteWindow",   "ExpiryWindow", "SettingsWindow", "NoticeWindow",
                              "AdBoard",      "NoticeWindow"};
    for (int i = 0; i < objects.size(); ++i)
        QCOMPARE(QString::fromLatin1(objects.at(i)->metaObject()->className()), classes.at(i));
    QVERIFY(!siteRegister()->isWidgetType());
    QCOMPARE(dialogs.count(), 0);
}

// A run builds the other windows only once the login window is on screen; a login that
// comes before them still opens the main window.
void TestStartWindows::loginWindowIsAllThatWaitsForTheScreen()
{
    DialogRecorder dialogs;
    TestWorld world(false);
    {
        Program program;
        QCOMPARE(QApplication::topLevelWidgets(), QWidgetList{&program.loginWindow()});
        program.start();
        QTRY_VERIFY(QApplication::topLevelWidgets().size() >= 9);
        QVERIFY(!program.mainWindow().isVisible());
    }
    Program program;
    program.start();
    QCOMPARE(QApplication::topLevelWidgets().size(), 1);
    QTest::keyClick(program.loginWindow().findChild<QLineEdit *>(QStringLiteral("passwordEdit")),
                    Qt::Key_Return);
    QVERIFY(program.mainWindow().isVisible());
    QVERIFY(!program.loginWindow().isVisible());
}

void TestStartWindows::windowsHaveTheirCaptionsAndSizes()
{
    DialogRecorder dialogs;
    TestWorld world;
    struct Expected
    {
        QWidget *window;
        QString caption;
        QSize client; // empty where the window's size is its own business
    };
    const QList<Expected> windows{
        {loginWindow(), QStringLiteral("登录"), QSize(305, 159)},
        {mainWindow(), QStringLiteral("Corvane V1.0"), QSize(862, 460)},
        {addSiteWindow(), QStringLiteral("添加新网站"), QSize()},
        {siteWindow(), QStringLiteral("网站资料修改"), QSize()},
        {expiryWindow(), QStringLiteral("网站到期查询"), QSize(861, 569)},
        {settingsWindow(), QStringLiteral("软件设置"), QSize(320, 210)},
        {noticeWindow(Notice::Help), QStringLiteral("在线帮助"), QSize(275, 159)},
        {adBoard(), QString(), QSize(867, 101)},
        {noticeWindow(Notice::Upgrade), QStringLiteral("在线升级"), QSize(317, 215)},
    };
    for (const Expected &expected : windows) {
        const QByteArray name = expected.window->objectName().toLatin1();
        QVERIFY2(expected.window->isWindow(), name.constData());
        QCOMPARE(expected.window->windowTitle(), expected.caption);
        if (!expected.client.isEmpty())
            QCOMPARE(expected.window->size(), expected.client);
    }
}

void TestStartWindows::windowsStartHidden()
{
    DialogRecorder dialogs;
    TestWorld world;
    for (QWidget *window : QList<QWidget *>{loginWindow(), mainWindow(), addSiteWindow(), siteWindow(),
                                            expiryWindow(), settingsWindow(), noticeWindow(Notice::Help),
                                            adBoard(), noticeWindow(Notice::Upgrade)})
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    // Nothing touched the register or the carriers while the windows were made.
    QVERIFY(!siteRegister()->connection()->isOpen());
    QCOMPARE(world.readFile(QStringLiteral("key.exe")), QByteArray());
}

void TestStartWindows::objectsAreGoneAfterwards()
{
    {
        DialogRecorder dialogs;
        TestWorld world;
        QVERIFY(QApplication::topLevelWidgets().size() >= 9);
    }
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestStartWindows::keysPressButtonsAndCloseSecondaryWindows()
{
    DialogRecorder dialogs;
    TestWorld world;
    loginWindow()->show();
    mainWindow()->show();
    addSiteWindow()->show();
    QTest::keyClick(buttonCaptioned(addSiteWindow(), QStringLiteral("添  加")), Qt::Key_Enter,
                    Qt::KeypadModifier);
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("数据库添加成功")});
    QCOMPARE(world.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 1);

    for (QWidget *window : QList<QWidget *>{addSiteWindow(), siteWindow(), expiryWindow(), settingsWindow(),
                                            noticeWindow(Notice::Help), noticeWindow(Notice::Upgrade)}) {
        window->show();
        QTest::keyClick(firstTabStop(window), Qt::Key_Escape);
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    }
    for (QWidget *window : QList<QWidget *>{loginWindow(), mainWindow()}) {
        QTest::keyClick(firstTabStop(window), Qt::Key_Escape);
        QVERIFY2(window->isVisible(), qPrintable(window->objectName()));
    }
    // The detail view takes no typing, yet Escape from one of its dates still closes it.
    world.addPlainSite(QStringLiteral("100001"), QStringLiteral("站点"), QStringLiteral("www.a.com"));
    siteWindow()->openRecord(QStringLiteral("www.a.com"), SiteWindow::Mode::Detail);
    QTest::keyClick(siteWindow()->findChild<QComboBox *>(), Qt::Key_Escape);
    QVERIFY(!siteWindow()->isVisible());
}

void TestStartWindows::qtTextsAreChinese()
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                       QStringLiteral("/qtbase_zh_CN.qm")))
        QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
    QVERIFY(loadQtTranslations());
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    QLineEdit field;
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    // The item's shortcut follows a tab.
    QCOMPARE(menu->actions().constFirst()->text().section(QLatin1Char('\t'), 0, 0),
             QStringLiteral("撤消(&U)"));
}

QTEST_MAIN(TestStartWindows)
#include "tst_startwindows.moc"
