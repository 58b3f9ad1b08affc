#pragma once

#include "DialogRecorder.h"
#include "TestWorld.h"
#include "app/Globals.h"
#include "platform/TextBytes.h"
#include "records/TForm1.h"
#include "secrets/ScrambleCodec.h"
#include "secrets/TrailerStore.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/TDataModule1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedPointer>
#include <QTest>
#include <QWidget>

// What the add and modify window tests share: a fresh world per test, the controls by
// name, and the register read directly.
namespace RecordKit {

template <typename T = QWidget> T *control(QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

inline QLineEdit *edit(QWidget *window, const char *name)
{
    return control<QLineEdit>(window, name);
}

inline QComboBox *combo(QWidget *window, int number)
{
    return control<QComboBox>(window, qPrintable(QStringLiteral("sComboBox%1").arg(number)));
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

inline QByteArray unscrambled(const TestWorld &world, const QString &webId, const QString &column)
{
    return UnscrambleText(stored(world, webId, column).toByteArray());
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
    DataModule1->ADOConnection1->close();
    DataModule1->ADOConnection1->setConnectionString(Connection::connectionStringFor(world.folder()));
}

// A secret key in sk.exe, read by the main window's first showing.
inline void setSecretKey(const QString &key)
{
    writeSecret(SecretStore::secretKey(), key);
    Form1->show();
}

} // namespace RecordKit
