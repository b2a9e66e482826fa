#include "QuorZubApp/Views/ZubFrostedGlassCard.h"

#include "QuorZubApp/Views/ZubVibrancyBackdrop.h"

#include <QLinearGradient>
#include <QPainter>

namespace {
QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}
} // namespace

ZubFrostedGlassCard::ZubFrostedGlassCard(double cornerRadius, QuorGroundStops stops, QWidget* parent)
    : QWidget(parent), m_cornerRadius(cornerRadius), m_stops(std::move(stops))
{
    setAttribute(Qt::WA_TranslucentBackground);
}

QPainterPath ZubFrostedGlassCard::shape(const QRectF& rect, double cornerRadius)
{
    return ZubVibrancyBackdrop{ZubVibrancyCornerStyle::rounded(cornerRadius)}.shape(rect);
}

void ZubFrostedGlassCard::paint(QPainter& painter, const QRectF& rect, double cornerRadius,
                                const QuorGroundStops& stops)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath clip = shape(rect, cornerRadius);
    ZubVibrancyBackdrop{ZubVibrancyCornerStyle::rounded(cornerRadius)}.paint(painter, rect);

    QLinearGradient wash(rect.topLeft(), rect.bottomRight());
    wash.setColorAt(0, withOpacity(stops.middle, 0.42));
    wash.setColorAt(1, withOpacity(stops.bottomRight, 0.52));
    painter.fillPath(clip, wash);

    QLinearGradient sheen(rect.topLeft(), QPointF(rect.left(), rect.top() + rect.height() * 0.35));
    sheen.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.06f));
    sheen.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0));
    painter.fillPath(clip, sheen);

    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.2f), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape(rect.adjusted(0.25, 0.25, -0.25, -0.25), cornerRadius - 0.25));
    painter.restore();
}

void ZubFrostedGlassCard::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_cornerRadius, m_stops);
}
