#pragma once

#include "QuorPlatform/Hotkeys/QuorHotkeyCombination.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <memory>

class QSocketNotifier;

namespace quor::platform {

class X11Connection;

// System-wide key combinations: passive key grabs on the root window of a private X connection.
// Each grabber is its own X client, so two grabbers compete for a combination like two programs.
// Used on the thread that created it; key events arrive through a socket notifier.
class GlobalKeyGrabber : public QObject {
    Q_OBJECT
public:
    explicit GlobalKeyGrabber(QObject* parent = nullptr);
    ~GlobalKeyGrabber() override;

    // Grabs the combination with every Caps Lock / Num Lock state, since either lock adds its
    // bit to the modifiers. False when there is no display, the keysym has no key, this grabber
    // already holds the combination, or another client does (the server answers BadAccess, which
    // a round trip brings back); a refused grab leaves nothing behind.
    bool grab(const HotkeyCombination& combination);
    void ungrab(const HotkeyCombination& combination);
    void ungrabAll();

signals:
    // Once per press, when the key is released: a passive grab holds the whole keyboard until
    // then, so keys synthesized by the handler would come back to us instead of the focused
    // window.
    void activated(const quor::platform::HotkeyCombination& combination);

private:
    struct Grab {
        HotkeyCombination combination;
        unsigned int keycode = 0;
    };

    bool ensureConnection();
    QList<unsigned int> lockVariants() const;
    void drainEvents();
    void handleKey(bool pressed, unsigned int keycode, unsigned int state);

    std::unique_ptr<X11Connection> m_connection;
    QSocketNotifier* m_notifier = nullptr;
    unsigned int m_numLockMask = 0;
    QList<Grab> m_grabs;
    // Keycode -> combination pressed and not yet released.
    QHash<unsigned int, HotkeyCombination> m_pressed;
};

} // namespace quor::platform
