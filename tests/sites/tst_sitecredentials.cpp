#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"
#include "sites/SiteCredentials.h"

#include <QTest>

class TestSiteCredentials : public QObject
{
    Q_OBJECT

private slots:
    void readingRemovesOnlyTheAppendedNumber_data();
    void readingRemovesOnlyTheAppendedNumber();
    void domainUserNeedsTheCurrentKey();
};

void TestSiteCredentials::readingRemovesOnlyTheAppendedNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("plain") << QStringLiteral("secret");
    QTest::newRow("number inside") << QStringLiteral("abc100001x");
    QTest::newRow("number at the start") << QStringLiteral("100001abc");
    QTest::newRow("number twice at the end") << QStringLiteral("x100001");
    QTest::newRow("only the number") << QStringLiteral("100001");
    QTest::newRow("spaces both ends") << QStringLiteral("  pass word  ");
    QTest::newRow("Chinese") << QStringLiteral("数据库密码");
    QTest::newRow("empty") << QString();
}

void TestSiteCredentials::readingRemovesOnlyTheAppendedNumber()
{
    QFETCH(QString, typed);
    const QString number = QStringLiteral("100001");
    QCOMPARE(SiteCredentials::read(SiteCredentials::scramble(typed, number), number), typed);
    QString user;
    QVERIFY(SiteCredentials::readDomainUser(SiteCredentials::scramble(typed, number, QStringLiteral("k1")),
                                            number, QStringLiteral("k1"), user));
    QCOMPARE(user, typed);
}

void TestSiteCredentials::domainUserNeedsTheCurrentKey()
{
    const QString number = QStringLiteral("100001");
    const QByteArray underKey =
        SiteCredentials::scramble(QStringLiteral("admin"), number, QStringLiteral("密钥"));
    QString user = QStringLiteral("untouched");
    QVERIFY(!SiteCredentials::readDomainUser(underKey, number, QStringLiteral("other"), user));
    QVERIFY(!SiteCredentials::readDomainUser(underKey, number, QStringLiteral("密"), user));
    // A key the stored one merely ends with is another key.
    QVERIFY(!SiteCredentials::readDomainUser(underKey, number, QStringLiteral("钥"), user));
    QCOMPARE(user, QStringLiteral("untouched"));
    // Saved without a key: readable while no key is set, refused once one is.
    const QByteArray noKey = SiteCredentials::scramble(QStringLiteral("admin"), number);
    QVERIFY(SiteCredentials::readDomainUser(noKey, number, QString(), user));
    QCOMPARE(user, QStringLiteral("admin"));
    QVERIFY(!SiteCredentials::readDomainUser(noKey, number, QStringLiteral("k"), user));
    // With no key set every value is readable; the appended key then stays part of the name.
    QVERIFY(SiteCredentials::readDomainUser(underKey, number, QString(), user));
    QCOMPARE(user, QStringLiteral("admin100001密钥"));
    // Nothing stored at all.
    QVERIFY(!SiteCredentials::readDomainUser(QByteArray(), number, QStringLiteral("k"), user));
}

QTEST_APPLESS_MAIN(TestSiteCredentials)
#include "tst_sitecredentials.moc"
