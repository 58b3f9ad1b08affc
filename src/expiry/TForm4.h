#pragma once

#include <QWidget>

namespace Ui {
class TForm4;
}

class TForm4 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);
    ~TForm4() override;

    // Runs the expiry query again, as "刷 新" does.
    void refreshList();

private:
    Ui::TForm4 *ui;
};
