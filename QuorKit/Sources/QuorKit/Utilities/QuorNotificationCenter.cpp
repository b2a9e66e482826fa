#include "QuorKit/Utilities/QuorNotificationCenter.h"

QuorNotificationCenter::QuorNotificationCenter()
{
    qRegisterMetaType<QuorNotification>();
}

QuorNotificationCenter& QuorNotificationCenter::defaultCenter()
{
    static QuorNotificationCenter* const center = new QuorNotificationCenter(); // lives for the process
    return *center;
}

void QuorNotificationCenter::post(const QString& name, const QVariant& object, const QVariantMap& userInfo)
{
    emit posted(QuorNotification{name, object, userInfo});
}

QMetaObject::Connection QuorNotificationCenter::addObserver(const QString& name, QObject* context,
                                                            std::function<void(const QuorNotification&)> handler)
{
    return connect(this, &QuorNotificationCenter::posted, context,
                   [name, handler = std::move(handler)](const QuorNotification& notification) {
                       if (notification.name == name) {
                           handler(notification);
                       }
                   });
}
