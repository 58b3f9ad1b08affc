#include "RecordKit.h"
#include "gui/SiteWindow.h"

using namespace RecordKit;

namespace {

// A plain and a scrambled field from each section with text fields, as the add and the
// modify window name them, with the column each is stored in; and the remark.
const QList<QPair<const char *, const char *>> PlainFields = {{"siteNameEdit", "web_name"},
                                                              {"databaseSizeEdit", "web_dbsize"}};
const QList<QPair<const char *, const char *>> ScrambledFields = {{"adminUserEdit", "web_user"},
                                                                  {"databaseNameEdit", "web_dbname"}};
const QString SiteNumber = QStringLiteral("100001");
const QString Address = QStringLiteral("www.a.com");

void typeEverywhere(QWidget *window, const QString &text)
{
    for (const auto &[field, column] : PlainFields + ScrambledFields)
        edit(window, field)->setText(text);
    control<QPlainTextEdit>(window, "remarkEdit")->setPlainText(text);
}

void addSiteWith(const QString &text)
{
    addSiteWindow()->show();
    edit(addSiteWindow(), "siteNumberEdit")->setText(SiteNumber);
    edit(addSiteWindow(), "addressEdit")->setText(Address);
    typeEverywhere(addSiteWindow(), text);
    click(addSiteWindow(), "addButton");
}

// The saves of the modify window's site, database and remark sections.
void saveTextSections()
{
    for (const char *save : {"saveSiteButton", "saveDatabaseButton", "saveRemarkButton"})
        click(siteWindow(), save);
}

QStringList columnsNotHolding(const TestWorld &world, const QString &text)
{
    QStringList wrong;
    for (const auto &[field, column] : PlainFields)
        if (storedText(world, SiteNumber, column) != text)
            wrong << QLatin1String(column);
    if (storedText(world, SiteNumber, QStringLiteral("web_remark")) != text)
        wrong << QStringLiteral("web_remark");
    for (const auto &[field, column] : ScrambledFields)
        if (unscrambled(world, SiteNumber, column) != bytes(text + SiteNumber))
            wrong << QLatin1String(column);
    return wrong;
}

} // namespace

// What the user types is what the register keeps, in the add window and in the modify window's saves.
class TestWholeTexts : public QObject
{
    Q_OBJECT

private slots:
    void textsAreStoredExactly_data();
    void textsAreStoredExactly();
};

void TestWholeTexts::textsAreStoredExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("past 32,767 characters") << QString(40000, QLatin1Char('x')) + QStringLiteral("尾");
    QTest::newRow("leading U+FEFF") << QStringLiteral("\uFEFF站点");
}

void TestWholeTexts::textsAreStoredExactly()
{
    QFETCH(QString, text);
    TestWorld world;
    DialogRecorder dialogs;
    connectRegister(world);

    addSiteWith(text);
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("数据库添加成功")});
    QCOMPARE(columnsNotHolding(world, text), QStringList());

    siteWindow()->openRecord(Address, SiteWindow::Mode::Modify);
    const QString changed = text + QStringLiteral("改");
    typeEverywhere(siteWindow(), changed);
    dialogs.clear();
    saveTextSections();
    QCOMPARE(dialogs.texts(), QStringList(3, QStringLiteral("数据修改成功")));
    QCOMPARE(columnsNotHolding(world, changed), QStringList());
}

QTEST_MAIN(TestWholeTexts)
#include "tst_wholetexts.moc"
