#pragma once

#include <QFont>

// Fonts sized in design points: one point is one logical pixel, the way the layouts are measured,
// whatever DPI the screen reports.
namespace QuorFonts {
QFont system(double size, QFont::Weight weight = QFont::Normal);
QFont monospaced(double size, QFont::Weight weight = QFont::Normal);
} // namespace QuorFonts
