#include "platform/DayWatch.h"

#include <QDateTime>

namespace {

const int LookEveryMs = 30 * 1000;
// More than a look's own lateness could explain.
const qint64 SleepAtLeastMs = 60 * 1000;

} // namespace

DayWatch::DayWatch(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(LookEveryMs);
    connect(&m_timer, &QTimer::timeout, this, &DayWatch::lookNow);
}

void DayWatch::start()
{
    m_steady.start();
    m_day = QDate::currentDate();
    m_wallMs = QDateTime::currentMSecsSinceEpoch();
    m_steadyMs = 0;
    m_timer.start();
}

void DayWatch::lookNow()
{
    look(QDate::currentDate(), QDateTime::currentMSecsSinceEpoch(), m_steady.elapsed());
}

void DayWatch::look(const QDate &today, qint64 wallMs, qint64 steadyMs)
{
    const bool slept = (wallMs - m_wallMs) - (steadyMs - m_steadyMs) > SleepAtLeastMs;
    const bool newDate = today != m_day;
    m_day = today;
    m_wallMs = wallMs;
    m_steadyMs = steadyMs;
    if (slept || newDate)
        emit dayBegun();
}
