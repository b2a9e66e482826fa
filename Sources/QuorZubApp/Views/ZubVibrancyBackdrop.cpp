#include "QuorZubApp/Views/ZubVibrancyBackdrop.h"

#include <QPainter>

QColor ZubVibrancyBackdrop::baseColor()
{
    // A dark heads-up-display grey with a hint of the ground's plum.
    return QColor::fromRgbF(0.11f, 0.09f, 0.12f, 0.86f);
}

QPainterPath ZubVibrancyBackdrop::shape(const QRectF& rect) const
{
    const double radius = std::min(cornerStyle.cornerRadius(rect.height()), std::min(rect.width(), rect.height()) / 2);
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void ZubVibrancyBackdrop::paint(QPainter& painter, const QRectF& rect) const
{
    painter.fillPath(shape(rect), baseColor());
}
