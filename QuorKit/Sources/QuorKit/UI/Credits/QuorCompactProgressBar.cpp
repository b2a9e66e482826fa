#include "QuorKit/UI/Credits/QuorCompactProgressBar.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorPlatePainter.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

QuorCompactProgressBar::QuorCompactProgressBar(double ratio, const QColor& tint, QWidget* parent)
    : QWidget(parent), m_ratio(ratio), m_tint(tint)
{
    setFixedHeight(static_cast<int>(barHeight));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

double QuorCompactProgressBar::fillWidth(double ratio, double width)
{
    const double clamped = std::isnan(ratio) ? 0.0 : std::clamp(ratio, 0.0, 1.0);
    if (clamped <= 0) {
        return 0;
    }
    return std::max(clamped * width, minimumFill);
}

void QuorCompactProgressBar::setRatio(double ratio)
{
    m_ratio = ratio;
    update();
}

void QuorCompactProgressBar::setTint(const QColor& tint)
{
    if (tint != m_tint) {
        m_tint = tint;
        update();
    }
}

QSize QuorCompactProgressBar::sizeHint() const
{
    return {100, static_cast<int>(barHeight)};
}

void QuorCompactProgressBar::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const double radius = bounds.height() / 2;
    QuorPlatePainter::paint(painter, bounds, radius, QuorGlassTokens::surface2(), std::nullopt);
    const double fill = fillWidth(m_ratio, bounds.width());
    if (fill > 0) {
        QPainterPath bar;
        bar.addRoundedRect(QRectF(bounds.left(), bounds.top(), fill, bounds.height()), radius, radius);
        painter.fillPath(bar, m_tint);
    }
}
