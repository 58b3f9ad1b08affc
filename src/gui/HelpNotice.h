#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class HelpNotice;
}

// The online-help notice: who made the program and how to reach them.
class HelpNotice : public QWidget
{
    Q_OBJECT
public:
    explicit HelpNotice(QWidget *parent = nullptr);
    ~HelpNotice() override;

    // Shows the notice, or only brings it forward when it is already up.
    void showNotice();

private:
    void sBitBtn1Click();

    std::unique_ptr<Ui::HelpNotice> ui;
};
