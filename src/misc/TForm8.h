#pragma once

#include <QWidget>

namespace Ui {
class TForm8;
}

class TForm8 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);
    ~TForm8() override;

    // Places the board directly under the given window and follows it.
    void attachTo(QWidget *mainWindow);

private:
    Ui::TForm8 *ui;
};
