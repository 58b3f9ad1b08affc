#include "RecordKit.h"
#include "gui/AddSiteWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>

#include <functional>

using namespace RecordKit;

class TestAddWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void checksRunInOrder();
    void siteNumberLength_data();
    void siteNumberLength();
    void valuesAreStoredAsTyped();
    void duplicateAddressInOtherLetterCase();
    void remarkIsStoredExactly();
    void impossibleDateIsRefused_data();
    void impossibleDateIsRefused();
    void datePickers();
    void siteNumberField();
    void clearAsksFirst();
    void closingEmptiesAndRefreshesMainList();
    void windowFrameAndLabels();

private:
    void fill(const QString &siteNumber, const QString &address);
    void choose(const char *box, const QString &item);
    void expectLast(const QString &text, Dialogs::Icon icon);

    QScopedPointer<TestWorld> m_world;
    QScopedPointer<DialogRecorder> m_dialogs;
    QWidget *m_form = nullptr;
};

void TestAddWindow::init()
{
    m_world.reset(new TestWorld(true));
    m_dialogs.reset(new DialogRecorder);
    connectRegister(*m_world);
    m_form = addSiteWindow();
    addSiteWindow()->show();
}

void TestAddWindow::cleanup()
{
    m_dialogs.reset();
    m_world.reset();
}

void TestAddWindow::fill(const QString &siteNumber, const QString &address)
{
    edit(m_form, "siteNumberEdit")->setText(siteNumber);
    edit(m_form, "addressEdit")->setText(address);
}

void TestAddWindow::choose(const char *name, const QString &item)
{
    QComboBox *box = combo(m_form, name);
    const int index = box->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    box->setCurrentIndex(index);
}

void TestAddWindow::expectLast(const QString &text, Dialogs::Icon icon)
{
    expectMessage(*m_dialogs, QStringLiteral("提示"), text, icon);
}

void TestAddWindow::checksRunInOrder()
{
    fill(QStringLiteral("100001"), QStringLiteral("www.a.com"));
    click(m_form, "addButton");
    expectLast(QStringLiteral("数据库添加成功"), Dialogs::Icon::Exclamation);

    // Every check fails at once; each press reports only the first one still failing.
    fill(QStringLiteral("12345"), QStringLiteral("www.a.com"));
    choose("hostingExpiresYearBox", QStringLiteral("2009"));
    choose("domainExpiresYearBox", QStringLiteral("2009"));
    const QList<QPair<QString, std::function<void()>>> steps = {
        {QStringLiteral("网站编号不能为空,并且位数不能小于6位"),
         [this] { edit(m_form, "siteNumberEdit")->setText(QStringLiteral("100001")); }},
        {QStringLiteral("此网站地址已经存在"),
         [this] { edit(m_form, "addressEdit")->setText(QStringLiteral("www.b.com")); }},
        {QStringLiteral("此网站编号已经存在"),
         [this] { edit(m_form, "siteNumberEdit")->setText(QStringLiteral("100002")); }},
        {QStringLiteral("网站到期时间不能小网站申请日期"),
         [this] { choose("hostingExpiresYearBox", QStringLiteral("2011")); }},
        {QStringLiteral("域名到期时间不能小域名申请日期"),
         [this] { choose("domainExpiresYearBox", QStringLiteral("2011")); }},
    };
    for (const auto &[message, mend] : steps) {
        m_dialogs->clear();
        click(m_form, "addButton");
        QCOMPARE(m_dialogs->count(), 1);
        expectLast(message, Dialogs::Icon::Error);
        QCOMPARE(rowCount(*m_world), 1);
        mend();
    }
    click(m_form, "addButton");
    expectLast(QStringLiteral("数据库添加成功"), Dialogs::Icon::Exclamation);
    QCOMPARE(rowCount(*m_world), 2);
    // A refusal leaves the input as it was, and so does a success.
    QCOMPARE(edit(m_form, "siteNumberEdit")->text(), QStringLiteral("100002"));
    QCOMPARE(edit(m_form, "addressEdit")->text(), QStringLiteral("www.b.com"));
}

void TestAddWindow::siteNumberLength_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks") << QStringLiteral("      ") << QString();
    QTest::newRow("5 digits") << QStringLiteral("12345") << QString();
    QTest::newRow("6 digits") << QStringLiteral("123456") << QStringLiteral("123456");
    QTest::newRow("pasted with spaces") << QStringLiteral(" 123456 ") << QStringLiteral("123456");
    QTest::newRow("5 bytes of Chinese") << QStringLiteral("编号1") << QString();
    QTest::newRow("6 bytes of Chinese") << QStringLiteral("编号12") << QStringLiteral("编号12");
}

