#include "QuorPlatform/KeySynth/QuorKeySynthesizer.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QSet>
#include <QVector>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace quor::platform::KeySynthesizer {
namespace {

bool hasXTest(Display* display)
{
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor) != 0;
}

// Keycodes of modifier keys that are down now, Caps Lock and Num Lock left out (their state is a
// toggle, not a held key).
QVector<KeyCode> heldModifierKeys(Display* display)
{
    QVector<KeyCode> held;
    char keys[32] = {};
    XQueryKeymap(display, keys);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (map == nullptr) {
        return held;
    }
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    QSet<KeyCode> seen;
    for (int modifier = 0; modifier < 8; ++modifier) {
        if (modifier == LockMapIndex) {
            continue;
        }
        for (int slot = 0; slot < map->max_keypermod; ++slot) {
            const KeyCode code = map->modifiermap[modifier * map->max_keypermod + slot];
            const bool down = code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
            if (down && code != numLock && !seen.contains(code)) {
                seen.insert(code);
                held.append(code);
            }
        }
    }
    XFreeModifiermap(map);
    return held;
}

} // namespace

bool post(const KeyChord& chord)
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr || !hasXTest(connection->display())) {
        return false;
    }
    Display* display = connection->display();
    QVector<KeyCode> modifiers;
    for (const unsigned long keysym : chord.modifiers) {
        const KeyCode code = XKeysymToKeycode(display, keysym);
        if (code == 0) {
            return false;
        }
        modifiers.append(code);
    }
    const KeyCode key = XKeysymToKeycode(display, chord.key);
    if (key == 0) {
        return false;
    }
    for (const KeyCode held : heldModifierKeys(display)) {
        XTestFakeKeyEvent(display, held, False, CurrentTime);
    }
    for (const KeyCode modifier : modifiers) {
        XTestFakeKeyEvent(display, modifier, True, CurrentTime);
    }
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it) {
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    }
    // Processed by the server before we return, so what follows happens after the keys.
    XSync(display, False);
    return true;
}

bool isKeyboardGrabbedElsewhere()
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return false;
    }
    Display* display = connection->display();
    // A grab that succeeds moves the focus for its moment (the focused window gets FocusOut and a
    // key typed meanwhile is ours), so this one never can: the server answers AlreadyGrabbed for a
    // grab another client holds before it looks at the window, and refuses the window itself (it
    // is not viewable) otherwise.
    XSetWindowAttributes attributes{};
    const Window probe = XCreateWindow(display, connection->root(), -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                       0, &attributes);
    const int status = XGrabKeyboard(display, probe, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (status == GrabSuccess) {
        // Not on any server that follows the protocol; let go at once all the same.
        XUngrabKeyboard(display, CurrentTime);
    }
    XDestroyWindow(display, probe);
    XFlush(display);
    return status == AlreadyGrabbed || status == GrabFrozen;
}

} // namespace quor::platform::KeySynthesizer
