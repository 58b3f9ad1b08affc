#pragma once

#include <QWidget>

namespace Ui {
class TForm9;
}

class TForm9 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent = nullptr);
    ~TForm9() override;

    // Shows the notice, or only brings it forward when it is already up.
    void showNotice();

private:
    Ui::TForm9 *ui;
};
