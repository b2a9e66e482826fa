#pragma once

#include <QFont>

// Fonts sized in design points: one point is one logical pixel, the way the layouts are measured,
// whatever DPI the screen reports.
namespace QuorFonts {
QFont system(double size, QFont::Weight weight = QFont::Normal);
QFont monospaced(double size, QFont::Weight weight = QFont::Normal);
// Whether an installed emoji font draws pictographs (text then shows them instead of a missing-glyph
// box). Asked once; GUI thread.
bool hasEmoji();
} // namespace QuorFonts
