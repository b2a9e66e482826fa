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

void strokeLine(QPainter& painter, QPointF from, QPointF to, double width, const QuorFlatPaint& paint);

QPainterPath polygon(std::initializer_list<QPointF> points);
// An open path through the points.
QPainterPath polyline(std::initializer_list<QPointF> points);
QPainterPath roundedRect(const QRectF& rect, double radius);
QPainterPath ellipse(const QRectF& rect);
// An open arc of the circle around `centre`, from `startDegrees` to `endDegrees` with the angle
// growing (0 points right, 90 points down in design space).
QPainterPath arc(QPointF centre, double radius, double startDegrees, double endDegrees);
// The path reflected across the design space's vertical centre line (x = 50).
QPainterPath mirrored(const QPainterPath& path);
// The same arc closed through the centre: a pie slice.
QPainterPath pie(QPointF centre, double radius, double startDegrees, double endDegrees);
// What a stroke of `width` with round caps and joins covers, as a shape to fill.
QPainterPath strokeOutline(const QPainterPath& path, double width);
// The shapes as one outline. Shapes of one paint that overlap are filled as one: painted one over
// the other, their antialiased edges would show as faint seams inside the union.
QPainterPath united(std::initializer_list<QPainterPath> shapes);

// Shared shapes several emblems start from.
void displayFrame(QPainter& painter, const QuorEmblemTone& tone); // a monitor
void foldedSheet(QPainter& painter, const QuorEmblemTone& tone);  // a dog-eared document
void splitShield(QPainter& painter, const QuorEmblemTone& tone);  // a shield split down the middle

} // namespace QuorFlatDraw
