#pragma once

#include <QString>

// What a preview of a few lines shows of a text: its start, at most `characters` characters and
// `lineBreaks` line breaks, and an ellipsis when more follows. A preview is laid out again on every
// size query and paint, so it has to cost what its few lines cost whatever the text's size (a
// result may be megabytes); the whole text stays with whoever acts on it (copy, replace, speak).
namespace ZubTextPreview {

// More than a few lines of the widest window hold.
constexpr qsizetype defaultCharacters = 4000;

QString make(const QString& text, qsizetype lineBreaks, qsizetype characters = defaultCharacters);

} // namespace ZubTextPreview
