#include "ExpiryWindowKit.h"
#include "ReadOnlyPath.h"
#include "SiteBuilder.h"
#include "TestDatabase.h"
#include "sites/Session.h"

#include "gui/MainWindow.h"
#include "gui/SettingsWindow.h"
#include "gui/SiteWindow.h"
#include "platform/Maker.h"
#include "platform/WorkFolder.h"
#include "secrets/TrailerStore.h"
#include "sites/SiteCredentials.h"
#include "store/Connection.h"
#include "store/SiteRegister.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>

using Dialogs::Icon;

// The settings window: its lead-time tab, its compaction tab and its secret key tab.
class TestSettingsWindow : public ExpiryWindowKit
{
    Q_OBJECT

private:
    static QComboBox *box(int number)
    {
        return control<QComboBox>(settingsWindow(), number == 1 ? "hostingLeadBox" : "domainLeadBox");
    }
    static void click(const char *button)
    {
        QTest::mouseClick(control<QPushButton>(settingsWindow(), button), Qt::LeftButton);
    }
    static void reshow()
    {
        settingsWindow()->hide();
        settingsWindow()->show();
    }
    void setLeadTimes(const QString &values) const
    {
        m_world->exec(QStringLiteral("delete from t_set"));
        m_world->exec(QStringLiteral("insert into t_set values(") + values + QStringLiteral(")"));
    }
    QString storedLeadTimes() const
    {
        return m_world->column(QStringLiteral("select web_alarm||'/'||domain_alarm from t_set")).join(u',');
    }
    void expectOnly(const QString &text, Icon icon) const
    {
        QCOMPARE(m_dialogs->texts(), QStringList{text});
        QCOMPARE(m_dialogs->lastMessage().caption, QStringLiteral("提示"));
        QCOMPARE(m_dialogs->lastMessage().icon, icon);
        m_dialogs->clear();
    }
    // A whole site, its domain user stored under key the way the add window stores it.
    void addKeyedSite(const QString &webId, const QString &user, const QString &key) const
    {
        SiteBuilder(webId)
            .credential(QStringLiteral("web_domainuser"), user, key)
            .dates(QStringLiteral("2011-03-07"), QStringLiteral("2012-03-07"), QStringLiteral("2011-03-07"),
                   QStringLiteral("2012-03-07"))
            .addTo(*m_world);
    }
    void setKeyFields(const QString &current, const QString &newKey, const QString &confirmation) const
    {
        control<QLineEdit>(settingsWindow(), "currentKeyEdit")->setText(current);
        control<QLineEdit>(settingsWindow(), "newKeyEdit")->setText(newKey);
        control<QLineEdit>(settingsWindow(), "confirmKeyEdit")->setText(confirmation);
    }

    // On a server the server compacts, for the user who may; another is told the server does it.
    void serverCompactionMessages() const
    {
        const QByteArray file = m_world->readFile(QStringLiteral("db.mdb"));
        click("compactButton");
        expectOnly(QStringLiteral("压缩数据库成功"), Icon::Exclamation);
        QVERIFY(siteRegister()->connection()->isOpen());

        siteRegister()->connection()->setServer(m_world->database()->conninfoOfAClerk());
        click("compactButton");
        expectOnly(QStringLiteral("数据库在服务器上，由服务器自动整理，无需压缩"), Icon::Exclamation);
        QCOMPARE(m_world->readFile(QStringLiteral("db.mdb")), file);
        QVERIFY(!QFileInfo::exists(m_world->file(QStringLiteral("tempdb.mdb"))));
    }

private slots:
    void initTestCase() { applyLook(); }
    void windowAsCreated()
    {
        QVERIFY(settingsWindow()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!settingsWindow()->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        auto *tabs = control<QTabWidget>(settingsWindow(), "settingsTabs");
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), QStringLiteral("报警提醒设置"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("压缩数据库"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("密钥设置"));
        QCOMPARE(tabs->tabText(3), QStringLiteral("保护模式"));
        QCOMPARE(tabs->currentIndex(), 0);
        for (int number : {1, 2}) {
            QCOMPARE(box(number)->count(), 31);
            QCOMPARE(box(number)->itemText(0), QStringLiteral("1"));
            QCOMPARE(box(number)->itemText(30), QStringLiteral("31"));
            QCOMPARE(box(number)->currentText(), QStringLiteral("3"));
        }
    }

    // The fixed-size window holds each tab whole: no caption, text or field cut off or covered,
    // and the tab titles side by side.
    void everyTabFitsTheWindow()
    {
        settingsWindow()->show();
        auto *tabs = control<QTabWidget>(settingsWindow(), "settingsTabs");
        QVERIFY(tabs->tabBar()->sizeHint().width() <= tabs->width());
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            const QStringList faults = layoutFaults(settingsWindow());
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        }
    }

