#pragma once

#include <QWidget>

namespace Ui {
class TForm7;
}

class TForm7 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);
    ~TForm7() override;

    // Shows the notice, or only brings it forward when it is already up.
    void showNotice();

private:
    Ui::TForm7 *ui;
};
