#include "QuorKit/Design/Emblems/QuorEmblemTone.h"

#include <QPainter>

#include <algorithm>

namespace {
// The alpha is replaced, not multiplied.
QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}
} // namespace

QColor QuorFlatPaint::apply(QPainter& painter) const
{
    if (kind == Kind::cutout) {
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        return QColor::fromRgbF(0.0f, 0.0f, 0.0f, static_cast<float>(strength));
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    return color;
}

const QuorEmblemTone& QuorEmblemTone::whiteGlass()
{
    static const QuorEmblemTone tone{QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.98f),
                                     QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.72f), true};
    return tone;
}

QuorEmblemTone QuorEmblemTone::flatLight(const QColor& primary, const QColor& accent)
{
    return {primary, accent, false};
}

QuorFlatPaint QuorEmblemTone::primary() const { return QuorFlatPaint::solid(primaryColor); }
QuorFlatPaint QuorEmblemTone::accent() const { return QuorFlatPaint::solid(accentColor); }
QuorFlatPaint QuorEmblemTone::mid() const { return primaryAlpha(0.46); }
QuorFlatPaint QuorEmblemTone::soft() const { return primaryAlpha(isWhiteGlass ? 0.16 : 0.11); }
QuorFlatPaint QuorEmblemTone::stroke() const { return primaryAlpha(isWhiteGlass ? 0.42 : 0.28); }

QuorFlatPaint QuorEmblemTone::onPrimaryAccent() const
{
    return isWhiteGlass ? QuorFlatPaint::cutout(0.86) : accent();
}

QuorFlatPaint QuorEmblemTone::primaryAlpha(double alpha) const
{
    return QuorFlatPaint::solid(withAlpha(primaryColor, alpha));
}

QuorFlatPaint QuorEmblemTone::accentAlpha(double alpha) const
{
    return QuorFlatPaint::solid(withAlpha(accentColor, alpha));
}

QuorFlatPaint QuorEmblemTone::cutout(double strength) const
{
    if (isWhiteGlass) {
        return QuorFlatPaint::cutout(std::clamp(strength * 1.15, 0.55, 1.0));
    }
    return QuorFlatPaint::solid(QColor::fromRgbF(238.0f / 255.0f, 241.0f / 255.0f, 247.0f / 255.0f,
                                                 static_cast<float>(strength)));
}
