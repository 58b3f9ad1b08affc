// db.mdb held by another program (the sqlite3 tool, in a transaction of its own) while the
// user saves, refreshes or compacts: each handler shows its own failure message within the
// busy timeout instead of hanging, loses nothing, and works on the next click once the
// other program lets go. A writer that has not committed yet keeps no one from reading.
#include "DialogRecorder.h"
#include "LockingProgram.h"
#include "RecordKit.h"
#include "TestWorld.h"

#include "gui/SettingsWindow.h"
#include "gui/SiteWindow.h"
#include "platform/Maker.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>

#include <memory>

using namespace RecordKit;

namespace {

// The register's busy timeout (two seconds) and room for a slow machine.
const int Patience = 4000;

void addKinds()
{
    QTest::addColumn<LockingProgram::Kind>("kind");
    QTest::newRow("exclusive") << LockingProgram::Exclusive;
    QTest::newRow("write") << LockingProgram::Write;
}

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

    QString storedOfFirstSite(const char *column) const
    {
        return stored(*m_world, QStringLiteral("100001"), QLatin1String(column)).toString();
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

    void sectionSave_data() { addKinds(); }
    void sectionSave()
    {
        QFETCH(LockingProgram::Kind, kind);
        siteWindow()->openRecord(QStringLiteral("www.a.cn"), SiteWindow::Mode::Modify);
        edit(siteWindow(), "siteNameEdit")->setText(QStringLiteral("改过的名称"));
        const QString before = storedOfFirstSite("web_name");
        {
            LockingProgram other(m_world->databasePath(), kind);
            QVERIFY(other.holding());
            m_dialogs->clear();
            const qint64 took = timedClick(siteWindow(), "saveSiteButton");
            QVERIFY2(took < Patience, qPrintable(QString::number(took)));
            expectMessage(*m_dialogs, QStringLiteral("网站资料"), QStringLiteral("数据修改出错"),
                          Dialogs::Icon::Error);
        }
        QCOMPARE(storedOfFirstSite("web_name"), before);
        click(siteWindow(), "saveSiteButton");
        expectMessage(*m_dialogs, QStringLiteral("网站资料"), QStringLiteral("数据修改成功"),
                      Dialogs::Icon::Exclamation);
        QCOMPARE(storedOfFirstSite("web_name"), QStringLiteral("改过的名称"));
        // The other program's change stands beside it.
        if (kind == LockingProgram::Write)
            QCOMPARE(storedOfFirstSite("web_remark"), QStringLiteral("其他程序"));
    }

    void listRefresh()
    {
        {
            LockingProgram other(m_world->databasePath(), LockingProgram::Exclusive);
            QVERIFY(other.holding());
            m_dialogs->clear();
            const qint64 took = timedClick(mainWindow(), "refreshButton");
            QVERIFY2(took < Patience, qPrintable(QString::number(took)));
            expectMessage(*m_dialogs, QStringLiteral("提示"), QStringLiteral("数据刷新出错"),
                          Dialogs::Icon::Error);
        }
        m_dialogs->clear();
        click(mainWindow(), "refreshButton");
        QCOMPARE(m_dialogs->count(), 0);
        QCOMPARE(control<QLabel>(mainWindow(), "siteCountLabel")->text(), QStringLiteral("2"));
    }

    void uncommittedWriteKeepsNoOneFromReading()
    {
        LockingProgram other(m_world->databasePath(), LockingProgram::Write);
        QVERIFY(other.holding());
        m_dialogs->clear();
        click(mainWindow(), "refreshButton");
        QCOMPARE(control<QLabel>(mainWindow(), "siteCountLabel")->text(), QStringLiteral("2"));
        siteWindow()->openRecord(QStringLiteral("www.a.cn"), SiteWindow::Mode::Detail);
        QCOMPARE(edit(siteWindow(), "siteNameEdit")->text(), QStringLiteral("站点100001"));
        QCOMPARE(control<QPlainTextEdit>(siteWindow(), "remarkEdit")->toPlainText(), QString());
        QCOMPARE(m_dialogs->count(), 0);
    }

    void compaction_data() { addKinds(); }
    void compaction()
    {
        QFETCH(LockingProgram::Kind, kind);
        const QByteArray before = m_world->readFile(QStringLiteral("db.mdb"));
        {
            LockingProgram other(m_world->databasePath(), kind);
            QVERIFY(other.holding());
            m_dialogs->clear();
            const qint64 took = timedClick(settingsWindow(), "compactButton");
            QVERIFY2(took < Patience, qPrintable(QString::number(took)));
            expectMessage(*m_dialogs, QStringLiteral("提示"),
                          QStringLiteral("压缩数据库出错") + Maker::contactBlock(), Dialogs::Icon::Error);
            QCOMPARE(m_world->readFile(QStringLiteral("db.mdb")), before);
            QVERIFY(!QFileInfo::exists(m_world->file(QStringLiteral("newdb.mdb"))));
            QVERIFY(!QFileInfo::exists(m_world->file(QStringLiteral("tempdb.mdb"))));
        }
        click(settingsWindow(), "compactButton");
        expectMessage(*m_dialogs, QStringLiteral("提示"), QStringLiteral("压缩数据库成功"),
                      Dialogs::Icon::Exclamation);
        QCOMPARE(rowCount(*m_world), 2);
        QCOMPARE(m_world->scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }
};

QTEST_MAIN(TestLockedWindows)
#include "tst_lockedwindows.moc"