void TestAddWindow::siteNumberLength()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    fill(typed, QStringLiteral("www.a.com"));
    click(m_form, "addButton");
    if (stored.isEmpty()) {
        expectLast(QStringLiteral("网站编号不能为空,并且位数不能小于6位"), Dialogs::Icon::Error);
        QCOMPARE(rowCount(*m_world), 0);
        return;
    }
    expectLast(QStringLiteral("数据库添加成功"), Dialogs::Icon::Exclamation);
    QCOMPARE(RecordKit::stored(*m_world, stored, QStringLiteral("web_id")).toString(), stored);
}

void TestAddWindow::valuesAreStoredAsTyped()
{
    const QString number = QStringLiteral("100001");
    const QList<QPair<const char *, QString>> credentials = {
        {"adminUserEdit", QStringLiteral("  管理员 ")},
        {"adminPasswordEdit", QStringLiteral(" abc100001x ")},
        {"domainUserEdit", QStringLiteral(" 域名用户 ")},
        {"domainPasswordEdit", QStringLiteral("密码 ")},
        {"databaseNameEdit", QStringLiteral("数据库 ")},
        {"databaseAddressEdit", QStringLiteral(" 地址 ")},
        {"databaseUserEdit", QStringLiteral("用户")},
        {"databasePasswordEdit", QStringLiteral(" 密 码 ")}};
    const QStringList columns = {"web_user",   "web_pass", "web_domainuser", "web_domainpass",
                                 "web_dbname", "web_dbip", "web_dbuser",     "web_dbpass"};
    const QList<QPair<const char *, QString>> plain = {
        {"siteNameEdit", QStringLiteral("  站点 名称  ")},
        {"adminAddressEdit", QStringLiteral(" http://a/admin ")},
        {"ipEdit", QStringLiteral(" 10.0.0.1")},
        {"domainEdit", QStringLiteral("a.com ")},
        {"contactEdit", QStringLiteral(" 张三 ")},
        {"siteSizeEdit", QStringLiteral(" 100M ")},
        {"databaseSizeEdit", QStringLiteral(" 50M")},
        {"databaseTypeEdit", QStringLiteral(" MySQL ")}};
    const QStringList plainColumns = {"web_name",    "web_login", "web_ip",     "web_domain",
                                      "web_linkman", "web_size",  "web_dbsize", "web_dbtype"};
    fill(QStringLiteral(" 100001 "), QStringLiteral("  www.a.com "));
    for (const auto &[field, value] : credentials)
        edit(m_form, field)->setText(value);
    for (const auto &[field, value] : plain)
        edit(m_form, field)->setText(value);
    // Each date to its own column; over a year end, and equal, they are in order.
    choose("hostingBoughtYearBox", QStringLiteral("2010"));
    choose("hostingBoughtMonthBox", QStringLiteral("12"));
    choose("hostingExpiresYearBox", QStringLiteral("2011"));
    choose("domainRegisteredYearBox", QStringLiteral("2011"));
    choose("domainRegisteredDayBox", QStringLiteral("7"));
    choose("domainExpiresYearBox", QStringLiteral("2011"));
    choose("domainExpiresDayBox", QStringLiteral("7"));
    click(m_form, "addButton");
    expectLast(QStringLiteral("数据库添加成功"), Dialogs::Icon::Exclamation);

    for (int i = 0; i < credentials.size(); ++i)
        QCOMPARE(unscrambled(*m_world, number, columns.at(i)), bytes(credentials.at(i).second + number));
    for (int i = 0; i < plain.size(); ++i)
        QCOMPARE(stored(*m_world, number, plainColumns.at(i)).toString(), plain.at(i).second.trimmed());
    QCOMPARE(stored(*m_world, number, QStringLiteral("web_address")).toString(), QStringLiteral("www.a.com"));
    QCOMPARE(stored(*m_world, number, QStringLiteral("web_time")).toString(), QStringLiteral("2010-12-01"));
    QCOMPARE(stored(*m_world, number, QStringLiteral("web_endtime")).toString(),
             QStringLiteral("2011-01-01"));
    QCOMPARE(stored(*m_world, number, QStringLiteral("web_domaintime")).toString(),
             QStringLiteral("2011-01-07"));
    QCOMPARE(stored(*m_world, number, QStringLiteral("web_enddomaintime")).toString(),
             QStringLiteral("2011-01-07"));
}

