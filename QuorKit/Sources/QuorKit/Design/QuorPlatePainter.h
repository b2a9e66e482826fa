#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

#include <optional>

class QPainter;

// The plate under the kit's pills, badges and buttons: a rounded rectangle filled with one colour
// and, optionally, edged inside with a 1-point line.
namespace QuorPlatePainter {
// Paints the plate into `bounds` (antialiased; a negative `cornerRadius` gives a capsule) and
// returns its outline, for overlays such as a pressed shade. Leaves the border pen and no brush set.
QPainterPath paint(QPainter& painter, const QRectF& bounds, double cornerRadius, const QColor& fill,
                   const std::optional<QColor>& border);
} // namespace QuorPlatePainter
