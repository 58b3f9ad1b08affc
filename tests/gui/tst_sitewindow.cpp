#include "RecordKit.h"
#include "gui/SiteWindow.h"
#include "platform/Maker.h"
#include "sites/Session.h"

#include <QAbstractItemView>

using namespace RecordKit;

class TestModifyWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadShowsValuesAsTyped();
    void modifyAndDetailModes();
    void siteSaveKeepsCredentialsAsTyped();
    void eachSaveChangesOnlyItsColumns_data();
    void eachSaveChangesOnlyItsColumns();
    void dateSaveChecks();
    void storedYearOutsideTheListsIsSavedBack();
    void emptyDateIsLeftToChoose();
    void staleWindowNeverSavesIntoAnotherSite();
    void recordUnderAnotherSecretKeyIsRefused();
    void openingAgainLoadsTheNewRecord();
    void unknownOrEmptyAddress();
    void untouchedRemarkIsSavedBackExactly();
    void closingRefreshesTheOpenersList();

private:
    void open(const QString &address, SiteWindow::Mode mode = SiteWindow::Mode::Modify);
    void add(const QString &number, const QString &address, const QString &remark = QString())
    {
        addThroughAddWindow(*m_dialogs, number, address, remark);
    }

    QScopedPointer<TestWorld> m_world;
    QScopedPointer<DialogRecorder> m_dialogs;
    QWidget *m_form = nullptr;
};

void TestModifyWindow::init()
{
    m_world.reset(new TestWorld(true));
    m_dialogs.reset(new DialogRecorder);
    connectRegister(*m_world);
    m_form = siteWindow();
}

void TestModifyWindow::cleanup()
{
    m_dialogs.reset();
    m_world.reset();
}

void TestModifyWindow::open(const QString &address, SiteWindow::Mode mode)
{
    siteWindow()->openRecord(address, mode);
    QVERIFY(siteWindow()->isVisible());
}

void TestModifyWindow::loadShowsValuesAsTyped()
{
    add("100001", "www.a.com", QStringLiteral("第一行\n 第二行 "));
    open("www.a.com");
    QCOMPARE(m_dialogs->count(), 0);
    QCOMPARE(siteWindow()->windowTitle(), QStringLiteral("网站资料修改"));
    QCOMPARE(edit(m_form, "siteNumberEdit")->text(), QStringLiteral("100001"));
    QCOMPARE(edit(m_form, "addressEdit")->text(), QStringLiteral("www.a.com"));
    // Spaces, Chinese and the site number inside a value all read back as typed.
    for (const auto &[field, value] : typedSite(QStringLiteral("100001")))
        QCOMPARE(edit(m_form, field)->text(), value);
    for (int i = 0; i < DateBoxes.size(); ++i)
        QCOMPARE(dateBox(m_form, i)->currentText(), TypedDates.at(i));
    QCOMPARE(control<QPlainTextEdit>(m_form, "remarkEdit")->toPlainText(),
             QStringLiteral("第一行\n 第二行 "));
}

