#include "QuorZubApp/Views/ZubFrostedGlassCapsule.h"

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

ZubFrostedGlassCapsule::ZubFrostedGlassCapsule(QuorGroundStops stops, QWidget* parent)
    : QWidget(parent), m_stops(std::move(stops))
{
    setAttribute(Qt::WA_TranslucentBackground);
}

QPainterPath ZubFrostedGlassCapsule::shape(const QRectF& rect)
{
    return ZubVibrancyBackdrop{ZubVibrancyCornerStyle::capsule()}.shape(rect);
}

void ZubFrostedGlassCapsule::paint(QPainter& painter, const QRectF& rect, const QuorGroundStops& stops)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath clip = shape(rect);
    ZubVibrancyBackdrop{ZubVibrancyCornerStyle::capsule()}.paint(painter, rect);

    QLinearGradient wash(rect.topLeft(), rect.bottomRight());
    wash.setColorAt(0, withOpacity(stops.topLeft, 0.4));
    wash.setColorAt(1, withOpacity(stops.bottomRight, 0.5));
    painter.fillPath(clip, wash);

    QLinearGradient sheen(rect.topLeft(), rect.bottomLeft());
    sheen.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.07f));
    sheen.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0));
    painter.fillPath(clip, sheen);

    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.2f), 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape(rect.adjusted(0.25, 0.25, -0.25, -0.25)));
    painter.restore();
}

void ZubFrostedGlassCapsule::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_stops);
}
