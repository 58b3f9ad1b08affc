#pragma once

#include <QWidget>

namespace Ui {
class TForm6;
}

class TForm6 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm6(QWidget *parent = nullptr);
    ~TForm6() override;

private:
    Ui::TForm6 *ui;
};
