#pragma once

#include "sites/Renewal.h"

#include <QWidget>

#include <memory>

class QAction;
class QMenu;
class Session;
class SiteRegister;

namespace Ui {
class ExpiryWindow;
}

// The expiry window: the sites due by the cut-offs of the last counter refresh.
class ExpiryWindow : public QWidget
{
    Q_OBJECT
public:
    ExpiryWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent = nullptr);
    ~ExpiryWindow() override;

    // Runs the expiry query again, as "刷 新" does.
    void refreshList();
    // Reads a listed expiry list again after a site changed, keeping the current site current
    // while it is still listed (else the nearest row); a list not shown yet stays so.
    void reloadAfterChange();
    // Another desk changed the register: the same, once no keyword is being typed in the search bar.
    void followOtherDesks();

signals:
    // The detail of a listed site.
    void siteRequested(const QString &address);
    // Back to the main window.
    void closed();
    // An expiry date was renewed and stored: the main list and counters are out of date.
    void siteRenewed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildGridMenu();
    void addRenewalItems();
    void renewCurrentSite(Renewal::Kind kind, int years);
    void setListedState(bool rowsListed);
    // Runs the expiry query; false (the list emptied) when it fails.
    bool loadList();
    void exportList();
    void openSelectedSite();
    void showHelp();

    std::unique_ptr<Ui::ExpiryWindow> ui;
    SiteRegister &m_register;
    const Session &m_session;
    QMenu *m_gridMenu;
    QAction *m_refreshAction;
    QAction *m_exportAction;
    QAction *m_searchAction;
    QAction *m_detailAction;
    QList<QAction *> m_renewalActions;
    bool m_placed = false;
    // The export dialog starts on the file type chosen last.
    int m_exportFilterIndex = 1;
};
