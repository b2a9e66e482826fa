#include "QuorKit/Design/QuorGroundBackground.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

QuorGroundBackground::QuorGroundBackground(QuorProductPalette palette, QWidget* parent)
    : QWidget(parent), m_palette(palette)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QuorGroundBackground::paint(QPainter& painter, const QRectF& rect, QuorProductPalette palette)
{
    const QuorGroundStops stops = QuorProductPalettes::groundStops(palette);
    QLinearGradient ground(rect.topLeft(), rect.bottomRight());
    ground.setColorAt(0.0, stops.topLeft);
    ground.setColorAt(0.5, stops.middle);
    ground.setColorAt(1.0, stops.bottomRight);
    painter.fillRect(rect, ground);

    QRadialGradient glow(rect.topLeft(), 520, rect.topLeft(), 20);
    glow.setColorAt(0.0, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.09f));
    glow.setColorAt(1.0, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.0f));
    painter.fillRect(rect, glow);
}

void QuorGroundBackground::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_palette);
}