void TestModifyWindow::modifyAndDetailModes()
{
    add("100001", "www.a.com");
    const QList<const char *> buttons = {
        "saveSiteButton",     "saveDatabaseButton",      "saveDatesButton",   "saveRemarkButton",
        "closeSiteButton",    "closeDatabaseButton",     "closeDatesButton",  "closeRemarkButton",
        "hostingRenewButton", "hostingRenewYearsButton", "domainRenewButton", "domainRenewYearsButton"};
    auto *memo = control<QPlainTextEdit>(m_form, "remarkEdit");
    QComboBox *year = combo(m_form, "hostingBoughtYearBox");

    open("www.a.com", SiteWindow::Mode::Modify);
    checkFrameAndLabels(siteWindow());
    checkTabOrder(m_form,
                  FieldEdits.mid(0, 12) + QStringList{"saveSiteButton", "closeSiteButton"} +
                      FieldEdits.mid(12) + QStringList{"saveDatabaseButton", "closeDatabaseButton"} +
                      DateBoxes.mid(0, 6) + QStringList{"hostingRenewButton", "hostingRenewYearsButton"} +
                      DateBoxes.mid(6) +
                      QStringList{"domainRenewButton", "domainRenewYearsButton", "saveDatesButton",
                                  "closeDatesButton", "remarkEdit", "saveRemarkButton", "closeRemarkButton"});
    for (const char *button : buttons)
        QVERIFY2(control(m_form, button)->isEnabled(), button);
    for (QLineEdit *field : fieldEdits(m_form)) {
        const bool keyField = field->objectName() == "siteNumberEdit" || field->objectName() == "addressEdit";
        QCOMPARE(field->isReadOnly(), keyField);
    }
    QVERIFY(!memo->isReadOnly());
    // Dates are chosen, never typed.
    year->setFocus();
    QTest::keyClicks(year, QStringLiteral("1999"));
    QCOMPARE(year->currentText(), QStringLiteral("2010"));
    QTest::keyClick(year, Qt::Key_Down);
    QCOMPARE(year->currentText(), QStringLiteral("2011"));

    open("www.a.com", SiteWindow::Mode::Detail);
    QCOMPARE(siteWindow()->windowTitle(), QStringLiteral("网站资料详细查询"));
    for (const char *button : buttons)
        QVERIFY2(!control(m_form, button)->isEnabled(), button);
    for (QLineEdit *field : fieldEdits(m_form))
        QVERIFY2(field->isReadOnly(), qPrintable(field->objectName()));
    QVERIFY(memo->isReadOnly());
    QCOMPARE(year->currentText(), QStringLiteral("2010"));
    year->setFocus();
    QTest::keyClick(year, Qt::Key_Down);
    QTest::mouseClick(year, Qt::LeftButton);
    QCOMPARE(year->currentText(), QStringLiteral("2010"));
    QVERIFY(!year->view()->isVisible());
    QTest::keyClicks(edit(m_form, "adminPasswordEdit"), QStringLiteral("x"));
    QCOMPARE(edit(m_form, "adminPasswordEdit")->text(), QStringLiteral("abc100001x"));

    // The close box still closes it.
    siteWindow()->close();
    QVERIFY(!siteWindow()->isVisible());
}

// The record rules themselves are the core's; here the window's part: the session's key, and
// credentials shown as typed going back unchanged.
void TestModifyWindow::siteSaveKeepsCredentialsAsTyped()
{
    setSecretKey(QStringLiteral("钥匙"));
    QCOMPARE(session().secretKey(), QStringLiteral("钥匙"));
    add("100001", "www.a.com");
    const QString number = QStringLiteral("100001");
    open("www.a.com");
    QCOMPARE(edit(m_form, "domainUserEdit")->text(), QStringLiteral(" 域名用户 "));
    edit(m_form, "contactEdit")->setText(QStringLiteral("  李四 "));
    click(m_form, "saveSiteButton");
    expectMessage(*m_dialogs, QStringLiteral("网站资料"), QStringLiteral("数据修改成功"),
                  Dialogs::Icon::Exclamation);
    QCOMPARE(stored(*m_world, number, "web_linkman").toString(), QStringLiteral("李四"));
    QCOMPARE(unscrambled(*m_world, number, "web_user"), bytes(QStringLiteral(" 管理员 100001")));
    QCOMPARE(unscrambled(*m_world, number, "web_pass"), bytes(QStringLiteral("abc100001x100001")));
    QCOMPARE(unscrambled(*m_world, number, "web_domainuser"), bytes(QStringLiteral(" 域名用户 100001钥匙")));

    click(m_form, "saveDatabaseButton");
    expectMessage(*m_dialogs, QStringLiteral("数据库资料"), QStringLiteral("数据修改成功"),
                  Dialogs::Icon::Exclamation);
    QCOMPARE(unscrambled(*m_world, number, "web_dbpass"), bytes(QStringLiteral("100001pass100001")));
}

void TestModifyWindow::eachSaveChangesOnlyItsColumns_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("site") << "saveSiteButton"
                          << "网站资料" << SiteColumns;
    QTest::newRow("database") << "saveDatabaseButton"
                              << "数据库资料" << DatabaseColumns;
    QTest::newRow("dates") << "saveDatesButton"
                           << "日期资料" << DateColumns;
    QTest::newRow("remark") << "saveRemarkButton"
                            << "备注资料" << QStringList{"web_remark"};
}

