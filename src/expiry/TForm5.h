#pragma once

#include <QWidget>

namespace Ui {
class TForm5;
}

class TForm5 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

private:
    Ui::TForm5 *ui;
};
