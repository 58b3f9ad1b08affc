#pragma once

#include <QWidget>

class QMenu;
class TrayIcon;

namespace Ui {
class MainWindow;
}

// The main window: the site list with its actions and search bar, the counters of
// the top bar, and the way to the other windows.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Reloads the site list, as "刷新" does.
    void refreshList();
    // The secret key read at the first showing (hidden field sEdit4).
    QString secretKey() const;
    // Cut-off date texts of the last counter refresh (hidden fields sEdit2, sEdit3).
    QString hostingCutOff() const;
    QString domainCutOff() const;
    // Tray actions: show the main window and the ad board; remove the icon and end the program.
    void showFromTray();
    void quitProgram();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildGridMenu();
    void connectHandlers();
    void setActionSetEnabled(bool enabled);
    void openRecord(bool modify);
    void openAddress(const QString &address);
    void afterDelete();
    void showSearchBar(bool show);
    void failPreparation(const QString &detail);
    void loadList();
    void emptyList();
    void readListAgain(int row);

    void FormShow();
    void sBitBtn5Click();
    void sBitBtn6Click();
    void sBitBtn2Click();
    void sBitBtn3Click();
    void sBitBtn14Click();
    void sBitBtn4Click();
    void sBitBtn9Click();
    void sBitBtn11Click();
    void sBitBtn10Click();
    void sBitBtn13Click();
    void sBitBtn15Click();
    void sBitBtn16Click();
    void sBitBtn7Click();
    void sBitBtn8Click();
    void sBitBtn12Click();

    Ui::MainWindow *ui;
    QMenu *PopupMenu2;
    TrayIcon *m_tray;
    // Set once the register was opened and the secret key read; later showings change nothing.
    bool m_prepared = false;
    // The export dialog starts on the file type chosen last.
    int m_exportFilterIndex = 1;
};
