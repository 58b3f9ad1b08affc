#include "DialogRecorder.h"
#include "TestWorld.h"
#include "WindowControls.h"

#include "gui/NoticeWindow.h"
#include "platform/Maker.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

int visibleNotices()
{
    int count = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        count += qobject_cast<NoticeWindow *>(window) && window->isVisible() ? 1 : 0;
    return count;
}

QString textOf(QWidget *notice)
{
    return control<QLabel>(notice, "noticeText")->text();
}

QPushButton *closeButton(QWidget *notice)
{
    return control<QPushButton>(notice, "closeButton");
}

// A fixed size, a close box and nothing else in the title bar, the program's bold lettering
// on every control, and nothing of the text or the caption cut off.
void verifyFrameAndLettering(QWidget *notice)
{
    QCOMPARE(notice->minimumSize(), notice->maximumSize());
    QVERIFY(notice->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(notice->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    // The window's bold font reaches its controls under the style sheet.
    notice->ensurePolished();
    QVERIFY(control<QLabel>(notice, "noticeText")->font().bold());
    QVERIFY(closeButton(notice)->font().bold());
    const QStringList faults = layoutFaults(notice);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

} // namespace

class TestNotices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { applyLook(); }
    void helpNoticeShowsTheMaker();
    void upgradeNoticeShowsTheWay();
    void secondOpeningOnlyBringsForward();
};

void TestNotices::helpNoticeShowsTheMaker()
{
    TestWorld world;
    NoticeWindow *help = noticeWindow(Notice::Help);
    QVERIFY(!(help->windowFlags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(closeButton(help)->text(), QStringLiteral("退 出"));
    QCOMPARE(textOf(help), QStringLiteral("软件作者：") + Maker::name() + QStringLiteral("\n作者邮箱：") +
                               Maker::email() + QStringLiteral("\n软件网站：") + Maker::webAddress());
    verifyFrameAndLettering(help);
}

void TestNotices::upgradeNoticeShowsTheWay()
{
    TestWorld world;
    NoticeWindow *upgrade = noticeWindow(Notice::Upgrade);
    QVERIFY(upgrade->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(closeButton(upgrade)->text(), QStringLiteral("关 闭"));
    const QStringList lines = textOf(upgrade).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("如果你需要增加软件的功能")));
    QCOMPARE(lines.at(1), QStringLiteral("请您留下正确的联系方式，以便软件升级好后能及时的发送给您。"));
    QCOMPARE(lines.at(2), QStringLiteral("官方网站：") + Maker::webAddress() + QLatin1Char(' '));
    QCOMPARE(lines.at(3), QStringLiteral("邮      箱：") + Maker::email());
    verifyFrameAndLettering(upgrade);
}

void TestNotices::secondOpeningOnlyBringsForward()
{
    TestWorld world;
    DialogRecorder recorder;
    for (Notice kind : {Notice::Help, Notice::Upgrade}) {
        NoticeWindow *notice = noticeWindow(kind);
        notice->showNotice();
        QVERIFY(notice->isVisible());
        const QPoint centred = notice->pos();
        // The user moved it; opening it again must not put it back or make a second one.
        notice->move(centred + QPoint(-40, 30));
        notice->showNotice();
        QCOMPARE(notice->pos(), centred + QPoint(-40, 30));
        QCOMPARE(visibleNotices(), 1);

        QTest::mouseClick(closeButton(notice), Qt::LeftButton);
        QVERIFY(!notice->isVisible());
        notice->showNotice();
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->pos(), centred);
        QVERIFY(notice->close());
        QVERIFY(!notice->isVisible());
    }
    QCOMPARE(recorder.terminateRequests(), 0);
}

QTEST_MAIN(TestNotices)
#include "tst_notices.moc"
