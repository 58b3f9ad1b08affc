#include "DialogRecorder.h"
#include "TestWorld.h"

#include "app/Globals.h"
#include "app/Startup.h"
#include "platform/Maker.h"
#include "gui/HelpNotice.h"
#include "gui/UpgradeNotice.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

template <typename Notice> int visibleCount()
{
    int count = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        count += qobject_cast<Notice *>(window) && window->isVisible() ? 1 : 0;
    return count;
}

QLabel *textOf(QWidget *notice)
{
    return notice->findChild<QLabel *>(QStringLiteral("sLabel1"));
}

QPushButton *buttonOf(QWidget *notice)
{
    return notice->findChild<QPushButton *>(QStringLiteral("sBitBtn1"));
}

// With the program's look, nothing of the text or the button caption is cut off.
void verifyNothingCutOff(QWidget *notice)
{
    notice->ensurePolished();
    QLabel *text = textOf(notice);
    // The window's bold font reaches its controls under the style sheet.
    QVERIFY(text->font().bold());
    QVERIFY(buttonOf(notice)->font().bold());
    const int needed = text->wordWrap() ? text->heightForWidth(text->width()) : text->sizeHint().height();
    QVERIFY2(needed <= text->height(), qPrintable(QStringLiteral("text needs %1 px").arg(needed)));
    if (!text->wordWrap())
        QVERIFY(text->sizeHint().width() <= text->width());
    QVERIFY(notice->rect().contains(text->mapTo(notice, text->rect().bottomRight())));
    QPushButton *button = buttonOf(notice);
    QCOMPARE(button->size(), QSize(70, 29));
    QVERIFY(button->sizeHint().width() <= button->width());
    QVERIFY(notice->rect().contains(button->geometry()));
}

} // namespace

class TestNotices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { applyLook(); }
    void helpNotice();
    void upgradeNotice();
    void secondOpeningOnlyBringsForward();
};

void TestNotices::helpNotice()
{
    TestWorld world;
    QCOMPARE(Form7->windowTitle(), QStringLiteral("在线帮助"));
    QCOMPARE(Form7->size(), QSize(275, 159));
    QCOMPARE(Form7->minimumSize(), Form7->maximumSize());
    QVERIFY(!(Form7->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(Form7->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(Form7->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(buttonOf(Form7)->text(), QStringLiteral("退 出"));
    QCOMPARE(textOf(Form7)->text(), QStringLiteral("软件作者：") + Maker::name() +
                                        QStringLiteral("\n作者邮箱：") + Maker::email() +
                                        QStringLiteral("\n软件网站：") + Maker::webAddress());
    verifyNothingCutOff(Form7);
}

void TestNotices::upgradeNotice()
{
    TestWorld world;
    QCOMPARE(Form9->windowTitle(), QStringLiteral("在线升级"));
    QCOMPARE(Form9->size(), QSize(317, 215));
    QCOMPARE(Form9->minimumSize(), Form9->maximumSize());
    QVERIFY(Form9->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(Form9->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(buttonOf(Form9)->text(), QStringLiteral("关 闭"));
    const QStringList lines = textOf(Form9)->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("如果你需要增加软件的功能")));
    QCOMPARE(lines.at(1), QStringLiteral("请您留下正确的联系方式，以便软件升级好后能及时的发送给您。"));
    QCOMPARE(lines.at(2), QStringLiteral("官方网站：") + Maker::webAddress() + QLatin1Char(' '));
    QCOMPARE(lines.at(3), QStringLiteral("邮      箱：") + Maker::email());
    verifyNothingCutOff(Form9);
}

void TestNotices::secondOpeningOnlyBringsForward()
{
    TestWorld world;
    DialogRecorder recorder;
    for (QWidget *notice : {static_cast<QWidget *>(Form7), static_cast<QWidget *>(Form9)}) {
        auto open = [notice] {
            if (notice == Form7)
                Form7->showNotice();
            else
                Form9->showNotice();
        };
        open();
        QVERIFY(notice->isVisible());
        const QPoint centred = notice->pos();
        // The user moved it; opening it again must not put it back or make a second one.
        notice->move(centred + QPoint(-40, 30));
        open();
        QCOMPARE(notice->pos(), centred + QPoint(-40, 30));
        QCOMPARE(notice == Form7 ? visibleCount<HelpNotice>() : visibleCount<UpgradeNotice>(), 1);

        QTest::mouseClick(buttonOf(notice), Qt::LeftButton);
        QVERIFY(!notice->isVisible());
        open();
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->pos(), centred);
        QVERIFY(notice->close());
        QVERIFY(!notice->isVisible());
    }
    QCOMPARE(recorder.terminateRequests(), 0);
}

QTEST_MAIN(TestNotices)
#include "tst_notices.moc"
