#include "QuorPlatform/Hotkeys/QuorGlobalKeyGrabber.h"

#include "QuorPlatform/X11/QuorX11Connection.h"
#include "QuorPlatform/X11/QuorX11ErrorTrap.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace quor::platform {
namespace {
constexpr unsigned int combinationModifiers = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

unsigned int findNumLockMask(Display* display)
{
    unsigned int mask = 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (map == nullptr) {
        return mask;
    }
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier) {
        for (int slot = 0; slot < map->max_keypermod; ++slot) {
            if (map->modifiermap[modifier * map->max_keypermod + slot] == numLock) {
                mask = 1U << modifier;
            }
        }
    }
    XFreeModifiermap(map);
    return mask;
}
} // namespace

GlobalKeyGrabber::GlobalKeyGrabber(QObject* parent)
    : QObject(parent)
{
}

GlobalKeyGrabber::~GlobalKeyGrabber()
{
    // Closing the connection releases every grab it holds.
    delete m_notifier;
}

bool GlobalKeyGrabber::ensureConnection()
{
    if (m_connection) {
        return true;
    }
    m_connection = X11Connection::open();
    if (!m_connection) {
        return false;
    }
    Display* display = m_connection->display();
    m_numLockMask = findNumLockMask(display);
    // Held keys repeat as presses only, so a long press still ends in one release.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    m_notifier = new QSocketNotifier(m_connection->fileDescriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { drainEvents(); });
    return true;
}

QList<unsigned int> GlobalKeyGrabber::lockVariants() const
{
    QList<unsigned int> variants{0, LockMask};
    if (m_numLockMask != 0) {
        variants.append(m_numLockMask);
        variants.append(m_numLockMask | LockMask);
    }
    return variants;
}

bool GlobalKeyGrabber::grab(const HotkeyCombination& combination)
{
    if (!ensureConnection()) {
        return false;
    }
    for (const Grab& existing : std::as_const(m_grabs)) {
        if (existing.combination == combination) {
            return false;
        }
    }
    Display* display = m_connection->display();
    const KeyCode keycode = XKeysymToKeycode(display, combination.keysym);
    if (keycode == 0) {
        return false;
    }
    const unsigned int modifiers = combination.modifiers & combinationModifiers;
    bool refused = false;
    {
        X11ErrorTrap trap(display);
        for (const unsigned int variant : lockVariants()) {
            XGrabKey(display, keycode, modifiers | variant, m_connection->root(), False, GrabModeAsync, GrabModeAsync);
        }
        refused = trap.sync() != 0;
        if (refused) {
            // Our own variants that did succeed must not linger; the other client's stay its own.
            for (const unsigned int variant : lockVariants()) {
                XUngrabKey(display, keycode, modifiers | variant, m_connection->root());
            }
        }
    }
    drainEvents();
    if (refused) {
        return false;
    }
    m_grabs.append(Grab{HotkeyCombination{combination.keysym, modifiers}, keycode});
    return true;
}

void GlobalKeyGrabber::ungrab(const HotkeyCombination& combination)
{
    if (!m_connection) {
        return;
    }
    Display* display = m_connection->display();
    const unsigned int modifiers = combination.modifiers & combinationModifiers;
    for (qsizetype index = m_grabs.size() - 1; index >= 0; --index) {
        const Grab& grab = m_grabs.at(index);
        if (grab.combination.keysym == combination.keysym && grab.combination.modifiers == modifiers) {
            for (const unsigned int variant : lockVariants()) {
                XUngrabKey(display, grab.keycode, modifiers | variant, m_connection->root());
            }
            m_pressed.remove(grab.keycode);
            m_grabs.removeAt(index);
        }
    }
    XFlush(display);
}

void GlobalKeyGrabber::ungrabAll()
{
    const QList<Grab> grabs = m_grabs;
    for (const Grab& grab : grabs) {
        ungrab(grab.combination);
    }
}

void GlobalKeyGrabber::drainEvents()
{
    if (!m_connection) {
        return;
    }
    Display* display = m_connection->display();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == KeyPress || event.type == KeyRelease) {
            handleKey(event.type == KeyPress, event.xkey.keycode, event.xkey.state);
        }
    }
}

void GlobalKeyGrabber::handleKey(bool pressed, unsigned int keycode, unsigned int state)
{
    if (pressed) {
        const unsigned int modifiers = state & combinationModifiers;
        for (const Grab& grab : std::as_const(m_grabs)) {
            if (grab.keycode == keycode && grab.combination.modifiers == modifiers) {
                m_pressed.insert(keycode, grab.combination);
            }
        }
        return;
    }
    const auto found = m_pressed.constFind(keycode);
    if (found != m_pressed.constEnd()) {
        const HotkeyCombination combination = found.value();
        m_pressed.erase(found);
        emit activated(combination);
    }
}

} // namespace quor::platform
