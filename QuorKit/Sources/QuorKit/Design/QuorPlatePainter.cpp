#include "QuorKit/Design/QuorPlatePainter.h"

#include <QPainter>

#include <algorithm>

namespace QuorPlatePainter {

QPainterPath paint(QPainter& painter, const QRectF& bounds, double cornerRadius, const QColor& fill,
                   const std::optional<QColor>& border)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = cornerRadius < 0 ? bounds.height() / 2 : cornerRadius;
    QPainterPath shape;
    shape.addRoundedRect(bounds, radius, radius);
    painter.fillPath(shape, fill);
    if (border) {
        const double inner = std::max(0.0, radius - 0.5);
        painter.setPen(QPen(*border, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), inner, inner);
    }
    return shape;
}

} // namespace QuorPlatePainter