    // Installed, portable or named: the compaction tab says which folder's register is in use.
    void showsTheFolderInUse()
    {
        settingsWindow()->show();
        auto *folder = control<QLineEdit>(settingsWindow(), "registerFolderEdit");
        QCOMPARE(folder->text(), m_world->folder());
        QVERIFY(folder->isReadOnly());
    }

    void showsAndStoresLeadTimes()
    {
        setLeadTimes(QStringLiteral("7,30"));
        settingsWindow()->show();
        QCOMPARE(box(1)->currentText(), QStringLiteral("7"));
        QCOMPARE(box(2)->currentText(), QStringLiteral("30"));
        QCOMPARE(m_dialogs->count(), 0);
        box(1)->setCurrentIndex(0);
        box(2)->setCurrentIndex(30);
        click("saveLeadTimesButton");
        expectOnly(QStringLiteral("数据修改成功"), Icon::Exclamation);
        QCOMPARE(storedLeadTimes(), QStringLiteral("1/31"));
        QVERIFY(settingsWindow()->isVisible());
    }

    void typedKeysAreDiscarded()
    {
        settingsWindow()->show();
        for (int number : {1, 2}) {
            box(number)->setFocus();
            QTest::keyClicks(box(number), QStringLiteral("5a"));
            QTest::keyClick(box(number), Qt::Key_Backspace);
            QTest::keyClick(box(number), Qt::Key_Delete);
            QCOMPARE(box(number)->currentText(), QStringLiteral("3"));
        }
    }

    void unsavedChoicesAreDroppedOnReopening()
    {
        setLeadTimes(QStringLiteral("7,30"));
        settingsWindow()->show();
        box(1)->setCurrentIndex(19);
        settingsWindow()->close();
        settingsWindow()->show();
        QCOMPARE(box(1)->currentText(), QStringLiteral("7"));
    }

    void twoSettingsRows()
    {
        setLeadTimes(QStringLiteral("5,6"));
        m_world->exec(QStringLiteral("insert into t_set values(20,21)"));
        settingsWindow()->show();
        QCOMPARE(box(1)->currentText(), QStringLiteral("5"));
        QCOMPARE(box(2)->currentText(), QStringLiteral("6"));
        box(2)->setCurrentIndex(9);
        click("saveLeadTimesButton");
        expectOnly(QStringLiteral("数据修改成功"), Icon::Exclamation);
        QCOMPARE(storedLeadTimes(), QStringLiteral("5/10,5/10"));
    }

    void noSettingsRow()
    {
        m_world->exec(QStringLiteral("delete from t_set"));
        settingsWindow()->show();
        expectOnly(QStringLiteral("数据查询失败"), Icon::Error);
        QCOMPARE(box(1)->currentText(), QStringLiteral("3"));
        box(2)->setCurrentIndex(29);
        click("saveLeadTimesButton");
        // The missing row is made, so what was reported as stored is stored.
        expectOnly(QStringLiteral("数据修改成功"), Icon::Exclamation);
        QCOMPARE(storedLeadTimes(), QStringLiteral("3/30"));
        reshow();
        QCOMPARE(m_dialogs->count(), 0);
    }

    void leadTimeOutsideTheList()
    {
        setLeadTimes(QStringLiteral("45,3"));
        settingsWindow()->show();
        QCOMPARE(box(1)->currentText(), QStringLiteral("45"));
        click("saveLeadTimesButton");
        expectOnly(QStringLiteral("数据修改成功"), Icon::Exclamation);
        QCOMPARE(storedLeadTimes(), QStringLiteral("45/3"));
    }

