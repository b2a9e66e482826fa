#pragma once

#include <QColor>

// The colour tokens every view draws with (white at fixed opacities over the dark glass).
namespace QuorGlassTokens {
QColor textSecondary(); // white at 0.72
QColor surface2();      // white at 0.10
QColor borderSubtle();  // white at 0.14
} // namespace QuorGlassTokens
