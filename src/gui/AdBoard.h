#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class QMenu;
class QUrl;

namespace Ui {
class AdBoard;
}

// The ad board: a borderless strip under the main window showing the maker's page,
// which ships with the program. A right click offers translucency levels.
class AdBoard : public QWidget
{
    Q_OBJECT
public:
    explicit AdBoard(QWidget *parent = nullptr);
    ~AdBoard() override;

    // Places the board directly under the given window and follows it.
    void attachTo(QWidget *mainWindow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void loadPage();
    void addTranslucencyMenu();
    // Opacity out of 255.
    void setOpacityLevel(int level);
    void followMainWindow();
    void openLink(const QUrl &link);

    std::unique_ptr<Ui::AdBoard> ui;
    QMenu *m_menu;
    QPointer<QWidget> m_mainWindow;
};
