#pragma once

#include "sites/ExpiryCounters.h"

#include <QDate>
#include <QObject>

class Query;
class TrayIcon;

// The notice of what falls due: at most one a day, beside the tray icon, or, where the
// desktop has no tray, as a desktop notification, or else not at all; never a message box,
// which would stop a program that sits in the tray.
class DueNotifier : public QObject
{
    Q_OBJECT
public:
    enum class Channel { Tray, Desktop, None };

    explicit DueNotifier(TrayIcon &tray, QObject *parent = nullptr);

    // Shows the notice of a computed outcome when sites are due, the setting is on and no
    // notice was shown today. settings is the register's query for the settings row.
    void offer(const ExpiryCounters::Outcome &outcome, Query &settings, const QDate &today);

    static QString title();
    static QString text(const ExpiryCounters::Outcome &outcome, const QDate &earliest);

signals:
    void shown(DueNotifier::Channel channel, const QString &text);
    // The user clicked the notice: the expiry list is wanted.
    void opened();

private slots:
    void desktopActionInvoked(uint id, const QString &action);

private:
    Channel post(const QString &text);
    bool postToDesktop(const QString &text);

    TrayIcon &m_tray;
    QDate m_shownOn;
    uint m_desktopId = 0;
    bool m_listening = false;
};
