#pragma once

#include <QObject>
#include <QVariant>
#include <QVariantMap>

#include <functional>

struct QuorNotification {
    QString name;
    QVariant object;
    QVariantMap userInfo;
};
Q_DECLARE_METATYPE(QuorNotification)

// The in-process notification centre. Observers run on their context object's thread: at once when
// that is the posting thread, queued otherwise. Observing ends when the context is destroyed or the
// returned connection is disconnected.
class QuorNotificationCenter : public QObject {
    Q_OBJECT
public:
    static QuorNotificationCenter& defaultCenter();

    void post(const QString& name, const QVariant& object = {}, const QVariantMap& userInfo = {});
    QMetaObject::Connection addObserver(const QString& name, QObject* context,
                                        std::function<void(const QuorNotification&)> handler);

signals:
    void posted(const QuorNotification& notification);

private:
    QuorNotificationCenter();
};
