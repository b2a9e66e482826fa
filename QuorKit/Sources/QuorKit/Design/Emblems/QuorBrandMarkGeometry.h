#pragma once

#include <QList>
#include <QPointF>

// The suite mark: three eight-point pieces in a 64 x 64 box, y down.
namespace QuorBrandMarkGeometry {
inline constexpr double viewBoxSize = 64;
const QList<QPointF>& topRightPiece();
const QList<QPointF>& leftPiece();
const QList<QPointF>& bottomRightPiece();
// The three pieces in drawing order: top right, left, bottom right.
const QList<QList<QPointF>>& allPieces();
} // namespace QuorBrandMarkGeometry
