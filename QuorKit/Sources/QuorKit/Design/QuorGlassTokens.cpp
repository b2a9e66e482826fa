#include "QuorKit/Design/QuorGlassTokens.h"

namespace {
QColor whiteAt(double opacity)
{
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f, static_cast<float>(opacity));
}
} // namespace

namespace QuorGlassTokens {
QColor textSecondary() { return whiteAt(0.72); }
QColor surface2() { return whiteAt(0.10); }
QColor borderSubtle() { return whiteAt(0.14); }
} // namespace QuorGlassTokens
