#include "ExpiryWindowKit.h"
#include "SiteBuilder.h"

#include "gui/SettingsWindow.h"
#include "gui/SiteWindow.h"
#include "secrets/TrailerStore.h"
#include "sites/Protection.h"
#include "store/Connection.h"
#include "store/SiteRegister.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

using Dialogs::Icon;

// The settings window's protection tab: switching protection on and off, and the key slots.
class TestProtectionTab : public ExpiryWindowKit
{
    Q_OBJECT

private:
    const QString m_password = QStringLiteral("登录密码abc");
    const QString m_typed = QStringLiteral("茶叶pass1");
    const QString m_selectCredential = QStringLiteral("select web_pass from t_webinfo");

    static QLineEdit *field(const char *name) { return control<QLineEdit>(settingsWindow(), name); }
    static void click(const char *button)
    {
        QTest::mouseClick(control<QPushButton>(settingsWindow(), button), Qt::LeftButton);
    }
    static QString pageShown()
    {
        return control<QStackedWidget>(settingsWindow(), "protectionPages")->currentWidget()->objectName();
    }
    static QStringList sorted(QStringList names)
    {
        names.sort();
        return names;
    }
    // Sorted: the first slot is named after the user, so the order varies.
    static QStringList slotsShown()
    {
        QStringList names;
        auto *list = control<QListWidget>(settingsWindow(), "slotList");
        for (int row = 0; row < list->count(); ++row)
            names << list->item(row)->text();
        return sorted(names);
    }
    void expectOnly(const QString &text, Icon icon) const
    {
        QCOMPARE(m_dialogs->texts(), QStringList{text});
        QCOMPARE(m_dialogs->lastMessage().icon, icon);
        m_dialogs->clear();
    }
    // Every password field of the tab is empty, whatever the attempt came to.
    static void expectPasswordsCleared()
    {
        for (QLineEdit *edit : settingsWindow()->findChildren<QLineEdit *>())
            if (edit->echoMode() == QLineEdit::Password)
                QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
    }
    // The fixed-size window holds the page shown whole.
    static void expectLaidOutSoundly()
    {
        const QStringList faults = layoutFaults(settingsWindow());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }
    void protectThroughTheTab(const QString &password, const QString &confirmation) const
    {
        field("protectPasswordEdit")->setText(password);
        field("protectConfirmEdit")->setText(confirmation);
        click("protectButton");
        expectPasswordsCleared();
    }
    void onProtectedPage(const char *button, const QString &password) const
    {
        field("currentPasswordEdit")->setText(password);
        click(button);
        expectPasswordsCleared();
    }
    QString credentialShown() const
    {
        siteWindow()->openRecord(QStringLiteral("000001.example"), SiteWindow::Mode::Detail);
        const QString shown = control<QLineEdit>(siteWindow(), "adminPasswordEdit")->text();
        siteWindow()->close();
        // What a closed window showed is not kept behind it.
        if (!control<QLineEdit>(siteWindow(), "adminPasswordEdit")->text().isEmpty())
            qFatal("the closed site window still holds the password");
        return shown;
    }
    void protectedWorld() const
    {
        protectThroughTheTab(m_password, m_password);
        expectOnly(QStringLiteral("保护模式已启用"), Icon::Exclamation);
    }
    // A login password and one site with a credential, the window on the protection tab.
    void prepare() const
    {
        QCOMPARE(writeSecret(SecretStore::loginPassword(), m_password), WriteResult::Written);
        SiteBuilder(QStringLiteral("000001"))
            .credential(QStringLiteral("web_pass"), m_typed)
            .dates(QStringLiteral("2011-03-07"), QStringLiteral("2012-03-07"), QStringLiteral("2011-03-07"),
                   QStringLiteral("2012-03-07"))
            .addTo(*m_world);
        settingsWindow()->setPasswordCost(PasswordCost::cheapest());
        settingsWindow()->show();
        control<QTabWidget>(settingsWindow(), "settingsTabs")->setCurrentIndex(3);
    }

private slots:
    // Refused attempts leave the register as it was; the login password switches it on, and the
    // credentials still open in the windows.
    void switchingOn()
    {
        prepare();
        const QByteArray scrambled = m_world->scalar(m_selectCredential).toByteArray();
        QSignalSpy switched(settingsWindow(), &SettingsWindow::protectionChanged);
        QCOMPARE(pageShown(), QStringLiteral("unprotectedPage"));
        protectThroughTheTab(m_password, m_password + QStringLiteral("x"));
        expectOnly(QStringLiteral("两次密码输入不一致"), Icon::Error);
        protectThroughTheTab(QStringLiteral("abcdefg"), QStringLiteral("abcdefg"));
        expectOnly(QStringLiteral("登录密码输入有错"), Icon::Error);
        QVERIFY(!siteRegister()->connection()->isProtected());
        QCOMPARE(m_world->scalar(m_selectCredential).toByteArray(), scrambled);
        QCOMPARE(switched.count(), 0);

        protectThroughTheTab(m_password, m_password);
        expectOnly(QStringLiteral("保护模式已启用"), Icon::Exclamation);
        QCOMPARE(switched.count(), 1);
        QCOMPARE(pageShown(), QStringLiteral("protectedPage"));
        QCOMPARE(slotsShown(), QStringList{Protection::defaultSlotName()});
        QVERIFY(siteRegister()->connection()->isProtected());
        QVERIFY(m_world->scalar(m_selectCredential).toByteArray().startsWith('\xC5'));
        QString stored;
        QVERIFY(!readSecret(SecretStore::loginPassword(), stored) || stored.isEmpty());
        QCOMPARE(credentialShown(), m_typed);
        QCOMPARE(m_dialogs->count(), 0);
    }

