#pragma once

#include <QWidget>

namespace Ui {
class TForm9;
}

// The online-upgrade notice: how to ask the maker for new features. Kept on top.
class TForm9 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent = nullptr);
    ~TForm9() override;

    // Shows the notice, or only brings it forward when it is already up.
    void showNotice();

private:
    void sBitBtn1Click();

    Ui::TForm9 *ui;
};
