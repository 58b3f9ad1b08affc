#pragma once

#include "sites/ExpiryCounters.h"

#include <QDate>

#include <optional>

class QAbstractButton;
class QLabel;
class Query;
class Session;
class QWidget;

// The counters of the main window's top bar: the controls they fill.
struct ExpiryCounterBar
{
    QLabel *hostingDue;
    QLabel *domainDue;
    QAbstractButton *openList; // "查 询"
};

// Computes the counters on query, shows them ("刷  新") and leaves the cut-offs in the
// session for the expiry list. On a failure shows "查询失败" over window (nothing when window is
// null: a reload the user did not ask for) and keeps what was set before it. today is the local
// date; tests pass their own. Gives the outcome when it was computed.
std::optional<ExpiryCounters::Outcome> refreshExpiryCounters(QWidget *window, Query &query, Session &session,
                                                             const ExpiryCounterBar &bar,
                                                             const QDate &today = QDate::currentDate());
