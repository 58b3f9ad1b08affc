#pragma once

#include <QWidget>

namespace Ui {
class TForm3;
}

class TForm3 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    enum class Mode { Modify, Detail };
    // Loads the record with this address and shows it; fromExpiryList sets the marker.
    void openRecord(const QString &address, Mode mode, bool fromExpiryList = false);

private:
    Ui::TForm3 *ui;
};
