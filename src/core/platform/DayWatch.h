#pragma once

#include <QDate>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Tells when what depends on today's date is due again: the date changed (local midnight
// passed, also while the machine slept), or the machine woke from sleep. The steady clock
// stands still while the machine sleeps and the wall clock does not, so a wall clock that ran
// ahead of the steady one between two looks means a sleep (or a clock set forward).
class DayWatch : public QObject
{
    Q_OBJECT
public:
    explicit DayWatch(QObject *parent = nullptr);

    // Starts looking twice a minute, from the current date.
    void start();
    // One look at the clocks: the timer passes the real ones, tests their own.
    void look(const QDate &today, qint64 wallMs, qint64 steadyMs);

signals:
    void dayBegun();

private:
    void lookNow();

    QTimer m_timer;
    QElapsedTimer m_steady;
    QDate m_day;
    qint64 m_wallMs = 0;
    qint64 m_steadyMs = 0;
};
