#include "QuorAtSpiWalker.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QSet>

namespace {
const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kRegistry = QStringLiteral("org.a11y.atspi.Registry");
constexpr int kTimeoutMs = 5000;

QDBusConnection accessibilityBus()
{
    qDBusRegisterMetaType<AtSpiRef>();
    qDBusRegisterMetaType<QList<AtSpiRef>>();
    // The bus launcher starts on demand, as it does when a screen reader asks.
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                       QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    const QDBusReply<QString> address = QDBusConnection::sessionBus().call(call, QDBus::Block, kTimeoutMs);
    if (!address.isValid()) {
        qWarning("no accessibility bus: %s", qPrintable(address.error().message()));
        return QDBusConnection(QString());
    }
    return QDBusConnection::connectToBus(address.value(), QStringLiteral("quor-atspi-walker"));
}

QDBusMessage call(const QDBusConnection& bus, const AtSpiRef& ref, const QString& interface, const QString& method,
                  const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(ref.service, ref.path.path(), interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kTimeoutMs);
}
} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const AtSpiRef& ref)
{
    argument.beginStructure();
    argument << ref.service << ref.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, AtSpiRef& ref)
{
    argument.beginStructure();
    argument >> ref.service >> ref.path;
    argument.endStructure();
    return argument;
}

bool AtSpiWalker::Node::isControl() const
{
    static const QSet<QString> controls{
        QStringLiteral("push button"), QStringLiteral("toggle button"), QStringLiteral("check box"),
        QStringLiteral("radio button"), QStringLiteral("combo box"),    QStringLiteral("slider"),
        QStringLiteral("spin button"), QStringLiteral("page tab"),      QStringLiteral("link"),
        QStringLiteral("menu item"),   QStringLiteral("password text"), QStringLiteral("list item"),
    };
    if (controls.contains(role)) {
        return true;
    }
    // Text is a control where it can be typed into.
    return (role == QStringLiteral("text") || role == QStringLiteral("entry")) && has(editableState);
}

AtSpiWalker::AtSpiWalker() : m_bus(accessibilityBus()) {}

std::optional<AtSpiRef> AtSpiWalker::application(qint64 pid) const
{
    const AtSpiRef root{kRegistry, QDBusObjectPath(QStringLiteral("/org/a11y/atspi/accessible/root"))};
    for (const AtSpiRef& app : children(root)) {
        const QDBusReply<uint> owner = m_bus.interface()->servicePid(app.service);
        if (owner.isValid() && owner.value() == pid) {
            return app;
        }
    }
    return std::nullopt;
}

QList<AtSpiRef> AtSpiWalker::children(const AtSpiRef& ref) const
{
    const QDBusMessage reply = call(m_bus, ref, kAccessible, QStringLiteral("GetChildren"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return qdbus_cast<QList<AtSpiRef>>(reply.arguments().constFirst());
}

quint64 AtSpiWalker::states(const AtSpiRef& ref) const
{
    const QDBusMessage reply = call(m_bus, ref, kAccessible, QStringLiteral("GetState"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return 0;
    }
    const QList<uint> words = qdbus_cast<QList<uint>>(reply.arguments().constFirst());
    return words.size() < 2 ? 0 : (quint64(words[1]) << 32) | words[0];
}

AtSpiWalker::Node AtSpiWalker::node(const AtSpiRef& ref) const
{
    Node node;
    node.ref = ref;
    const QDBusMessage role = call(m_bus, ref, kAccessible, QStringLiteral("GetRoleName"));
    if (role.type() == QDBusMessage::ReplyMessage && !role.arguments().isEmpty()) {
        node.role = role.arguments().constFirst().toString();
    }
    const QDBusMessage name = call(m_bus, ref, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                   {kAccessible, QStringLiteral("Name")});
    if (name.type() == QDBusMessage::ReplyMessage && !name.arguments().isEmpty()) {
        node.name = qdbus_cast<QDBusVariant>(name.arguments().constFirst()).variant().toString();
    }
    node.states = states(ref);
    return node;
}

QList<AtSpiWalker::Node> AtSpiWalker::walk(const AtSpiRef& root) const
{
    QList<Node> nodes;
    QList<std::pair<AtSpiRef, AtSpiRef>> pending{{root, AtSpiRef{}}};
    while (!pending.isEmpty()) {
        const auto [ref, parent] = pending.takeFirst();
        Node next = node(ref);
        if (!next.has(visibleState)) {
            continue;
        }
        next.parent = parent;
        nodes.append(next);
        QList<std::pair<AtSpiRef, AtSpiRef>> inside;
        for (const AtSpiRef& child : children(ref)) {
            inside.append({child, ref});
        }
        pending = inside + pending;
    }
    return nodes;
}

QRect AtSpiWalker::extents(const AtSpiRef& ref) const
{
    // Screen coordinates.
    const QDBusMessage reply = call(m_bus, ref, QStringLiteral("org.a11y.atspi.Component"), QStringLiteral("GetExtents"),
                                    {QVariant::fromValue(uint(0))});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    const QDBusArgument argument = reply.arguments().constFirst().value<QDBusArgument>();
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return {x, y, width, height};
}

std::optional<AtSpiRef> AtSpiWalker::window(const AtSpiRef& application, const QString& title) const
{
    for (const AtSpiRef& child : children(application)) {
        const Node window = node(child);
        if (window.name == title && window.has(visibleState)) {
            return child;
        }
    }
    return std::nullopt;
}

bool AtSpiWalker::doAction(const AtSpiRef& ref, int index) const
{
    const QDBusMessage reply = call(m_bus, ref, QStringLiteral("org.a11y.atspi.Action"), QStringLiteral("DoAction"), {index});
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() && reply.arguments().constFirst().toBool();
}

QString AtSpiWalker::text(const AtSpiRef& ref) const
{
    // -1 reads to the end.
    const QDBusMessage reply = call(m_bus, ref, QStringLiteral("org.a11y.atspi.Text"), QStringLiteral("GetText"), {0, -1});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().constFirst().toString();
}
