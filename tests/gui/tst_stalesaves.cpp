#include "RecordKit.h"
#include "gui/SiteWindow.h"
#include "platform/Maker.h"
#include "sites/SiteStore.h"
#include "store/SiteRegister.h"

#include <memory>

using namespace RecordKit;

namespace {

const QString Address = QStringLiteral("www.a.com");

QString staleRefusal(const QString &section)
{
    return section + QStringLiteral("未保存：此网站已在另一处被修改或删除\r已重新读取此网站，请核对后再修改");
}

} // namespace

// Two desks on one register file: this program's site window, and another desk with a
// connection of its own. A window never writes over what the other desk saved or deleted
// after the window loaded the site.
class TestStaleSaves : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_world = std::make_unique<TestWorld>(true);
        m_dialogs = std::make_unique<DialogRecorder>();
        connectRegister(*m_world);
        addThroughAddWindow(*m_dialogs, QStringLiteral("100001"), Address, QStringLiteral("原备注"));
        m_otherDesk = std::make_unique<SiteRegister>();
        m_world->pointAt(*m_otherDesk->connection());
        siteWindow()->openRecord(Address, SiteWindow::Mode::Modify);
        QCOMPARE(m_dialogs->count(), 0);
    }
    void cleanup()
    {
        m_otherDesk.reset();
        m_dialogs.reset();
        m_world.reset();
    }

    void saveOverAnotherDesksSaveIsRefusedAndReloads()
    {
        LoadedSite site = SiteStore::load(*m_otherDesk->siteLoad(), Address, QString());
        site.record.setText(SiteField::Name, QStringLiteral("另一处的名称"));
        site.record.setText(SiteField::Contact, QStringLiteral("李四"));
        QCOMPARE(SiteStore::saveSection(*m_otherDesk->siteSaves(), SiteSection::Site, site.row, site.record,
                                        QString()),
                 1);
        const QStringList otherDesksRow = rowSnapshot(*m_world, QStringLiteral("100001"), AllColumns);

        edit(siteWindow(), "siteNameEdit")->setText(QStringLiteral("这里的名称"));
        click(siteWindow(), "saveSiteButton");
        QCOMPARE(m_dialogs->count(), 1);
        expectMessage(*m_dialogs, QStringLiteral("网站资料"), staleRefusal(QStringLiteral("网站资料")),
                      Dialogs::Icon::Error);
        QCOMPARE(rowSnapshot(*m_world, QStringLiteral("100001"), AllColumns), otherDesksRow);
        QCOMPARE(edit(siteWindow(), "siteNameEdit")->text(), QStringLiteral("另一处的名称"));
        QCOMPARE(edit(siteWindow(), "contactEdit")->text(), QStringLiteral("李四"));

        // Read again, the window saves on top of the other desk's change, which the other
        // desk's own window, loaded before, can no longer overwrite.
        edit(siteWindow(), "siteNameEdit")->setText(QStringLiteral("这里的名称"));
        click(siteWindow(), "saveSiteButton");
        expectMessage(*m_dialogs, QStringLiteral("网站资料"), QStringLiteral("数据修改成功"),
                      Dialogs::Icon::Exclamation);
        QCOMPARE(stored(*m_world, "100001", "web_name").toString(), QStringLiteral("这里的名称"));
        QCOMPARE(stored(*m_world, "100001", "web_linkman").toString(), QStringLiteral("李四"));
        QCOMPARE(SiteStore::saveSection(*m_otherDesk->siteSaves(), SiteSection::Remark, site.row, site.record,
                                        QString()),
                 0);
        QCOMPARE(stored(*m_world, "100001", "web_remark").toString(), QStringLiteral("原备注"));
    }

    void siteDeletedElsewhereIsNotWrittenBack()
    {
        Query *list = m_otherDesk->mainList();
        list->open();
        list->deleteRows({0});
        QCOMPARE(rowCount(*m_world), 0);

        click(siteWindow(), "saveDatabaseButton");
        // Read again, the site is found nowhere: the window says so as any failed load does.
        const QList<DialogRecorder::Message> messages = m_dialogs->messages();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].caption, QStringLiteral("数据库资料"));
        QCOMPARE(messages[0].text, staleRefusal(QStringLiteral("数据库资料")));
        QCOMPARE(messages[1].text, QStringLiteral("数据查询出错") + Maker::shortContactBlock());
        QVERIFY(edit(siteWindow(), "databasePasswordEdit")->text().isEmpty());
        QCOMPARE(rowCount(*m_world), 0);
        expectEverySaveRefused(*m_world, *m_dialogs, siteWindow());
        QCOMPARE(rowCount(*m_world), 0);
    }

private:
    std::unique_ptr<TestWorld> m_world;
    std::unique_ptr<DialogRecorder> m_dialogs;
    std::unique_ptr<SiteRegister> m_otherDesk;
};

QTEST_MAIN(TestStaleSaves)
#include "tst_stalesaves.moc"
