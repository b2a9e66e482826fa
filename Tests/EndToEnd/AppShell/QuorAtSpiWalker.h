#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QMetaType>
#include <QRect>
#include <QString>

#include <optional>

class QDBusArgument;

// One accessible object on the accessibility bus.
struct AtSpiRef {
    QString service;
    QDBusObjectPath path;
    bool operator==(const AtSpiRef& other) const { return service == other.service && path == other.path; }
};
Q_DECLARE_METATYPE(AtSpiRef)
QDBusArgument& operator<<(QDBusArgument& argument, const AtSpiRef& ref);
const QDBusArgument& operator>>(const QDBusArgument& argument, AtSpiRef& ref);

// A screen reader's view of a running program: asks the session bus for the accessibility bus,
// finds the program among the registry's applications and reads its tree over AT-SPI, as an
// assistive technology does.
class AtSpiWalker {
public:
    // AT-SPI state bits.
    static constexpr int checkedState = 4;
    static constexpr int editableState = 7;
    static constexpr int enabledState = 8;
    static constexpr int focusableState = 11;
    static constexpr int focusedState = 12;
    static constexpr int selectedState = 23;
    static constexpr int showingState = 25;
    static constexpr int visibleState = 30;

    struct Node {
        AtSpiRef ref;
        AtSpiRef parent;
        QString role;
        QString name;
        quint64 states = 0;
        bool has(int state) const { return (states >> state) & 1U; }
        // Something a user operates: buttons, check boxes, fields, tabs, list items, menu items.
        bool isControl() const;
        // Announced as the chosen one: checked (radio buttons, check boxes) or selected (tabs, items).
        bool isChosen() const { return has(checkedState) || has(selectedState); }
    };

    AtSpiWalker();
    bool isConnected() const { return m_bus.isConnected(); }

    std::optional<AtSpiRef> application(qint64 pid) const;
    QList<AtSpiRef> children(const AtSpiRef& ref) const;
    Node node(const AtSpiRef& ref) const;
    quint64 states(const AtSpiRef& ref) const;
    // Every visible node under `root`, root included, depth first.
    QList<Node> walk(const AtSpiRef& root) const;
    // The application's visible top-level window named `title`.
    std::optional<AtSpiRef> window(const AtSpiRef& application, const QString& title) const;
    bool doAction(const AtSpiRef& ref, int index = 0) const;
    // What a screen reader reads as the object's text (a text field's content), or nothing.
    QString text(const AtSpiRef& ref) const;
    // Where the object is on the screen.
    QRect extents(const AtSpiRef& ref) const;

private:
    QDBusConnection m_bus;
};
