#include "QuorZubApp/App/ZubDesktopNotifier.h"

#include "QuorKit/Utilities/QuorBundle.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// Urgency hints of the notification protocol.
constexpr uchar kLowUrgency = 0;
constexpr uchar kNormalUrgency = 1;
} // namespace

std::optional<ZubDesktopNotifier::Notification> ZubDesktopNotifier::notification(const QString& message, bool isError,
                                                                               bool studioVisible,
                                                                               bool serviceReadsMarkup)
{
    if (studioVisible || message.trimmed().isEmpty()) {
        return std::nullopt;
    }
    Notification notification;
    notification.summary = QStringLiteral("QuorZub");
    notification.body = serviceReadsMarkup ? message.toHtmlEscaped() : message;
    notification.isError = isError;
    notification.timeoutMs = isError ? errorTimeoutMs : confirmationTimeoutMs;
    return notification;
}

ZubDesktopNotifier::ZubDesktopNotifier(std::function<bool()> isStudioVisible, QSystemTrayIcon* trayIcon,
                                       QObject* parent)
    : QObject(parent), m_isStudioVisible(std::move(isStudioVisible)), m_trayIcon(trayIcon)
{
}

void ZubDesktopNotifier::toastRaised(const QString& message, bool isError)
{
    const bool studioVisible = m_isStudioVisible && m_isStudioVisible();
    if (notification(message, isError, studioVisible)) {
        sendToService(message, isError);
    }
}

void ZubDesktopNotifier::sendToService(const QString& message, bool isError)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        showAtTrayIcon(*notification(message, isError, false));
        return;
    }
    // Known already, whichever way it went.
    if (m_serviceReadsMarkup.has_value()) {
        notify(message, isError);
        return;
    }
    const QDBusMessage ask = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, message, isError](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<QStringList> reply = *done;
        // Without an answer nothing is learnt: a service that starts later is asked again.
        if (!reply.isError()) {
            m_serviceReadsMarkup = reply.value().contains(QStringLiteral("body-markup"));
        }
        notify(message, isError);
    });
}

void ZubDesktopNotifier::notify(const QString& message, bool isError)
{
    const Notification notification = *ZubDesktopNotifier::notification(message, isError, false,
                                                                        m_serviceReadsMarkup.value_or(false));
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString identifier = QuorBundle::main().bundleIdentifier();
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(notification.isError ? kNormalUrgency : kLowUrgency));
    hints.insert(QStringLiteral("desktop-entry"), identifier);
    // A confirmation is of the moment: it stays out of the notification history.
    hints.insert(QStringLiteral("transient"), !notification.isError);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("QuorZub") << m_shownId << identifier << notification.summary << notification.body
         << QStringList() << hints << notification.timeoutMs;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, message, isError](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<quint32> reply = *done;
        if (reply.isError()) {
            // No notification service on this desktop: the tray icon says it, where there is one.
            showAtTrayIcon(*ZubDesktopNotifier::notification(message, isError, false));
            return;
        }
        m_shownId = reply.value();
    });
}

void ZubDesktopNotifier::showAtTrayIcon(const Notification& notification)
{
    if (!m_trayIcon || !m_trayIcon->isVisible() || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    m_trayIcon->showMessage(notification.summary, notification.body,
                            notification.isError ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information,
                            notification.timeoutMs);
}
