#include "QuorKit/Design/Emblems/QuorFlatDraw.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>

#include <algorithm>

namespace QuorFlatDraw {

void fill(QPainter& painter, QPainterPath path, const QuorFlatPaint& paint)
{
    painter.save();
    path.setFillRule(Qt::WindingFill);
    const QColor color = paint.apply(painter);
    painter.fillPath(path, color);
    painter.restore();
}

void fillEllipse(QPainter& painter, const QRectF& rect, const QuorFlatPaint& paint)
{
    fill(painter, ellipse(rect), paint);
}

QPainterPath roundedRect(const QRectF& rect, double radius)
{
    const double limited = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2.0);
    QPainterPath path;
    if (limited <= 0) {
        path.addRect(rect);
    } else {
        path.addRoundedRect(rect, limited, limited);
    }
    return path;
}

void fillRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QuorFlatPaint& paint)
{
    fill(painter, roundedRect(rect, radius), paint);
}

void stroke(QPainter& painter, const QPainterPath& path, double width, const QuorFlatPaint& paint)
{
    painter.save();
    const QColor color = paint.apply(painter);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.restore();
}

void strokeLine(QPainter& painter, QPointF from, QPointF to, double width, const QuorFlatPaint& paint)
{
    stroke(painter, polyline({from, to}), width, paint);
}

QPainterPath polyline(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    for (const QPointF& point : points) {
        if (path.elementCount() == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    return path;
}

QPainterPath ellipse(const QRectF& rect)
{
    QPainterPath path;
    path.addEllipse(rect);
    return path;
}

namespace {
QRectF circleBox(QPointF centre, double radius)
{
    return {centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius};
}
} // namespace

QPainterPath arc(QPointF centre, double radius, double startDegrees, double endDegrees)
{
    // Qt's angles turn the other way in a y-down space.
    QPainterPath path;
    path.arcMoveTo(circleBox(centre, radius), -startDegrees);
    path.arcTo(circleBox(centre, radius), -startDegrees, -(endDegrees - startDegrees));
    return path;
}

QPainterPath mirrored(const QPainterPath& path)
{
    return QTransform(-1, 0, 0, 1, 100, 0).map(path);
}

QPainterPath pie(QPointF centre, double radius, double startDegrees, double endDegrees)
{
    QPainterPath path(centre);
    path.arcTo(circleBox(centre, radius), -startDegrees, -(endDegrees - startDegrees));
    path.closeSubpath();
    return path;
}

QPainterPath strokeOutline(const QPainterPath& path, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path);
}

QPainterPath united(std::initializer_list<QPainterPath> shapes)
{
    QPainterPath result;
    for (const QPainterPath& shape : shapes) {
        result = result.united(shape);
    }
    return result;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path = polyline(points);
    path.closeSubpath();
    return path;
}

void displayFrame(QPainter& painter, const QuorEmblemTone& tone)
{
    const QRectF screen(21, 25, 58, 39);
    fillRoundedRect(painter, screen, 8.5, tone.soft());
    stroke(painter, roundedRect(screen, 8.5), 3, QuorFlatPaint::solid(tone.primaryColor));
    fillRoundedRect(painter, QRectF(38, 70, 24, 4.6), 2.3, tone.primaryAlpha(0.82));
}

void foldedSheet(QPainter& painter, const QuorEmblemTone& tone)
{
    QPainterPath sheet;
    sheet.moveTo(33, 22);
    sheet.lineTo(56, 22);
    sheet.lineTo(73, 39);
    sheet.lineTo(73, 72);
    sheet.cubicTo(73, 75.3, 70.3, 78, 67, 78);
    sheet.lineTo(33, 78);
    sheet.cubicTo(29.7, 78, 27, 75.3, 27, 72);
    sheet.lineTo(27, 28);
    sheet.cubicTo(27, 24.7, 29.7, 22, 33, 22);
    sheet.closeSubpath();
    fill(painter, sheet, QuorFlatPaint::solid(tone.primaryColor));

    QPainterPath flap;
    flap.moveTo(56, 22);
    flap.lineTo(56, 34);
    flap.cubicTo(56, 36.8, 58.2, 39, 61, 39);
    flap.lineTo(73, 39);
    flap.closeSubpath();
    // A fixed strength, not through the tone's clamp.
    fill(painter, flap, tone.isWhiteGlass ? QuorFlatPaint::cutout(0.55) : QuorFlatPaint::solid(tone.accentColor));
}

void splitShield(QPainter& painter, const QuorEmblemTone& tone)
{
    QPainterPath left;
    left.moveTo(48.7, 23);
    left.lineTo(27, 31.4);
    left.cubicTo(27, 49.4, 33.8, 65.4, 48.7, 76);
    left.closeSubpath();
    fill(painter, left, QuorFlatPaint::solid(tone.primaryColor));

    QPainterPath right;
    right.moveTo(51.3, 23);
    right.lineTo(73, 31.4);
    right.cubicTo(73, 49.4, 66.2, 65.4, 51.3, 76);
    right.closeSubpath();
    fill(painter, right, tone.mid());
}

} // namespace QuorFlatDraw
