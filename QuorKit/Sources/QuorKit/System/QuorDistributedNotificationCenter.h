#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Receives one distributed notification name for as long as it lives; dropping it stops observing.
class QuorDistributedObserver : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QString& object)>;

    QuorDistributedObserver(QDBusConnection connection, QString name, Handler handler);
    ~QuorDistributedObserver() override;

    bool isConnected() const { return m_connected; }

private slots:
    void receive(const QString& name, const QString& object);

private:
    QDBusConnection m_connection;
    QString m_name;
    Handler m_handler;
    bool m_connected = false;
};

// Notifications between the processes of this user's session: each is one D-Bus signal
// Posted(name, object) on the session bus, heard by every process that matches its name, the
// poster included. Without a session bus, posting does nothing and observers never fire.
class QuorDistributedNotificationCenter {
public:
    static inline const QString objectPath = QStringLiteral("/com/tallowmer/suite");
    static inline const QString interfaceName = QStringLiteral("com.tallowmer.suite.Notifications");
    static inline const QString signalName = QStringLiteral("Posted");

    explicit QuorDistributedNotificationCenter(QDBusConnection connection);
    // The session bus's centre.
    static QuorDistributedNotificationCenter& defaultCenter();

    // False when there is no bus or the signal could not be queued. An absent object travels as "".
    bool post(const QString& name, const QString& object = {}) const;
    // The handler runs on the calling thread's event loop, once per notification of that name.
    std::unique_ptr<QuorDistributedObserver> addObserver(const QString& name,
                                                         QuorDistributedObserver::Handler handler) const;

private:
    QDBusConnection m_connection;
};
