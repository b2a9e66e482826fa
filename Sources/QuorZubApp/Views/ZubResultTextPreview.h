#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QString>

// What a result card shows of a text. A text view lays out a paragraph whole, so a result of many
// megabytes would hold the interface for seconds: beyond a size that lays out at once only its
// start is shown, with a line that says so. Copy and Replace keep working on the whole text.
namespace ZubResultTextPreview {

// Characters shown at most, by default.
constexpr qsizetype shownCharacters = 20000;

// `text` itself when it is short enough, else its first `characters` characters and the note.
QString make(const QString& text, QuorLanguage language, qsizetype characters = shownCharacters);

} // namespace ZubResultTextPreview
