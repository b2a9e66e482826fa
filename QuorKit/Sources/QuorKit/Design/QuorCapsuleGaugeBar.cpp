#include "QuorKit/Design/QuorCapsuleGaugeBar.h"

#include "QuorKit/Design/QuorPlatePainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

QuorCapsuleGaugeBar::QuorCapsuleGaugeBar(double fraction, Look look, QWidget* parent)
    : QWidget(parent), m_fraction(fraction), m_look(std::move(look))
{
    setFixedHeight(static_cast<int>(std::ceil(m_look.height)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

double QuorCapsuleGaugeBar::fillWidth(double fraction, double width, double minimumFill)
{
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    if (clamped <= 0 || width <= 0) {
        return 0;
    }
    return std::min(width, std::max(clamped * width, minimumFill));
}

QSize QuorCapsuleGaugeBar::sizeHint() const
{
    return {100, static_cast<int>(std::ceil(m_look.height))};
}

void QuorCapsuleGaugeBar::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QRectF bounds(rect());
    QuorPlatePainter::paint(painter, bounds, -1, m_look.track, std::nullopt);
    const double fill = fillWidth(m_fraction, bounds.width(), m_look.minimumFill);
    if (fill <= 0) {
        return;
    }
    QLinearGradient gradient(bounds.topLeft(), QPointF(bounds.left() + fill, bounds.top()));
    gradient.setColorAt(0, m_look.fillStart);
    gradient.setColorAt(1, m_look.fillEnd);
    QPainterPath bar;
    const double radius = bounds.height() / 2;
    bar.addRoundedRect(QRectF(bounds.left(), bounds.top(), fill, bounds.height()), radius, radius);
    painter.fillPath(bar, gradient);
}
