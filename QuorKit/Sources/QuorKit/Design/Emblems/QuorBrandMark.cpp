#include "QuorKit/Design/Emblems/QuorBrandMark.h"

#include "QuorKit/Design/Emblems/QuorAppEmblem.h"
#include "QuorKit/Design/Emblems/QuorBrandMarkGeometry.h"
#include "QuorKit/Design/Emblems/QuorEmblemRenderer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

QuorBrandMark::QuorBrandMark(double size, QuorBrandMarkStyle style, QWidget* parent)
    : QWidget(parent), m_size(QuorEmblemRenderer::viewSize(size)), m_style(style)
{
    setAttribute(Qt::WA_TranslucentBackground);
    const int side = static_cast<int>(std::ceil(m_size));
    setFixedSize(side, side);
}

QSize QuorBrandMark::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_size));
    return {side, side};
}

std::optional<QuorAppIdentity> QuorBrandMark::emblemFor(const QuorBrandMarkStyle& style,
                                                        std::optional<QuorAppIdentity> current)
{
    switch (style.kind) {
    case QuorBrandMarkStyle::Kind::app:
        return style.identity;
    case QuorBrandMarkStyle::Kind::currentApp:
        return current;
    case QuorBrandMarkStyle::Kind::quorbelSuite:
        break;
    }
    return std::nullopt;
}

void QuorBrandMark::paintSuiteMark(QPainter& painter, const QRectF& rect)
{
    const double w = rect.width();
    const double h = rect.height();
    QLinearGradient body(rect.topLeft(), rect.topLeft() + QPointF(w, h));
    body.setColorAt(0.0, Qt::white);
    body.setColorAt(0.55, QColor(238, 241, 246));
    body.setColorAt(1.0, QColor(195, 202, 216));
    QLinearGradient sheen(rect.topLeft() + QPointF(0, h), rect.topLeft() + QPointF(w, 0));
    sheen.setColorAt(0.3, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.0f));
    sheen.setColorAt(0.5, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.55f));
    sheen.setColorAt(0.7, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.0f));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double sx = w / QuorBrandMarkGeometry::viewBoxSize;
    const double sy = h / QuorBrandMarkGeometry::viewBoxSize;
    for (const QList<QPointF>& piece : QuorBrandMarkGeometry::allPieces()) {
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        for (int i = 0; i < piece.size(); ++i) {
            const QPointF point = rect.topLeft() + QPointF(piece[i].x() * sx, piece[i].y() * sy);
            if (i == 0) {
                path.moveTo(point);
            } else {
                path.lineTo(point);
            }
        }
        path.closeSubpath();
        painter.fillPath(path, body);
        painter.fillPath(path, sheen);
    }
    painter.restore();
}

void QuorBrandMark::paint(QPainter& painter, const QRectF& rect, const QuorBrandMarkStyle& style)
{
    const std::optional<QuorAppIdentity> current =
        style.kind == QuorBrandMarkStyle::Kind::currentApp ? QuorAppIdentities::current() : std::nullopt;
    if (const auto emblem = emblemFor(style, current)) {
        QuorAppEmblem::paint(painter, rect, *emblem, false, Qt::white);
    } else {
        paintSuiteMark(painter, rect);
    }
}

void QuorBrandMark::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    paint(painter, QRectF(0, 0, m_size, m_size), m_style);
}