// The lookup binds the address: a quote in it is part of the address, and letter case is not.
void TestAddWindow::duplicateAddressInOtherLetterCase()
{
    const QString address = QStringLiteral("it's.Example.com");
    fill(QStringLiteral("100001"), address);
    click(m_form, "addButton");
    expectLast(QStringLiteral("数据库添加成功"), Dialogs::Icon::Exclamation);
    QCOMPARE(stored(*m_world, QStringLiteral("100001"), QStringLiteral("web_address")).toString(), address);
    fill(QStringLiteral("100002"), QStringLiteral("IT'S.EXAMPLE.COM"));
    click(m_form, "addButton");
    expectLast(QStringLiteral("此网站地址已经存在"), Dialogs::Icon::Error);
    QCOMPARE(rowCount(*m_world), 1);
}

void TestAddWindow::remarkIsStoredExactly()
{
    QString remark = QStringLiteral("  第一行 \n");
    while (remark.size() < 100000)
        remark +=
            QStringLiteral("line %1 with\ttab, a no-break\u00a0space\u2028and more\n").arg(remark.size());
    remark.truncate(100000);
    remark += QStringLiteral("\n\n  ");
    fill(QStringLiteral("100001"), QStringLiteral("www.a.com"));
    control<QPlainTextEdit>(m_form, "remarkEdit")->setPlainText(remark);
    click(m_form, "addButton");
    expectLast(QStringLiteral("数据库添加成功"), Dialogs::Icon::Exclamation);
    QCOMPARE(stored(*m_world, QStringLiteral("100001"), QStringLiteral("web_remark")).toString(), remark);
}

void TestAddWindow::impossibleDateIsRefused_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("partnerYear"); // moved on, so the dates stay in order
    QTest::newRow("hosting bought") << "hostingBought"
                                    << "hostingExpiresYearBox";
    QTest::newRow("hosting expires") << "hostingExpires" << QString();
    QTest::newRow("domain registered") << "domainRegistered"
                                       << "domainExpiresYearBox";
    QTest::newRow("domain expires") << "domainExpires" << QString();
}

void TestAddWindow::impossibleDateIsRefused()
{
    QFETCH(QString, date);
    QFETCH(QString, partnerYear);
    fill(QStringLiteral("100001"), QStringLiteral("www.a.com"));
    choose(qPrintable(date + "YearBox"), QStringLiteral("2011"));
    choose(qPrintable(date + "MonthBox"), QStringLiteral("2"));
    choose(qPrintable(date + "DayBox"), QStringLiteral("30"));
    if (!partnerYear.isEmpty())
        choose(qPrintable(partnerYear), QStringLiteral("2012"));
    click(m_form, "addButton");
    expectLast(QStringLiteral("数据添加失败"), Dialogs::Icon::Error);
    QCOMPARE(rowCount(*m_world), 0);
}

void TestAddWindow::datePickers()
{
    const QStringList initial = {"2010", "1", "1", "2011", "1", "1", "2010", "1", "1", "2011", "1", "1"};
    for (int i = 0; i < DateBoxes.size(); ++i) {
        QComboBox *box = dateBox(m_form, i);
        QVERIFY(!box->isEditable());
        QCOMPARE(box->currentText(), initial.at(i));
        const int kind = i % 3;
        QCOMPARE(box->count(), QList<int>({1001, 12, 31}).at(kind));
        QCOMPARE(box->itemText(0), QStringList({"2000", "1", "1"}).at(kind));
        QCOMPARE(box->itemText(box->count() - 1), QStringList({"3000", "12", "31"}).at(kind));
    }
    // Typing does not search the list; the arrow keys still choose.
    QComboBox *year = combo(m_form, "hostingBoughtYearBox");
    year->setFocus();
    QTest::keyClicks(year, QStringLiteral("2999"));
    QCOMPARE(year->currentText(), QStringLiteral("2010"));
    QTest::keyClick(year, Qt::Key_Down);
    QCOMPARE(year->currentText(), QStringLiteral("2011"));

    // The choice outlives clearing, exiting and showing again.
    m_dialogs->scriptAnswer(Dialogs::Answer::Ok);
    click(m_form, "clearButton");
    click(m_form, "closeButton");
    QVERIFY(!addSiteWindow()->isVisible());
    addSiteWindow()->show();
    QCOMPARE(year->currentText(), QStringLiteral("2011"));
}

