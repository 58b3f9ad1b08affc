#include "gui/DueNotifier.h"

#include "gui/TrayIcon.h"
#include "sites/DueNotice.h"
#include "store/DateText.h"
#include "store/StoreError.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString NotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString OpenAction = QStringLiteral("default");

} // namespace

DueNotifier::DueNotifier(TrayIcon &tray, QObject *parent) : QObject(parent), m_tray(tray)
{
    connect(&m_tray, &TrayIcon::messageClicked, this, &DueNotifier::opened);
}

QString DueNotifier::title()
{
    return QStringLiteral("到期提醒");
}

QString DueNotifier::text(const ExpiryCounters::Outcome &outcome, const QDate &earliest)
{
    QString text =
        QStringLiteral("空间到期数：%1，域名到期数：%2").arg(outcome.hostingDue).arg(outcome.domainDue);
    if (earliest.isValid())
        text += QStringLiteral("，最早到期日期：") + DateText::format(earliest);
    return text;
}

void DueNotifier::offer(const ExpiryCounters::Outcome &outcome, Query &settings, const QDate &today)
{
    if (m_shownOn == today || (outcome.hostingDue <= 0 && outcome.domainDue <= 0))
        return;
    QDate earliest;
    try {
        if (!DueNotice::enabled(settings))
            return;
        earliest = ExpiryCounters::earliestDue(settings, outcome);
    } catch (const StoreError &) {
        return; // the counters beside the list say it; a notice is no place for a failure
    }
    const QString message = text(outcome, earliest);
    const Channel channel = post(message);
    if (channel == Channel::None)
        return;
    m_shownOn = today;
    emit shown(channel, message);
}

DueNotifier::Channel DueNotifier::post(const QString &text)
{
    if (TrayIcon::desktopHasTray()) {
        m_tray.showMessage(title(), text);
        return Channel::Tray;
    }
    return postToDesktop(text) ? Channel::Desktop : Channel::None;
}

// The call does not wait for an answer: a notification service that hangs must not stop the program.
bool DueNotifier::postToDesktop(const QString &text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(NotificationsService))
        return false;
    if (!m_listening)
        m_listening =
            bus.connect(NotificationsService, NotificationsPath, NotificationsService,
                        QStringLiteral("ActionInvoked"), this, SLOT(desktopActionInvoked(uint, QString)));
    QDBusMessage call = QDBusMessage::createMethodCall(NotificationsService, NotificationsPath,
                                                       NotificationsService, QStringLiteral("Notify"));
    call << QStringLiteral("Corvane") << m_desktopId << QString() << title() << text
         << QStringList{OpenAction, QStringLiteral("查看")} << QVariantMap() << qint32(-1);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        const QDBusPendingReply<uint> reply = *finished;
        if (!reply.isError())
            m_desktopId = reply.value();
        finished->deleteLater();
    });
    return true;
}

void DueNotifier::desktopActionInvoked(uint id, const QString &action)
{
    if (id == m_desktopId && action == OpenAction)
        emit opened();
}
