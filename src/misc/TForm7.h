#pragma once

#include <QWidget>

namespace Ui {
class TForm7;
}

// The online-help notice: who made the program and how to reach them.
class TForm7 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);
    ~TForm7() override;

    // Shows the notice, or only brings it forward when it is already up.
    void showNotice();

private:
    void sBitBtn1Click();

    Ui::TForm7 *ui;
};
