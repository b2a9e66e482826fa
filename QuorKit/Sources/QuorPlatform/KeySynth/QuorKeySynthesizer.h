#pragma once

#include "QuorPlatform/KeySynth/QuorEditingChords.h"

namespace quor::platform {

// Synthetic key presses through XTest, and the keyboard-grab test that stands in for "secure
// event input". Both use the calling thread's own X connection.
namespace KeySynthesizer {

// Presses the chord's modifiers, taps its key and releases the modifiers, as seen by whichever
// window has the input focus. Modifiers still held by the user (the fingers of Ctrl+Alt+A) are
// released first, or the target would see Ctrl+Alt+C. Keycodes come from the current keyboard
// mapping. False, sending nothing, without XTest or when a key has no keycode.
bool post(const KeyChord& chord);

// True while another client holds the keyboard grab (a password prompt, a menu, a screen locker):
// keys sent now would not reach the focused window, and reading it is not welcome. Asking takes no
// grab: no window loses the focus, and no key is taken from the user.
bool isKeyboardGrabbedElsewhere();

} // namespace KeySynthesizer

} // namespace quor::platform
