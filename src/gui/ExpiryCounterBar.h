#pragma once

#include <QDate>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QWidget;

// The counters of the main window's top bar: the controls they fill.
struct ExpiryCounterBar
{
    QLineEdit *hostingCutOff;  // sEdit2
    QLineEdit *domainCutOff;   // sEdit3
    QLabel *hostingDue;        // sLabel5
    QLabel *domainDue;         // sLabel7
    QAbstractButton *openList; // sBitBtn12, "查 询"
};

// Computes the counters and shows them ("刷  新"). On a failure shows "查询失败" and
// keeps what was set before it. today is the local date; tests pass their own.
void refreshExpiryCounters(QWidget *window, const ExpiryCounterBar &bar,
                           const QDate &today = QDate::currentDate());
