#pragma once

#include <QtGlobal>

#include <optional>

namespace quor::platform {

// A key and its modifiers as X names them: a keysym and a mask of ShiftMask, ControlMask, Mod1Mask
// (Alt) and Mod4Mask (Super).
struct HotkeyCombination {
    unsigned long keysym = 0;
    unsigned int modifiers = 0;

    // From a virtual key code of the ANSI layout (0 is A, 31 is O) and a mask of modifier bits
    // (Command 0x0100, Shift 0x0200, Option 0x0800, Control 0x1000), the form hot keys are
    // stored in. Command is Ctrl and Option is Alt here; Control, which then has no key of its
    // own, becomes Super. Nothing for a key code without a counterpart.
    static std::optional<HotkeyCombination> fromVirtualKey(quint32 keyCode, quint32 modifierBits);

    bool operator==(const HotkeyCombination& other) const = default;
};

} // namespace quor::platform
