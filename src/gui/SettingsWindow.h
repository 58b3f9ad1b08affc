#pragma once

#include <QWidget>

namespace Ui {
class SettingsWindow;
}

// The settings window: lead times, compaction and the secret key, one tab each.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget *parent = nullptr);
    ~SettingsWindow() override;

    // How many records the last successful key change re-keyed; -1 before any.
    int lastRekeyedCount() const { return m_lastRekeyed; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void sBitBtn1Click(); // store the lead times
    void sBitBtn2Click(); // close
    void sBitBtn3Click(); // compact the register
    void sBitBtn4Click(); // change the secret key
    void sBitBtn5Click(); // close

    Ui::SettingsWindow *ui;
    bool m_placed = false;
    int m_lastRekeyed = -1;
};
