#include "QuorPlatform/KeySynth/QuorKeyDelivery.h"

#include "QuorPlatform/KeySynth/QuorKeySynthesizer.h"

namespace quor::platform::KeyDelivery {

Result post(const KeyChord& chord, const KeyTarget::Windows& chosenFor, const QuorCancellationToken& token)
{
    if (token.isCancelled()) {
        return Result::cancelled;
    }
    if (KeySynthesizer::isKeyboardGrabbedElsewhere()) {
        return Result::keyboardGrabbed;
    }
    if (!KeyTarget::currentWindows().sameTargetAs(chosenFor)) {
        return Result::targetChanged;
    }
    // Asked again after the round trips above, during which a click may have called the work off.
    if (token.isCancelled()) {
        return Result::cancelled;
    }
    return KeySynthesizer::post(chord) ? Result::posted : Result::unavailable;
}

QString reason(Result result)
{
    switch (result) {
    case Result::posted: return {};
    case Result::cancelled: return QStringLiteral("a click or a new selection called it off");
    case Result::keyboardGrabbed: return QStringLiteral("another client holds the keyboard");
    case Result::targetChanged: return QStringLiteral("the focus moved to another window");
    case Result::unavailable: return QStringLiteral("keys cannot be synthesized here");
    }
    return {};
}

} // namespace quor::platform::KeyDelivery
