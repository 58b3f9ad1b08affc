#pragma once

#include <QWidget>

namespace Ui {
class TForm1;
}

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

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

private:
    Ui::TForm1 *ui;
};
