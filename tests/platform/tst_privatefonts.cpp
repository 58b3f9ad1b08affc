#include "TestFolder.h"
#include "platform/PrivateFonts.h"

#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QTest>

namespace {
const QString DejaVu = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
}

class TestPrivateFonts : public QObject
{
    Q_OBJECT
private slots:
    void fontFilesBesideTheProgramAreUsable();
    void missingOrBrokenFilesAreSilent();
    void theFamilyFallsBackToAnInstalledChineseFont();
};

void TestPrivateFonts::fontFilesBesideTheProgramAreUsable()
{
    TestFolder world;
    QVERIFY(QFile::copy(DejaVu + QStringLiteral("DejaVuSans.ttf"), world.file(QStringLiteral("msyh.TTF"))));
    QVERIFY(QFile::copy(DejaVu + QStringLiteral("DejaVuSans-Bold.ttf"),
                        world.file(QStringLiteral("msyhbd.TTF"))));
    PrivateFonts fonts;
    fonts.add();
    QCOMPARE(fonts.addedCount(), 2);
    fonts.remove();
    QCOMPARE(fonts.addedCount(), 0);
    // Adding again after removal works: nothing was left registered twice.
    fonts.add();
    QCOMPARE(fonts.addedCount(), 2);
    fonts.remove();
}

void TestPrivateFonts::missingOrBrokenFilesAreSilent()
{
    TestFolder world;
    PrivateFonts fonts;
    fonts.add();
    QCOMPARE(fonts.addedCount(), 0);
    fonts.remove();
    world.writeFile(QStringLiteral("msyh.TTF"), QByteArray("not a font"));
    QVERIFY(QFile::copy(DejaVu + QStringLiteral("DejaVuSans-Bold.ttf"),
                        world.file(QStringLiteral("msyhbd.TTF"))));
    fonts.add();
    QCOMPARE(fonts.addedCount(), 1);
    fonts.remove();
}

void TestPrivateFonts::theFamilyFallsBackToAnInstalledChineseFont()
{
    TestFolder world;
    PrivateFonts fonts;
    fonts.add();
    const QFontInfo info(QFont(QStringLiteral("微软雅黑")));
    fonts.remove();
    QVERIFY2(info.family().contains(QStringLiteral("WenQuanYi")) ||
                 info.family().contains(QStringLiteral("Noto")),
             qPrintable(info.family()));
}

QTEST_MAIN(TestPrivateFonts)
#include "tst_privatefonts.moc"
