// The windows' own handlers while another program (the sqlite3 tool) holds db.mdb in a
// transaction: each shows its own failure message within the busy timeout, changes
// nothing, and works on the next click once the other program lets go.
#include "DialogRecorder.h"
#include "LockingProgram.h"
#include "RecordKit.h"
#include "TestWorld.h"

#include "gui/SettingsWindow.h"
#include "gui/SiteWindow.h"
#include "platform/Maker.h"

#include <QElapsedTimer>
#include <QStandardPaths>

#include <memory>

using namespace RecordKit;

namespace {

// The register's busy timeout (two seconds) and room for a slow machine.
const int Patience = 4000;

} // namespace

class TestLockedWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestWorld> m_world;
    std::unique_ptr<DialogRecorder> m_dialogs;

    // Clicks the button and says how long the handler took.
    qint64 timedClick(QWidget *window, const char *button)
    {
        QElapsedTimer timer;
        timer.start();
        click(window, button);
        return timer.elapsed();
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            QSKIP("the sqlite3 tool is not installed");
    }
    void init()
    {
        m_world = std::make_unique<TestWorld>();
        m_dialogs = std::make_unique<DialogRecorder>();
        connectRegister(*m_world);
        addThroughAddWindow(*m_dialogs, QStringLiteral("100001"), QStringLiteral("www.a.cn"));
        addThroughAddWindow(*m_dialogs, QStringLiteral("100002"), QStringLiteral("www.b.cn"));
    }
    void cleanup()
    {
        m_dialogs.reset();
        m_world.reset();
    }

    void sectionSave()
    {
        siteWindow()->openRecord(QStringLiteral("www.a.cn"), SiteWindow::Mode::Modify);
        edit(siteWindow(), "siteNameEdit")->setText(QStringLiteral("改过的名称"));
        const QString before =
            stored(*m_world, QStringLiteral("100001"), QStringLiteral("web_name")).toString();
        {
            LockingProgram other(m_world->databasePath(), LockingProgram::Write);
            QVERIFY(other.holding());
            m_dialogs->clear();
            const qint64 took = timedClick(siteWindow(), "saveSiteButton");
            QVERIFY2(took < Patience, qPrintable(QString::number(took)));
            expectMessage(*m_dialogs, QStringLiteral("网站资料"), QStringLiteral("数据修改出错"),
                          Dialogs::Icon::Error);
        }
        QCOMPARE(stored(*m_world, QStringLiteral("100001"), QStringLiteral("web_name")).toString(), before);
        click(siteWindow(), "saveSiteButton");
        expectMessage(*m_dialogs, QStringLiteral("网站资料"), QStringLiteral("数据修改成功"),
                      Dialogs::Icon::Exclamation);
        QCOMPARE(stored(*m_world, QStringLiteral("100001"), QStringLiteral("web_name")).toString(),
                 QStringLiteral("改过的名称"));
        // The other program's change stands beside it.
        QCOMPARE(stored(*m_world, QStringLiteral("100001"), QStringLiteral("web_remark")).toString(),
                 QStringLiteral("其他程序"));
    }

    void listRefresh()
    {
        {
            LockingProgram other(m_world->databasePath(), LockingProgram::Exclusive);
            QVERIFY(other.holding());
            m_dialogs->clear();
            const qint64 took = timedClick(mainWindow(), "sBitBtn1");
            QVERIFY2(took < Patience, qPrintable(QString::number(took)));
            expectMessage(*m_dialogs, QStringLiteral("提示"), QStringLiteral("数据刷新出错"),
                          Dialogs::Icon::Error);
        }
        m_dialogs->clear();
        click(mainWindow(), "sBitBtn1");
        QCOMPARE(m_dialogs->count(), 0);
        QCOMPARE(control<QLabel>(mainWindow(), "sLabel3")->text(), QStringLiteral("2"));
    }

    void compaction()
    {
        const QByteArray before = m_world->readFile(QStringLiteral("db.mdb"));
        {
            LockingProgram other(m_world->databasePath(), LockingProgram::Exclusive);
            QVERIFY(other.holding());
            m_dialogs->clear();
            const qint64 took = timedClick(settingsWindow(), "sBitBtn3");
            QVERIFY2(took < Patience, qPrintable(QString::number(took)));
            expectMessage(*m_dialogs, QStringLiteral("提示"),
                          QStringLiteral("压缩数据库出错") + Maker::contactBlock(), Dialogs::Icon::Error);
            QCOMPARE(m_world->readFile(QStringLiteral("db.mdb")), before);
        }
        click(settingsWindow(), "sBitBtn3");
        expectMessage(*m_dialogs, QStringLiteral("提示"), QStringLiteral("压缩数据库成功"),
                      Dialogs::Icon::Exclamation);
        QCOMPARE(rowCount(*m_world), 2);
    }
};

QTEST_MAIN(TestLockedWindows)
#include "tst_lockedwindows.moc"