void TestModifyWindow::eachSaveChangesOnlyItsColumns()
{
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QStringList, columns);
    add("100001", "www.a.com", "old");
    open("www.a.com");
    // Every section changed on screen; only the saved one may reach the register.
    for (QLineEdit *field : fieldEdits(m_form))
        if (!field->isReadOnly() && field->isEnabled())
            field->setText(field->text() + QStringLiteral("改"));
    for (int i = 0; i < DateBoxes.size(); ++i)
        dateBox(m_form, i)->setCurrentText(i % 3 == 0 ? QStringLiteral("2012") : QStringLiteral("2"));
    control<QPlainTextEdit>(m_form, "remarkEdit")->setPlainText(QStringLiteral("new"));

    const QStringList before = rowSnapshot(*m_world, QStringLiteral("100001"), AllColumns);
    click(m_form, qPrintable(button));
    expectMessage(*m_dialogs, caption, QStringLiteral("数据修改成功"), Dialogs::Icon::Exclamation);
    const QStringList after = rowSnapshot(*m_world, QStringLiteral("100001"), AllColumns);
    for (int i = 0; i < AllColumns.size(); ++i) {
        const bool saved = columns.contains(AllColumns.at(i));
        QVERIFY2((before.at(i) != after.at(i)) == saved, qPrintable(AllColumns.at(i)));
    }
}

// Which dates are in order is the record's rule; here its refusals under this window's caption,
// and a date that is no real date, which the record cannot hold, refused before the register.
void TestModifyWindow::dateSaveChecks()
{
    add("100001", "www.a.com");
    open("www.a.com");
    const QString caption = QStringLiteral("日期资料");
    const auto setDate = [this](const QString &date, const QString &y, const QString &m, const QString &d) {
        combo(m_form, qPrintable(date + "YearBox"))->setCurrentText(y);
        combo(m_form, qPrintable(date + "MonthBox"))->setCurrentText(m);
        combo(m_form, qPrintable(date + "DayBox"))->setCurrentText(d);
    };
    const QStringList before = rowSnapshot(*m_world, QStringLiteral("100001"), DateColumns);
    setDate("hostingExpires", "2010", "11", "30");
    click(m_form, "saveDatesButton");
    expectMessage(*m_dialogs, caption, QStringLiteral("网站到期时间不能小网站申请日期"),
                  Dialogs::Icon::Error);
    setDate("hostingExpires", "2011", "1", "1");
    setDate("domainExpires", "2009", "12", "31");
    click(m_form, "saveDatesButton");
    expectMessage(*m_dialogs, caption, QStringLiteral("域名到期时间不能小域名申请日期"),
                  Dialogs::Icon::Error);
    setDate("domainExpires", "2011", "2", "30");
    click(m_form, "saveDatesButton");
    expectMessage(*m_dialogs, caption, QStringLiteral("数据修改出错"), Dialogs::Icon::Error);
    QCOMPARE(rowSnapshot(*m_world, QStringLiteral("100001"), DateColumns), before);
}

void TestModifyWindow::storedYearOutsideTheListsIsSavedBack()
{
    add("100001", "www.a.com");
    m_world->exec("update t_webinfo set web_time='1999-05-06', web_endtime='3500-01-02'");
    open("www.a.com");
    QCOMPARE(m_dialogs->count(), 0);
    QCOMPARE(combo(m_form, "hostingBoughtYearBox")->currentText(), QStringLiteral("1999"));
    QCOMPARE(combo(m_form, "hostingBoughtMonthBox")->currentText(), QStringLiteral("5"));
    QCOMPARE(combo(m_form, "hostingExpiresYearBox")->currentText(), QStringLiteral("3500"));
    click(m_form, "saveDatesButton");
    expectMessage(*m_dialogs, QStringLiteral("日期资料"), QStringLiteral("数据修改成功"),
                  Dialogs::Icon::Exclamation);
    QCOMPARE(stored(*m_world, "100001", "web_time").toString(), QStringLiteral("1999-05-06"));
    QCOMPARE(stored(*m_world, "100001", "web_endtime").toString(), QStringLiteral("3500-01-02"));
}

