#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QSystemTrayIcon;

// Carries the studio's toasts to where a user whose studio window is closed looks: a desktop
// notification through the freedesktop notification service, else a message of the tray icon.
// While the studio window is visible its own toast is enough. Never waits on the bus. GUI thread
// only.
class ZubDesktopNotifier : public QObject {
    Q_OBJECT
public:
    static constexpr int errorTimeoutMs = 8000;
    static constexpr int confirmationTimeoutMs = 2000;

    struct Notification {
        QString summary;
        QString body;
        bool isError = false;
        int timeoutMs = 0;
        bool operator==(const Notification& other) const = default;
    };

    // What a toast becomes outside the studio window; nothing while the studio is visible. A service
    // that reads markup in bodies gets the message escaped: it may quote a server or a selection,
    // which must read as the plain text it is.
    static std::optional<Notification> notification(const QString& message, bool isError, bool studioVisible,
                                                     bool serviceReadsMarkup = false);

    ZubDesktopNotifier(std::function<bool()> isStudioVisible, QSystemTrayIcon* trayIcon, QObject* parent = nullptr);

    void toastRaised(const QString& message, bool isError);

private:
    void sendToService(const QString& message, bool isError);
    void notify(const QString& message, bool isError);
    void showAtTrayIcon(const Notification& notification);

    std::function<bool()> m_isStudioVisible;
    QPointer<QSystemTrayIcon> m_trayIcon;
    // The last notification the service showed, replaced by the next so they never pile up.
    quint32 m_shownId = 0;
    // Whether the service reads markup in bodies; asked once, before the first notification.
    std::optional<bool> m_serviceReadsMarkup;
};
