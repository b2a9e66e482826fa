#pragma once

#include <QString>

namespace quor::platform {

// The language a text is most likely written in.
struct LanguageGuess {
    // Lower-case code ("en", "tr", "zh", "zh-Hant"); "un" when the language cannot be told.
    QString code;
    // The recognizer is clearly more sure of this language than of the next best one.
    bool isReliable = false;

    bool isUnknown() const { return code == QLatin1String("un"); }
    bool operator==(const LanguageGuess& other) const = default;
};

// Tells the dominant language of a text. Implementations need not be safe to share between threads.
class LanguageRecognizer {
public:
    virtual ~LanguageRecognizer() = default;
    virtual LanguageGuess dominantLanguage(const QString& text) = 0;
};

} // namespace quor::platform