    void emptyLeadTimeFailsTheLoad()
    {
        m_world->looseSettingsTable(QStringLiteral("12,NULL"));
        settingsWindow()->show();
        expectOnly(QStringLiteral("数据查询失败"), Icon::Error);
        // The first box was filled before the failure; the second keeps its text.
        QCOMPARE(box(1)->currentText(), QStringLiteral("12"));
        QCOMPARE(box(2)->currentText(), QStringLiteral("3"));
    }

    void wordIsShownButNotStored()
    {
        m_world->looseSettingsTable(QStringLiteral("'abc',4"));
        settingsWindow()->show();
        QCOMPARE(m_dialogs->count(), 0);
        QCOMPARE(box(1)->currentText(), QStringLiteral("abc"));
        click("saveLeadTimesButton");
        expectOnly(QStringLiteral("数据修改失败"), Icon::Error);
        QCOMPARE(storedLeadTimes(), QStringLiteral("abc/4"));
    }

    void missingRegister()
    {
        m_world->removeRegister();
        settingsWindow()->show();
        expectOnly(QStringLiteral("数据查询失败"), Icon::Error);
        click("saveLeadTimesButton");
        expectOnly(QStringLiteral("数据修改失败"), Icon::Error);
        QVERIFY(!m_world->registerExists());
    }

    void opensOnTheTabLastLeft()
    {
        settingsWindow()->show();
        control<QTabWidget>(settingsWindow(), "settingsTabs")->setCurrentIndex(2);
        click("secretKeyCloseButton");
        QVERIFY(!settingsWindow()->isVisible());
        settingsWindow()->show();
        QCOMPARE(control<QTabWidget>(settingsWindow(), "settingsTabs")->currentIndex(), 2);
        click("leadTimesCloseButton");
        QVERIFY(!settingsWindow()->isVisible());
    }

    void compactionMessages()
    {
        SiteBuilder(QStringLiteral("000001")).addTo(*m_world);
        settingsWindow()->show();
        if (m_world->onServer()) {
            serverCompactionMessages();
            return;
        }
        click("compactButton");
        expectOnly(QStringLiteral("压缩数据库成功"), Icon::Exclamation);
        QVERIFY(!siteRegister()->connection()->isOpen());
        QVERIFY(!QFileInfo::exists(m_world->file(QStringLiteral("tempdb.mdb"))));

        QFile::setPermissions(m_world->databasePath(), QFile::ReadOwner | QFile::ReadUser);
        const QByteArray before = m_world->readFile(QStringLiteral("db.mdb"));
        click("compactButton");
        expectOnly(QStringLiteral("压缩数据库出错") + Maker::contactBlock(), Icon::Error);
        QCOMPARE(m_world->readFile(QStringLiteral("db.mdb")), before);
    }

    void keyChecksInOrder()
    {
        settingsWindow()->show();
        const QByteArray carrier = m_world->readFile(QStringLiteral("sk.exe"));
        setKeyFields(QStringLiteral("x"), QStringLiteral("abc"), QStringLiteral("abd"));
        click("changeKeyButton");
        expectOnly(QStringLiteral("原始密钥输入有错"), Icon::Error);
        setKeyFields(QString(), QStringLiteral("abcde"), QStringLiteral("abcdx"));
        click("changeKeyButton");
        expectOnly(QStringLiteral("密钥位数小于6位"), Icon::Error);
        setKeyFields(QString(), QStringLiteral("Secret"), QStringLiteral("secret"));
        QTest::keyClick(control<QLineEdit>(settingsWindow(), "confirmKeyEdit"), Qt::Key_Return);
        QCOMPARE(m_dialogs->terminateRequests(), 0);
        expectOnly(QStringLiteral("两次密码输入不一致"), Icon::Error);
        // The fields keep what was typed, so it can be corrected.
        QCOMPARE(control<QLineEdit>(settingsWindow(), "newKeyEdit")->text(), QStringLiteral("Secret"));
        QCOMPARE(control<QLineEdit>(settingsWindow(), "confirmKeyEdit")->echoMode(), QLineEdit::Password);
        QCOMPARE(m_world->readFile(QStringLiteral("sk.exe")), carrier);
    }

