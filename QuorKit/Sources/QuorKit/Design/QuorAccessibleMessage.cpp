#include "QuorKit/Design/QuorAccessibleMessage.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {
const char* const kRoleProperty = "quorMessageRole";

QAccessibleInterface* messageFactory(const QString& /*className*/, QObject* object)
{
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    const QVariant role = object->property(kRoleProperty);
    return role.isValid() ? new QAccessibleWidget(static_cast<QWidget*>(object), static_cast<QAccessible::Role>(role.toInt()))
                          : nullptr;
}
} // namespace

namespace QuorAccessibleMessage {

void mark(QWidget* widget, QAccessible::Role role)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&messageFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    widget->setProperty(kRoleProperty, static_cast<int>(role));
    // Qt may have made the widget's interface already, for an event sent while it was being built:
    // that one reads as a filler, so it makes way for one with the role.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget); made != nullptr && made->role() != role) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

} // namespace QuorAccessibleMessage
