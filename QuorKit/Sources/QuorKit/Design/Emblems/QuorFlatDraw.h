#pragma once

#include "QuorKit/Design/Emblems/QuorEmblemTone.h"

#include <QPainterPath>
#include <QRectF>

class QPainter;

// Drawing vocabulary of the emblems, in the 100 x 100 design space (origin top-left, y down).
// Every shape is painted between a save and a restore, so no blend mode, colour or line setting
// leaks into the next one; fills use the non-zero winding rule.
namespace QuorFlatDraw {

void fill(QPainter& painter, QPainterPath path, const QuorFlatPaint& paint);
void fillEllipse(QPainter& painter, const QRectF& rect, const QuorFlatPaint& paint);
// The radius is limited to half the shorter side.
void fillRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QuorFlatPaint& paint);
// Round caps and joins.
void stroke(QPainter& painter, const QPainterPath& path, double width, const QuorFlatPaint& paint);

QPainterPath polygon(std::initializer_list<QPointF> points);
QPainterPath roundedRect(const QRectF& rect, double radius);

// Shared shapes several emblems start from.
void displayFrame(QPainter& painter, const QuorEmblemTone& tone); // a monitor
void foldedSheet(QPainter& painter, const QuorEmblemTone& tone);  // a dog-eared document
void splitShield(QPainter& painter, const QuorEmblemTone& tone);  // a shield split down the middle

} // namespace QuorFlatDraw
