#include "QuorKit/Design/QuorGlassTokens.h"

#include "QuorKit/Design/QuorHexColor.h"

namespace {
QColor whiteAt(double opacity)
{
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f, static_cast<float>(opacity));
}
} // namespace

// Function-local statics: built once, thread-safe on first use.
namespace QuorGlassTokens {
QColor surface1() { static const QColor c = whiteAt(0.06); return c; }
QColor surface2() { static const QColor c = whiteAt(0.10); return c; }
QColor surface3() { static const QColor c = whiteAt(0.16); return c; }
QColor borderSubtle() { static const QColor c = whiteAt(0.14); return c; }
QColor borderStrong() { static const QColor c = whiteAt(0.28); return c; }
QColor textPrimary() { static const QColor c = whiteAt(0.96); return c; }
QColor textSecondary() { static const QColor c = whiteAt(0.72); return c; }
QColor textMuted() { static const QColor c = whiteAt(0.50); return c; }
QColor success() { static const QColor c = quorHexColor(0x3EE6A8); return c; }
QColor warning() { static const QColor c = quorHexColor(0xFFB84D); return c; }
QColor danger() { static const QColor c = quorHexColor(0xFF647C); return c; }
QColor accentViolet() { static const QColor c = quorHexColor(0xA98BFF); return c; }
} // namespace QuorGlassTokens