void TestModifyWindow::emptyDateIsLeftToChoose()
{
    add("100001", "www.a.com", "remark of a");
    m_world->exec("update t_webinfo set web_domaintime=NULL where web_id='100001'");
    open("www.a.com");
    expectMessage(
        *m_dialogs, QStringLiteral("日期资料"),
        QStringLiteral("此网站以下日期为空或无法读取：\r网站域名申请时间\r请选择日期后保存日期资料"),
        Dialogs::Icon::Exclamation);
    QCOMPARE(combo(m_form, "domainRegisteredYearBox")->currentText(), QString());
    QCOMPARE(combo(m_form, "domainExpiresDayBox")->currentText(), QStringLiteral("30"));
    QCOMPARE(control<QPlainTextEdit>(m_form, "remarkEdit")->toPlainText(), QStringLiteral("remark of a"));

    // Left empty it stays empty; half chosen it is refused; chosen whole it is stored.
    const auto saveDates = [this](const QString &text, Dialogs::Icon icon) {
        click(m_form, "saveDatesButton");
        expectMessage(*m_dialogs, QStringLiteral("日期资料"), text, icon);
    };
    saveDates(QStringLiteral("数据修改成功"), Dialogs::Icon::Exclamation);
    QVERIFY(stored(*m_world, "100001", "web_domaintime").isNull());
    combo(m_form, "domainRegisteredYearBox")->setCurrentText("2009");
    saveDates(QStringLiteral("网站域名申请时间不完整，请选择年、月、日"), Dialogs::Icon::Error);
    combo(m_form, "domainRegisteredMonthBox")->setCurrentText("12");
    combo(m_form, "domainRegisteredDayBox")->setCurrentText("31");
    saveDates(QStringLiteral("数据修改成功"), Dialogs::Icon::Exclamation);
    QCOMPARE(stored(*m_world, "100001", "web_domaintime").toString(), QStringLiteral("2009-12-31"));
}

void TestModifyWindow::staleWindowNeverSavesIntoAnotherSite()
{
    add("100002", "www.a.com");
    open("www.a.com");
    // The site on screen is deleted from the list and another added at its address.
    m_world->exec("delete from t_webinfo");
    add("100001", "www.a.com", "new");
    const QStringList newSite = rowSnapshot(*m_world, QStringLiteral("100001"), AllColumns);
    control<QPlainTextEdit>(m_form, "remarkEdit")->setPlainText(QStringLiteral("old"));
    click(m_form, "saveRemarkButton");
    QCOMPARE(m_dialogs->count(), 1);
    expectMessage(
        *m_dialogs, QStringLiteral("备注资料"),
        QStringLiteral("备注资料未保存：此网站已在另一处被修改或删除\r已重新读取此网站，请核对后再修改"),
        Dialogs::Icon::Error);
    QCOMPARE(rowSnapshot(*m_world, QStringLiteral("100001"), AllColumns), newSite);
    // The window now shows the site that has the address.
    QCOMPARE(edit(m_form, "siteNumberEdit")->text(), QStringLiteral("100001"));
    QCOMPARE(control<QPlainTextEdit>(m_form, "remarkEdit")->toPlainText(), QStringLiteral("new"));
}

void TestModifyWindow::recordUnderAnotherSecretKeyIsRefused()
{
    add("100001", "www.a.com", "remark");
    open("www.a.com");
    QCOMPARE(m_dialogs->count(), 0); // readable while no key is set
    siteWindow()->hide();
    setSecretKey(QStringLiteral("k2"));
    QCOMPARE(session().secretKey(), QStringLiteral("k2"));

    open("www.a.com");
    expectMessage(*m_dialogs, QStringLiteral("提示"), QStringLiteral("读取详细数据失败"),
                  Dialogs::Icon::Error);
    for (QLineEdit *field : fieldEdits(m_form))
        QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    QVERIFY(control<QPlainTextEdit>(m_form, "remarkEdit")->toPlainText().isEmpty());
    QCOMPARE(combo(m_form, "hostingBoughtYearBox")->currentText(), QStringLiteral("2010"));
    expectEverySaveRefused(*m_world, *m_dialogs, m_form);
}

