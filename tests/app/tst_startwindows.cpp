#include "DialogRecorder.h"
#include "TestWorld.h"
#include "app/Globals.h"
#include "app/Startup.h"
#include "gui/ExpiryWindow.h"
#include "gui/SettingsWindow.h"
#include "gui/HelpNotice.h"
#include "gui/AdBoard.h"
#include "gui/UpgradeNotice.h"
#include "gui/MainWindow.h"
#include "gui/AddSiteWindow.h"
#include "gui/SiteWindow.h"
#include "gui/LoginWindow.h"
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
    void objectsHaveTheirClassesAndNames();
    void windowsHaveTheirCaptionsAndSizes();
    void windowsStartHidden();
    void objectsAreGoneAfterwards();
    void keysPressButtonsAndCloseSecondaryWindows();
    void qtTextsAreChinese();
};

void TestStartWindows::objectsHaveTheirClassesAndNames()
{
    DialogRecorder dialogs;
    TestWorld world;
    const QList<QObject *> objects{DataModule1, Form6, Form1, Form2, Form3,
                                   Form4,       Form5, Form7, Form8, Form9};
    const QStringList classes{"SiteRegister", "LoginWindow", "MainWindow", "AddSiteWindow", "SiteWindow",
                              "ExpiryWindow",       "SettingsWindow", "HelpNotice", "AdBoard", "UpgradeNotice"};
    const QStringList names{"DataModule1", "Form6", "Form1", "Form2", "Form3",
                            "Form4",       "Form5", "Form7", "Form8", "Form9"};
    for (int i = 0; i < objects.size(); ++i) {
        QVERIFY2(objects.at(i), qPrintable(names.at(i)));
        QCOMPARE(QString::fromLatin1(objects.at(i)->metaObject()->className()), classes.at(i));
        QCOMPARE(objects.at(i)->objectName(), names.at(i));
    }
    QVERIFY(!DataModule1->isWidgetType());
    QCOMPARE(dialogs.count(), 0);
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
        {Form6, QStringLiteral("登录"), QSize(305, 159)},
        {Form1, QStringLiteral("Corvane V1.0"), QSize(862, 460)},
        {Form2, QStringLiteral("添加新网站"), QSize()},
        {Form3, QStringLiteral("网站资料修改"), QSize()},
        {Form4, QStringLiteral("网站到期查询"), QSize(861, 569)},
        {Form5, QStringLiteral("软件设置"), QSize(268, 210)},
        {Form7, QStringLiteral("在线帮助"), QSize(275, 159)},
        {Form8, QString(), QSize(867, 101)},
        {Form9, QStringLiteral("在线升级"), QSize(317, 215)},
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
    for (QWidget *window : QList<QWidget *>{Form6, Form1, Form2, Form3, Form4, Form5, Form7, Form8, Form9})
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    // Nothing touched the register or the carriers while the windows were made.
    QVERIFY(!DataModule1->ADOConnection1->isOpen());
    QCOMPARE(world.readFile(QStringLiteral("key.exe")), QByteArray());
}

void TestStartWindows::objectsAreGoneAfterwards()
{
    {
        DialogRecorder dialogs;
        TestWorld world;
        QVERIFY(Form1);
    }
    const QList<QObject *> objects{DataModule1, Form6, Form1, Form2, Form3,
                                   Form4,       Form5, Form7, Form8, Form9};
    for (QObject *object : objects)
        QVERIFY(!object);
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestStartWindows::keysPressButtonsAndCloseSecondaryWindows()
{
    DialogRecorder dialogs;
    TestWorld world;
    Form6->show();
    Form1->show();
    Form2->show();
    QTest::keyClick(buttonCaptioned(Form2, QStringLiteral("添  加")), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("数据库添加成功")});
    QCOMPARE(world.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt(), 1);

    for (QWidget *window : QList<QWidget *>{Form2, Form3, Form4, Form5, Form7, Form9}) {
        window->show();
        QTest::keyClick(firstTabStop(window), Qt::Key_Escape);
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    }
    for (QWidget *window : QList<QWidget *>{Form6, Form1}) {
        QTest::keyClick(firstTabStop(window), Qt::Key_Escape);
        QVERIFY2(window->isVisible(), qPrintable(window->objectName()));
    }
    // The detail view takes no typing, yet Escape from one of its dates still closes it.
    world.addPlainSite(QStringLiteral("100001"), QStringLiteral("站点"), QStringLiteral("www.a.com"));
    Form3->openRecord(QStringLiteral("www.a.com"), SiteWindow::Mode::Detail);
    QTest::keyClick(Form3->findChild<QComboBox *>(), Qt::Key_Escape);
    QVERIFY(!Form3->isVisible());
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