    void keyChangeEndsTheProgram()
    {
        settingsWindow()->show();
        setKeyFields(QString(), QStringLiteral("新密钥"), QStringLiteral("新密钥"));
        QTest::keyClick(control<QLineEdit>(settingsWindow(), "confirmKeyEdit"), Qt::Key_Enter);
        QCOMPARE(m_dialogs->terminateRequests(), 1);
        expectOnly(QStringLiteral("密钥修改成功,请重启本软件！"), Icon::Exclamation);
        QVERIFY(!QFileInfo::exists(WorkFolder::file(QStringLiteral("sks.txt"))));
        QString key;
        QVERIFY(readSecret(SecretStore::secretKey(), key));
        QCOMPARE(key, QStringLiteral("新密钥"));
    }

    // Sites stored under the old key open under the new one after the restart the change asks
    // for; a site brought over under a third key stays closed.
    void keyChangeAcrossARestart()
    {
        const QString oldKey = QStringLiteral("旧密钥abc");
        const QString newKey = QStringLiteral("新的密钥");
        QCOMPARE(writeSecret(SecretStore::secretKey(), oldKey), WriteResult::Written);
        addKeyedSite(QStringLiteral("000001"), QStringLiteral("alice"), oldKey);
        addKeyedSite(QStringLiteral("000002"), QStringLiteral("carol"), QStringLiteral("thirdkey"));
        const QString otherKeyed =
            QStringLiteral("select web_domainuser from t_webinfo where web_id = '000002'");
        const QVariant otherBefore = m_world->scalar(otherKeyed);
        mainWindow()->show();
        QCOMPARE(session().secretKey(), oldKey);
        settingsWindow()->show();
        setKeyFields(oldKey, newKey, newKey);
        click("changeKeyButton");
        QCOMPARE(m_dialogs->terminateRequests(), 1);
        expectOnly(QStringLiteral("密钥修改成功,请重启本软件！"), Icon::Exclamation);
        QCOMPARE(m_world->scalar(otherKeyed), otherBefore);

        restartProgram();
        mainWindow()->show();
        QCOMPARE(session().secretKey(), newKey);
        siteWindow()->openRecord(QStringLiteral("000001.example"), SiteWindow::Mode::Detail);
        QCOMPARE(m_dialogs->count(), 0);
        QCOMPARE(control<QLineEdit>(siteWindow(), "domainUserEdit")->text(), QStringLiteral("alice"));
        siteWindow()->close();
        siteWindow()->openRecord(QStringLiteral("000002.example"), SiteWindow::Mode::Detail);
        expectOnly(QStringLiteral("读取详细数据失败"), Icon::Error);
        QVERIFY(control<QLineEdit>(siteWindow(), "domainUserEdit")->text().isEmpty());
    }

    void keyChangeWithoutCarrier_data()
    {
        QTest::addColumn<bool>("missing"); // else read-only
        QTest::newRow("sk.exe missing") << true;
        QTest::newRow("sk.exe read-only") << false;
    }
    void keyChangeWithoutCarrier()
    {
        QFETCH(bool, missing);
        std::unique_ptr<ReadOnlyPath> readOnly;
        if (missing) {
            QFile::remove(m_world->file(QStringLiteral("sk.exe")));
        } else {
            readOnly = std::make_unique<ReadOnlyPath>(m_world->file(QStringLiteral("sk.exe")));
            if (!readOnly->active())
                QSKIP("sk.exe cannot be made read-only here");
        }
        settingsWindow()->show();
        setKeyFields(QString(), QStringLiteral("abcdef"), QStringLiteral("abcdef"));
        click("changeKeyButton");
        expectOnly(QStringLiteral("密钥修改出错,请检查是否缺少必要的文件") + Maker::contactBlock(),
                   Icon::Error);
        QCOMPARE(m_dialogs->terminateRequests(), 0);
        QVERIFY(!QFileInfo::exists(WorkFolder::file(QStringLiteral("sks.txt"))));
        QCOMPARE(m_world->readFile(QStringLiteral("sk.exe")), QByteArray());
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
