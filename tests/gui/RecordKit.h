#pragma once

#include "DialogRecorder.h"
#include "TestWorld.h"
#include "WindowControls.h"
#include "gui/AddSiteWindow.h"
#include "gui/MainWindow.h"
#include "platform/TextBytes.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/SiteRegister.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedPointer>
#include <QTest>
#include <QWidget>

// What the add and modify window tests share: a fresh world per test, the controls by
// name, and the register read directly.
namespace RecordKit {

inline QLineEdit *edit(QWidget *window, const char *name)
{
    return control<QLineEdit>(window, name);
}

inline QComboBox *combo(QWidget *window, const char *name)
{
    return control<QComboBox>(window, name);
}

// Both record windows name their controls alike: the text fields in field order, and year,
// month and day of each date.
inline const QStringList FieldEdits = {"siteNumberEdit",
                                       "siteNameEdit",
                                       "addressEdit",
                                       "adminAddressEdit",
                                       "adminUserEdit",
                                       "adminPasswordEdit",
                                       "ipEdit",
                                       "domainEdit",
                                       "domainUserEdit",
                                       "domainPasswordEdit",
                                       "contactEdit",
                                       "siteSizeEdit",
                                       "databaseNameEdit",
                                       "databaseSizeEdit",
                                       "databaseAddressEdit",
                                       "databaseUserEdit",
                                       "databasePasswordEdit",
                                       "databaseTypeEdit"};
inline const QStringList DateBoxes = {
    "hostingBoughtYearBox",   "hostingBoughtMonthBox", "hostingBoughtDayBox",     "hostingExpiresYearBox",
    "hostingExpiresMonthBox", "hostingExpiresDayBox",  "domainRegisteredYearBox", "domainRegisteredMonthBox",
    "domainRegisteredDayBox", "domainExpiresYearBox",  "domainExpiresMonthBox",   "domainExpiresDayBox"};

inline QList<QLineEdit *> fieldEdits(QWidget *window)
{
    QList<QLineEdit *> edits;
    for (const QString &name : FieldEdits)
        edits << edit(window, qPrintable(name));
    return edits;
}

inline QComboBox *dateBox(QWidget *window, int index)
{
    return control<QComboBox>(window, qPrintable(DateBoxes.at(index)));
}

inline void click(QWidget *window, const char *button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

inline QString quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

// One column of the row with this site number, straight from the register.
inline QVariant stored(const TestWorld &world, const QString &webId, const QString &column)
{
    return world.scalar(
        QStringLiteral("select %1 from t_webinfo where web_id=%2").arg(column, quoted(webId)));
}

inline QString storedText(const TestWorld &world, const QString &webId, const QString &column)
{
    return world.storedText(
        QStringLiteral("select %1 from t_webinfo where web_id=%2").arg(column, quoted(webId)));
}

inline QByteArray unscrambled(const TestWorld &world, const QString &webId, const QString &column)
{
    return unscrambleText(stored(world, webId, column).toByteArray());
}

inline int rowCount(const TestWorld &world)
{
    return world.scalar(QStringLiteral("select count(*) from t_webinfo")).toInt();
}

inline QByteArray bytes(const QString &text)
{
    return TextBytes::toBytes(text);
}

// The whole row as text, column by column, for "nothing else changed" checks.
inline QStringList rowSnapshot(const TestWorld &world, const QString &webId, const QStringList &columns)
{
    QStringList values;
    for (const QString &column : columns)
        values << QString::fromLatin1(stored(world, webId, column).toByteArray().toHex());
    return values;
}

// Points the shared connection at the world's register, as the main window's first showing does.
inline void connectRegister(const TestWorld &world)
{
    siteRegister()->connection()->close();
    world.pointAt(*siteRegister()->connection());
}

// A secret key in sk.exe, read by the main window's first showing.
inline void setSecretKey(const QString &key)
{
    writeSecret(SecretStore::secretKey(), key);
    mainWindow()->show();
}

inline void expectMessage(const DialogRecorder &dialogs, const QString &caption, const QString &text,
                          Dialogs::Icon icon)
{
    QVERIFY(dialogs.count() > 0);
    const DialogRecorder::Message message = dialogs.lastMessage();
    QCOMPARE(message.caption, caption);
    QCOMPARE(message.text, text);
    QCOMPARE(message.icon, icon);
    QCOMPARE(message.buttons, Dialogs::Buttons::Ok);
}

// Always on top, close box only, fixed size, not modal; every label the buddy of a field.
inline void checkFrameAndLabels(QWidget *window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(window->windowModality(), Qt::NonModal);
    QCOMPARE(window->minimumSize(), window->maximumSize());
    for (const QLabel *label : window->findChildren<QLabel *>())
        QVERIFY2(label->buddy(), qPrintable(label->text()));
}

// Tab moves through these controls in this order (hidden and unfocusable ones skipped).
inline void checkTabOrder(QWidget *window, const QStringList &order)
{
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget *next = control(window, qPrintable(order.at(i)))->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisibleTo(window))
            next = next->nextInFocusChain();
        QCOMPARE(next->objectName(), order.at(i + 1));
    }
}

