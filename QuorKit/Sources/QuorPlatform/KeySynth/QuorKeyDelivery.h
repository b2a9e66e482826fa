#pragma once

#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorPlatform/KeySynth/QuorEditingChords.h"
#include "QuorPlatform/KeySynth/QuorKeyTarget.h"

#include <QString>

namespace quor::platform {

// Keys for the window they were chosen for, and only for it: the user may have clicked elsewhere
// or moved to another window since the chord was chosen. Looking and posting happen together on
// the calling thread's own X connection, so nothing waits between them.
namespace KeyDelivery {

enum class Result {
    posted,
    // The work the keys were for was called off (a click, a new selection).
    cancelled,
    // Another client holds the keyboard: keys would not reach the window.
    keyboardGrabbed,
    // The focus is on another window than the one the chord was chosen for.
    targetChanged,
    // No XTest, or a key without a keycode.
    unavailable,
};

// Posts `chord` unless `token` is cancelled, the keyboard is grabbed, or the keys would now reach
// other windows than `chosenFor`; nothing is sent then.
Result post(const KeyChord& chord, const KeyTarget::Windows& chosenFor, const QuorCancellationToken& token);

// Why nothing was sent, for the log; empty for `posted`.
QString reason(Result result);

} // namespace KeyDelivery

} // namespace quor::platform
