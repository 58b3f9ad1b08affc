#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class UpgradeNotice;
}

// The online-upgrade notice: how to ask the maker for new features. Kept on top.
class UpgradeNotice : public QWidget
{
    Q_OBJECT
public:
    explicit UpgradeNotice(QWidget *parent = nullptr);
    ~UpgradeNotice() override;

    // Shows the notice, or only brings it forward when it is already up.
    void showNotice();

private:
    void sBitBtn1Click();

    std::unique_ptr<Ui::UpgradeNotice> ui;
};
