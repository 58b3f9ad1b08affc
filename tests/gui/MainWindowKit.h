#pragma once

#include "DialogRecorder.h"
#include "TestWorld.h"
#include "WindowControls.h"
#include "gui/MainWindow.h"
#include "gui/SiteGrid.h"
#include "gui/TrayIcon.h"
#include "platform/PrivateFonts.h"
#include "secrets/TrailerStore.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

// The main window reached through its controls, in a fresh world for every test,
// with every message box answered by the recorder.
class MainWindowKit : public QObject
{
    Q_OBJECT

protected:
    std::unique_ptr<TestWorld> world;
    std::unique_ptr<DialogRecorder> recorder;

    template <typename T = QWidget> static T *control(const char *name)
    {
        return ::control<T>(mainWindow(), name);
    }
    static QPushButton *button(const char *name) { return control<QPushButton>(name); }
    static QString label(const char *name) { return control<QLabel>(name)->text(); }
    static SiteGrid *grid() { return control<SiteGrid>("siteGrid"); }
    static QAction *item(const char *name) { return control<QAction>(name); }

    // The thirteen controls that need a loaded list, each with its state.
    static QList<bool> actionSet()
    {
        QList<bool> states;
        for (const char *name : {"modifyButton", "deleteButton", "visitSiteButton", "visitAdminButton",
                                 "exportButton", "toggleSearchButton", "detailButton"})
            states << button(name)->isEnabled();
        for (const char *name : {"modifyAction", "deleteAction", "visitSiteAction", "visitAdminAction",
                                 "exportAction", "detailAction"})
            states << item(name)->isEnabled();
        return states;
    }
    static QList<bool> all(bool state) { return QList<bool>(13, state); }

    int registerRows() const { return world->scalar("select count(*) from t_webinfo").toInt(); }
    void addSites(int count) const
    {
        for (int i = 0; i < count; ++i)
            world->addPlainSite(QStringLiteral("W%1").arg(i, 6, 10, QLatin1Char('0')),
                                QStringLiteral("site %1").arg(i), QStringLiteral("www.site%1.com").arg(i));
    }
    static void showAndRefresh()
    {
        mainWindow()->show();
        button("refreshButton")->click();
    }
    static void select(const QList<int> &rows)
    {
        grid()->clearSelection();
        for (int row : rows)
            grid()->selectionModel()->select(grid()->model()->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void search(int item, const QString &keyword) const
    {
        control<QComboBox>("searchColumnBox")->setCurrentIndex(item);
        control<QLineEdit>("keywordEdit")->setText(keyword);
        button("searchButton")->click();
    }
    void storeSecretKey(const QString &key) const
    {
        QCOMPARE(writeSecret(SecretStore::secretKey(), key), WriteResult::Written);
    }

private slots:
    // The program's look and fonts, so the layout checks measure what the user sees.
    void initTestCase()
    {
        applyLook();
        PrivateFonts().add();
    }
    void init()
    {
        world = std::make_unique<TestWorld>(true);
        recorder = std::make_unique<DialogRecorder>();
    }
    void cleanup()
    {
        TrayIcon::setDesktopHasTrayForTesting(std::nullopt);
        recorder.reset();
        world.reset();
    }
};