void TestModifyWindow::openingAgainLoadsTheNewRecord()
{
    add("100001", "www.a.com", "a");
    add("100002", "www.b.com", "b");
    const QStringList rowA = rowSnapshot(*m_world, QStringLiteral("100001"), AllColumns);
    open("www.a.com", SiteWindow::Mode::Detail);
    siteWindow()->openRecord(QStringLiteral("WWW.B.COM"), SiteWindow::Mode::Modify);
    QCOMPARE(siteWindow()->windowTitle(), QStringLiteral("网站资料修改"));
    QCOMPARE(edit(m_form, "siteNumberEdit")->text(), QStringLiteral("100002"));
    QCOMPARE(edit(m_form, "siteNameEdit")->text(), QStringLiteral("站点100002"));
    QCOMPARE(control<QPlainTextEdit>(m_form, "remarkEdit")->toPlainText(), QStringLiteral("b"));
    edit(m_form, "siteNameEdit")->setText(QStringLiteral("changed"));
    click(m_form, "saveSiteButton");
    QCOMPARE(stored(*m_world, "100002", "web_name").toString(), QStringLiteral("changed"));
    QCOMPARE(rowSnapshot(*m_world, QStringLiteral("100001"), AllColumns), rowA);
}

void TestModifyWindow::unknownOrEmptyAddress()
{
    siteWindow()->openRecord(QString(), SiteWindow::Mode::Modify);
    QVERIFY(!siteWindow()->isVisible());
    QCOMPARE(m_dialogs->count(), 0);

    add("100001", "www.a.com");
    open("www.a.com");
    open("www.nosuch.com");
    expectMessage(*m_dialogs, QStringLiteral("提示"),
                  QStringLiteral("数据查询出错") + Maker::shortContactBlock(), Dialogs::Icon::Error);
    QVERIFY(edit(m_form, "siteNumberEdit")->text().isEmpty());
    QVERIFY(edit(m_form, "adminPasswordEdit")->text().isEmpty());
    QVERIFY(edit(m_form, "databasePasswordEdit")->text().isEmpty());
    QVERIFY(dateBox(m_form, 0)->currentText().isEmpty());
    QCOMPARE(edit(m_form, "addressEdit")->text(), QStringLiteral("www.nosuch.com"));
    expectEverySaveRefused(*m_world, *m_dialogs, m_form);
}

void TestModifyWindow::untouchedRemarkIsSavedBackExactly()
{
    add("100001", "www.a.com");
    m_world->exec("update t_webinfo set web_remark='first\r\nsecond\rthird '");
    const QString remark = QStringLiteral("first\r\nsecond\rthird ");
    open("www.a.com");
    click(m_form, "saveRemarkButton");
    expectMessage(*m_dialogs, QStringLiteral("备注资料"), QStringLiteral("数据修改成功"),
                  Dialogs::Icon::Exclamation);
    QCOMPARE(stored(*m_world, "100001", "web_remark").toString(), remark);

    // Once edited, the remark is saved as it now stands.
    control<QPlainTextEdit>(m_form, "remarkEdit")->appendPlainText(QStringLiteral("\u00a0fourth"));
    click(m_form, "saveRemarkButton");
    QCOMPARE(stored(*m_world, "100001", "web_remark").toString(),
             QStringLiteral("first\nsecond\nthird \n\u00a0fourth"));
}

void TestModifyWindow::closingRefreshesTheOpenersList()
{
    add("100001", "www.a.com");
    Query *mainList = siteRegister()->mainList();
    open("www.a.com");
    QVERIFY(!mainList->isOpen());
    click(m_form, "closeRemarkButton");
    QVERIFY(!siteWindow()->isVisible());
    QVERIFY(mainList->isOpen());
    QCOMPARE(mainList->recordCount(), 1);

    // Opened from the expiry list: that list is refreshed, not the main one.
    mainList->close();
    siteWindow()->openRecord(QStringLiteral("www.a.com"), SiteWindow::Mode::Detail, true);
    siteWindow()->close();
    QVERIFY(!mainList->isOpen());

    // Once the expiry list has gone, or the main window opens it, the main list is refreshed again.
    siteWindow()->openRecord(QStringLiteral("www.a.com"), SiteWindow::Mode::Detail, true);
    siteWindow()->clearExpiryMarker();
    siteWindow()->close();
    QVERIFY(mainList->isOpen());
    mainList->close();
    siteWindow()->openRecord(QStringLiteral("www.a.com"), SiteWindow::Mode::Detail, true);
    siteWindow()->openRecord(QStringLiteral("www.a.com"), SiteWindow::Mode::Modify);
    siteWindow()->close();
    QVERIFY(mainList->isOpen());
}

QTEST_MAIN(TestModifyWindow)
#include "tst_sitewindow.moc"
