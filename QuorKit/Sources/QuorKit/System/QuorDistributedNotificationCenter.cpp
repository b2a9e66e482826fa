#include "QuorKit/System/QuorDistributedNotificationCenter.h"

#include <QDBusMessage>

QuorDistributedObserver::QuorDistributedObserver(QDBusConnection connection, QString name, Handler handler)
    : m_connection(std::move(connection)), m_name(std::move(name)), m_handler(std::move(handler))
{
    // Any sender: the bus matches on the interface, the member and the name argument only.
    m_connected = m_connection.isConnected()
        && m_connection.connect(QString(), QuorDistributedNotificationCenter::objectPath,
                                QuorDistributedNotificationCenter::interfaceName,
                                QuorDistributedNotificationCenter::signalName, QStringList{m_name},
                                QStringLiteral("ss"), this, SLOT(receive(QString,QString)));
}

QuorDistributedObserver::~QuorDistributedObserver()
{
    if (m_connected) {
        m_connection.disconnect(QString(), QuorDistributedNotificationCenter::objectPath,
                                QuorDistributedNotificationCenter::interfaceName,
                                QuorDistributedNotificationCenter::signalName, QStringList{m_name},
                                QStringLiteral("ss"), this, SLOT(receive(QString,QString)));
    }
}

void QuorDistributedObserver::receive(const QString& name, const QString& object)
{
    if (name == m_name && m_handler) {
        const Handler handler = m_handler; // the handler may drop this observer
        handler(object);
    }
}

QuorDistributedNotificationCenter::QuorDistributedNotificationCenter(QDBusConnection connection)
    : m_connection(std::move(connection))
{
}

QuorDistributedNotificationCenter& QuorDistributedNotificationCenter::defaultCenter()
{
    static QuorDistributedNotificationCenter* const center =
        new QuorDistributedNotificationCenter(QDBusConnection::sessionBus()); // lives for the process
    return *center;
}

bool QuorDistributedNotificationCenter::post(const QString& name, const QString& object) const
{
    if (!m_connection.isConnected()) {
        return false;
    }
    QDBusMessage message = QDBusMessage::createSignal(objectPath, interfaceName, signalName);
    message << name << object;
    return m_connection.send(message);
}

std::unique_ptr<QuorDistributedObserver> QuorDistributedNotificationCenter::addObserver(
    const QString& name, QuorDistributedObserver::Handler handler) const
{
    return std::make_unique<QuorDistributedObserver>(m_connection, name, std::move(handler));
}