    // Off again with a slot's password: the scrambled bytes come back exactly.
    void switchingOff()
    {
        prepare();
        const QByteArray scrambled = m_world->scalar(m_selectCredential).toByteArray();
        protectedWorld();
        QSignalSpy switched(settingsWindow(), &SettingsWindow::protectionChanged);
        onProtectedPage("unprotectButton", QString());
        expectOnly(QStringLiteral("请输入登录密码"), Icon::Error);
        onProtectedPage("unprotectButton", QStringLiteral("abcdefg"));
        expectOnly(QStringLiteral("登录密码输入有错"), Icon::Error);
        QVERIFY(siteRegister()->connection()->isProtected());
        QCOMPARE(switched.count(), 0);

        onProtectedPage("unprotectButton", m_password);
        expectOnly(QStringLiteral("保护模式已关闭"), Icon::Exclamation);
        QCOMPARE(switched.count(), 1);
        QCOMPARE(pageShown(), QStringLiteral("unprotectedPage"));
        QVERIFY(!siteRegister()->connection()->isProtected());
        QCOMPARE(m_world->scalar(m_selectCredential).toByteArray(), scrambled);
        QString stored;
        QVERIFY(readSecret(SecretStore::loginPassword(), stored));
        QCOMPARE(stored, m_password);
        QCOMPARE(credentialShown(), m_typed);
    }

    // A second person's password: the confirmation must match; it opens the register, and it
    // can be removed again, but never the last one.
    void addingAndRemovingPasswords()
    {
        prepare();
        protectedWorld();
        expectLaidOutSoundly();
        const QString other = QStringLiteral("另一个密码");
        click("addSlotButton");
        QCOMPARE(pageShown(), QStringLiteral("addSlotPage"));
        expectLaidOutSoundly();
        field("slotNameEdit")->setText(QStringLiteral("小王"));
        field("addCurrentPasswordEdit")->setText(m_password);
        field("newSlotPasswordEdit")->setText(other);
        field("confirmSlotPasswordEdit")->setText(other + QStringLiteral("x"));
        click("confirmAddSlotButton");
        expectOnly(QStringLiteral("两次密码输入不一致"), Icon::Error);
        expectPasswordsCleared();
        QCOMPARE(field("slotNameEdit")->text(), QStringLiteral("小王"));
        field("addCurrentPasswordEdit")->setText(m_password);
        field("newSlotPasswordEdit")->setText(other);
        field("confirmSlotPasswordEdit")->setText(other);
        QTest::keyClick(field("confirmSlotPasswordEdit"), Qt::Key_Return);
        expectOnly(QStringLiteral("已添加密码：小王"), Icon::Exclamation);
        expectPasswordsCleared();
        QCOMPARE(pageShown(), QStringLiteral("protectedPage"));
        QCOMPARE(slotsShown(), sorted({Protection::defaultSlotName(), QStringLiteral("小王")}));
        QCOMPARE(Protection::unlock(siteRegister()->connection(), other), QStringLiteral("小王"));

        auto *list = control<QListWidget>(settingsWindow(), "slotList");
        list->setCurrentItem(list->findItems(Protection::defaultSlotName(), Qt::MatchExactly).value(0));
        m_dialogs->scriptAnswer(Dialogs::Answer::Ok);
        onProtectedPage("removeSlotButton", other);
        QCOMPARE(m_dialogs->texts().last(), QStringLiteral("已删除密码：") + Protection::defaultSlotName());
        m_dialogs->clear();
        QCOMPARE(slotsShown(), QStringList{QStringLiteral("小王")});
        list->setCurrentRow(0);
        onProtectedPage("removeSlotButton", other);
        expectOnly(QStringLiteral("不能删除最后一个密码"), Icon::Error);
        QCOMPARE(Protection::slotNames(siteRegister()->connection()), QStringList{QStringLiteral("小王")});
    }

    // The recovery key is shown once, opens the register however it is typed, and is kept
    // nowhere in the program's folders; a second one gets a name of its own.
    void recoveryKey()
    {
        prepare();
        protectedWorld();
        onProtectedPage("recoveryKeyButton", m_password);
        QCOMPARE(m_dialogs->count(), 1);
        const QString shown = m_dialogs->lastMessage().text;
        m_dialogs->clear();
        const QRegularExpressionMatch found =
            QRegularExpression(QStringLiteral("[0-9A-Z]{5}(-[0-9A-Z]{5}){7}")).match(shown);
        QVERIFY2(found.hasMatch(), qPrintable(shown));
        const QString key = found.captured();
        QVERIFY(shown.contains(QStringLiteral("打印")));
        QCOMPARE(Protection::unlock(siteRegister()->connection(), key.toLower().remove(u'-')),
                 QStringLiteral("恢复密钥"));
        for (const QString &folder : {m_world->folder(), m_world->runtimeFolder()})
            for (QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories); files.hasNext();) {
                QFile file(files.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                QVERIFY2(!file.readAll().contains(key.toUtf8()), qPrintable(file.fileName()));
            }

        onProtectedPage("recoveryKeyButton", key);
        QCOMPARE(m_dialogs->count(), 1);
        m_dialogs->clear();
        QCOMPARE(slotsShown(), sorted({Protection::defaultSlotName(), QStringLiteral("恢复密钥"),
                                       QStringLiteral("恢复密钥2")}));
    }
};

QTEST_MAIN(TestProtectionTab)
#include "tst_protectiontab.moc"
