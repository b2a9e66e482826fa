#pragma once

#include "QuorPlatform/LanguageRecognition/QuorLanguageRecognizer.h"

namespace quor::platform {

// Language identification with CLD2, which stays right on short texts, Turkish included. Legacy
// codes come back modernised (iw is he, in is id, ji is yi, jw is jv); script-only guesses are
// unknown. CLD2 keeps no state, so one instance may serve every thread.
class Cld2LanguageRecognizer : public LanguageRecognizer {
public:
    LanguageGuess dominantLanguage(const QString& text) override;
};

} // namespace quor::platform