// The register's columns by the section of the modify window that saves them.
inline const QStringList SiteColumns = {"web_name",    "web_login",  "web_user",       "web_pass",
                                        "web_ip",      "web_domain", "web_domainuser", "web_domainpass",
                                        "web_linkman", "web_size"};
inline const QStringList DatabaseColumns = {"web_dbname", "web_dbsize", "web_dbip",
                                            "web_dbuser", "web_dbpass", "web_dbtype"};
inline const QStringList DateColumns = {"web_time", "web_endtime", "web_domaintime", "web_enddomaintime"};
inline const QStringList AllColumns = QStringList{"web_id", "web_address"} + SiteColumns + DatabaseColumns +
                                      DateColumns + QStringList{"web_remark"};

// The fields of a site as typed into the add window, by control name.
inline QList<QPair<const char *, QString>> typedSite(const QString &tag)
{
    return {{"siteNameEdit", QStringLiteral("站点") + tag},
            {"adminAddressEdit", QStringLiteral("http://a/admin") + tag},
            {"adminUserEdit", QStringLiteral(" 管理员 ")},
            {"adminPasswordEdit", QStringLiteral("abc100001x")},
            {"ipEdit", QStringLiteral("10.0.0.1")},
            {"domainEdit", tag + QStringLiteral(".com")},
            {"domainUserEdit", QStringLiteral(" 域名用户 ")},
            {"domainPasswordEdit", QStringLiteral(" 密码 ")},
            {"contactEdit", QStringLiteral("张三")},
            {"siteSizeEdit", QStringLiteral("100M")},
            {"databaseNameEdit", QStringLiteral("库名")},
            {"databaseSizeEdit", QStringLiteral("50M")},
            {"databaseAddressEdit", QStringLiteral("db.a.com")},
            {"databaseUserEdit", QStringLiteral(" dbuser")},
            {"databasePasswordEdit", QStringLiteral("100001pass")},
            {"databaseTypeEdit", QStringLiteral("MySQL")}};
}

inline const QStringList TypedDates = {"2010", "12", "1", "2011", "1", "1",
                                       "2010", "1",  "1", "2011", "6", "30"};

// With no record loaded (or one deleted since), each section's save writes nothing and says so
// under its own caption.
inline void expectEverySaveRefused(const TestWorld &world, DialogRecorder &dialogs, QWidget *window)
{
    const QStringList before = rowSnapshot(world, QStringLiteral("100001"), AllColumns);
    const QList<QPair<const char *, QString>> saves = {{"saveSiteButton", QStringLiteral("网站资料")},
                                                       {"saveDatabaseButton", QStringLiteral("数据库资料")},
                                                       {"saveDatesButton", QStringLiteral("日期资料")},
                                                       {"saveRemarkButton", QStringLiteral("备注资料")}};
    for (const auto &[button, caption] : saves) {
        dialogs.clear();
        click(window, button);
        QCOMPARE(dialogs.count(), 1);
        expectMessage(dialogs, caption, QStringLiteral("数据修改出错"), Dialogs::Icon::Error);
    }
    QCOMPARE(rowSnapshot(world, QStringLiteral("100001"), AllColumns), before);
}

// Adds a site through the add window, with the sample values above; the window is hidden again.
inline void addThroughAddWindow(DialogRecorder &dialogs, const QString &number, const QString &address,
                                const QString &remark = QString())
{
    addSiteWindow()->show();
    edit(addSiteWindow(), "siteNumberEdit")->setText(number);
    edit(addSiteWindow(), "addressEdit")->setText(address);
    for (const auto &[field, value] : typedSite(number))
        edit(addSiteWindow(), field)->setText(value);
    for (int i = 0; i < 12; ++i)
        dateBox(addSiteWindow(), i)->setCurrentText(TypedDates.at(i));
    control<QPlainTextEdit>(addSiteWindow(), "remarkEdit")->setPlainText(remark);
    click(addSiteWindow(), "addButton");
    QCOMPARE(dialogs.lastMessage().text, QStringLiteral("数据库添加成功"));
    addSiteWindow()->hide();
    dialogs.clear();
}

} // namespace RecordKit