void TestAddWindow::siteNumberField()
{
    QLineEdit *number = edit(m_form, "siteNumberEdit");
    const auto isStampOfNow = [](const QString &text) {
        const QDateTime when = QDateTime::fromString(text, QStringLiteral("yyyyMMddHHmmss"));
        return text.size() == 14 && when.isValid() && qAbs(when.secsTo(QDateTime::currentDateTime())) < 5;
    };
    QVERIFY2(isStampOfNow(number->text()), qPrintable(number->text()));

    number->clear();
    number->setFocus();
    QTest::keyClicks(number, QStringLiteral("1a2 b-3."));
    for (const QString &typed : {QStringLiteral("９"), QStringLiteral("中")}) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, typed);
        QApplication::sendEvent(number, &key);
    }
    QCOMPARE(number->text(), QStringLiteral("123"));
    QTest::keyClick(number, Qt::Key_Backspace);
    QCOMPARE(number->text(), QStringLiteral("12"));
    // Pasting is not filtered.
    QGuiApplication::clipboard()->setText(QStringLiteral(" x9 "));
    QTest::keyClick(number, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(number->text(), QStringLiteral("12 x9 "));

    // A click fills only an empty field.
    QTest::mouseClick(number, Qt::LeftButton);
    QCOMPARE(number->text(), QStringLiteral("12 x9 "));
    number->clear();
    QTest::mouseClick(number, Qt::LeftButton);
    QVERIFY2(isStampOfNow(number->text()), qPrintable(number->text()));

    // Every showing replaces what was typed.
    number->setText(QStringLiteral("777777"));
    addSiteWindow()->hide();
    addSiteWindow()->show();
    QVERIFY2(isStampOfNow(number->text()), qPrintable(number->text()));
}

void TestAddWindow::clearAsksFirst()
{
    for (const QString &field : FieldEdits)
        edit(m_form, qPrintable(field))->setText(field);
    auto *memo = control<QPlainTextEdit>(m_form, "remarkEdit");
    memo->setPlainText(QStringLiteral("remark"));
    choose("hostingExpiresMonthBox", QStringLiteral("6"));

    m_dialogs->scriptAnswer(Dialogs::Answer::Cancel);
    click(m_form, "clearButton");
    const DialogRecorder::Message question = m_dialogs->lastMessage();
    QCOMPARE(question.text, QStringLiteral("确定要清空吗？"));
    QCOMPARE(question.caption, QStringLiteral("提示"));
    QCOMPARE(question.icon, Dialogs::Icon::Question);
    QCOMPARE(question.buttons, Dialogs::Buttons::OkCancel);
    for (const QString &field : FieldEdits)
        QCOMPARE(edit(m_form, qPrintable(field))->text(), field);

    m_dialogs->scriptAnswer(Dialogs::Answer::Ok);
    click(m_form, "clearButton");
    for (const QString &field : FieldEdits)
        QVERIFY2(edit(m_form, qPrintable(field))->text().isEmpty(), qPrintable(field));
    QVERIFY(memo->toPlainText().isEmpty());
    QCOMPARE(combo(m_form, "hostingExpiresMonthBox")->currentText(), QStringLiteral("6"));
    QVERIFY(addSiteWindow()->isVisible());
}

void TestAddWindow::closingEmptiesAndRefreshesMainList()
{
    fill(QStringLiteral("100001"), QStringLiteral("www.a.com"));
    edit(m_form, "databasePasswordEdit")->setText(QStringLiteral("secret"));
    click(m_form, "addButton");
    QVERIFY(!siteRegister()->mainList()->isOpen());
    click(m_form, "closeButton");
    QVERIFY(!addSiteWindow()->isVisible());
    QVERIFY(edit(m_form, "siteNumberEdit")->text().isEmpty());
    QVERIFY(edit(m_form, "databasePasswordEdit")->text().isEmpty());
    QVERIFY(siteRegister()->mainList()->isOpen());
    QCOMPARE(siteRegister()->mainList()->recordCount(), 1);

    // The close box refreshes too.
    siteRegister()->mainList()->close();
    addSiteWindow()->show();
    fill(QStringLiteral("100002"), QStringLiteral("www.b.com"));
    click(m_form, "addButton");
    addSiteWindow()->close();
    QVERIFY(!addSiteWindow()->isVisible());
    QVERIFY(siteRegister()->mainList()->isOpen());
    QCOMPARE(siteRegister()->mainList()->recordCount(), 2);
}

void TestAddWindow::windowFrameAndLabels()
{
    checkFrameAndLabels(addSiteWindow());
    QCOMPARE(addSiteWindow()->windowTitle(), QStringLiteral("添加新网站"));
    // A screen reader announces each field by its label.
    for (const QLabel *label : m_form->findChildren<QLabel *>())
        if (qobject_cast<QLineEdit *>(label->buddy()))
            QCOMPARE(QAccessible::queryAccessibleInterface(label->buddy())->text(QAccessible::Name),
                     label->text());
    QCOMPARE(combo(m_form, "hostingExpiresMonthBox")->accessibleName(),
             QStringLiteral("网站空间到期时间：月"));
    checkTabOrder(m_form, FieldEdits + DateBoxes +
                              QStringList{"remarkEdit", "addButton", "clearButton", "closeButton"});
}

QTEST_MAIN(TestAddWindow)
#include "tst_addsitewindow.moc"
