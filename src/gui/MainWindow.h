#pragma once

#include <QWidget>

#include "gui/Notice.h"
#include "sites/ExpiryCounters.h"

#include <memory>
#include <optional>

class QMenu;
class Session;
class SiteRegister;

namespace Ui {
class MainWindow;
}

// The main window: the site list with its actions and search bar, the counters of
// the top bar, and the way to the other windows.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(SiteRegister &siteRegister, Session &session, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The register in use, and whether it is protected, in the title.
    void showRegisterInTitle();

    // Reloads the site list, as "刷新" does.
    void refreshList();
    // The list and the counters together, without a press on "刷新": right after the login and
    // whenever a new day begins.
    void refreshDue();
    // A site was renewed: the list (when loaded) and the counters (when counted) are read again.
    void refreshAfterRenewal();
    // Another desk changed the register: the same, keeping the current site, once no keyword is
    // being typed in the search bar, and without a message should the register fail.
    void followOtherDesks();

signals:
    // The counters were computed by refreshDue().
    void dueCounted(const ExpiryCounters::Outcome &outcome);
    void addSiteRequested();
    void siteRequested(const QString &address, bool modify);
    void expiryListRequested();
    void settingsRequested();
    void noticeRequested(Notice notice);
    void quitRequested();
    // The first showing opened the register and read the secret key, or failed to.
    void preparationFinished(bool succeeded);
    // The close box puts the window away instead of closing it.
    void closeRequested();
    // Brought back from the task bar after the preparation.
    void restoredFromMinimized();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildGridMenu();
    void connectButtons();
    void connectMenuAndGrid();
    void setListActionsEnabled(bool enabled);

    // Opens the register and reads the secret key, once.
    void prepareRegister();
    void failPreparation(const QString &detail);

    void loadList();
    void emptyList();
    void readListAgain(int row);
    void deleteSelectedSites();
    void afterDelete();

    void openCurrentSite(bool modify);
    void modifySelectedSite() { openCurrentSite(true); }
    void openSelectedSite() { openCurrentSite(false); }
    void openAddress(const QString &address);
    void visitSite();
    void visitAdmin();
    void exportList();
    void exportCalendar();
    void countDueSites();
    std::optional<ExpiryCounters::Outcome> countDue(bool quietly = false);
    void readAgainAfterChange(bool quietly);
    void openExpiryList();

    std::unique_ptr<Ui::MainWindow> ui;
    SiteRegister &m_register;
    Session &m_session;
    QMenu *m_gridMenu;
    QString m_plainTitle; // the title before it names the register
    // Set once the register was opened and the secret key read; later showings change nothing.
    bool m_prepared = false;
    // The export dialog starts on the file type chosen last.
    int m_exportFilterIndex = 1;
};
