#pragma once

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

signals:
    // The detail of a listed site.
    void siteRequested(const QString &address);
    // Back to the main window.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenu();
    void setListedState(bool rowsListed);
    // Runs the expiry query; false (the list emptied) when it fails.
    bool loadList();
    void showSearchBar(bool show);

    void sBitBtn4Click();  // the expiry query
    void sBitBtn1Click();  // export
    void sBitBtn2Click();  // detail of the current row
    void sBitBtn3Click();  // show or hide the search bar
    void sBitBtn10Click(); // search within the rows
    void sBitBtn11Click(); // hide the search bar
    void N8Click();        // online help
    void FormClose();

    std::unique_ptr<Ui::ExpiryWindow> ui;
    SiteRegister &m_register;
    const Session &m_session;
    QMenu *PopupMenu1;
    QAction *N1, *N3, *N5, *N6, *N8;
    QRect m_gridArea; // the grid's place while the search bar is hidden
    bool m_placed = false;
    // The export dialog starts on the file type chosen last.
    int m_exportFilterIndex = 1;
};
