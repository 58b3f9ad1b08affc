#include "DialogRecorder.h"
#include "TestWorld.h"

#include "gui/HelpNotice.h"
#include "gui/UpgradeNotice.h"
#include "platform/Maker.h"

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
    void helpNoticeShowsTheMaker();
    void upgradeNoticeShowsTheWay();
    void secondOpeningOnlyBringsForward();
};

void TestNotices::helpNoticeShowsTheMaker()
{
    TestWorld world;
    QCOMPARE(helpNotice()->windowTitle(), QStringLiteral("在线帮助"));
    QCOMPARE(helpNotice()->size(), QSize(275, 159));
    QCOMPARE(helpNotice()->minimumSize(), helpNotice()->maximumSize());
    QVERIFY(!(helpNotice()->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(helpNotice()->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(helpNotice()->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(buttonOf(helpNotice())->text(), QStringLiteral("退 出"));
    QCOMPARE(textOf(helpNotice())->text(), QStringLiteral("软件作者：") + Maker::name() +
                                               QStringLiteral("\n作者邮箱：") + Maker::email() +
                                               QStringLiteral("\n软件网站：") + Maker::webAddress());
    verifyNothingCutOff(helpNotice());
}

void TestNotices::upgradeNoticeShowsTheWay()
{
    TestWorld world;
    QCOMPARE(upgradeNotice()->windowTitle(), QStringLiteral("在线升级"));
    QCOMPARE(upgradeNotice()->size(), QSize(317, 215));
    QCOMPARE(upgradeNotice()->minimumSize(), upgradeNotice()->maximumSize());
    QVERIFY(upgradeNotice()->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(upgradeNotice()->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(buttonOf(upgradeNotice())->text(), QStringLiteral("关 闭"));
    const QStringList lines = textOf(upgradeNotice())->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("如果你需要增加软件的功能")));
    QCOMPARE(lines.at(1), QStringLiteral("请您留下正确的联系方式，以便软件升级好后能及时的发送给您。"));
    QCOMPARE(lines.at(2), QStringLiteral("官方网站：") + Maker::webAddress() + QLatin1Char(' '));
    QCOMPARE(lines.at(3), QStringLiteral("邮      箱：") + Maker::email());
    verifyNothingCutOff(upgradeNotice());
}

void TestNotices::secondOpeningOnlyBringsForward()
{
    TestWorld world;
    DialogRecorder recorder;
    for (QWidget *notice : {static_cast<QWidget *>(helpNotice()), static_cast<QWidget *>(upgradeNotice())}) {
        auto open = [notice] {
            if (notice == helpNotice())
                helpNotice()->showNotice();
            else
                upgradeNotice()->showNotice();
        };
        open();
        QVERIFY(notice->isVisible());
        const QPoint centred = notice->pos();
        // The user moved it; opening it again must not put it back or make a second one.
        notice->move(centred + QPoint(-40, 30));
        open();
        QCOMPARE(notice->pos(), centred + QPoint(-40, 30));
        QCOMPARE(notice == helpNotice() ? visibleCount<HelpNotice>() : visibleCount<UpgradeNotice>(), 1);

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
