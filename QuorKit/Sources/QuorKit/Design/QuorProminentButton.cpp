#include "QuorKit/Design/QuorProminentButton.h"

#include "QuorKit/Design/QuorAnimation.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSpinner.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTimer>

#include <cmath>

namespace {
constexpr double kRing = 11;
constexpr double kRingSpacing = 6;
constexpr double kCornerRadius = 7;
} // namespace

QuorProminentButton::QuorProminentButton(const QString& title, QColor tint, QFont font, QMargins padding, QWidget* parent)
    : QAbstractButton(parent), m_tint(std::move(tint)), m_font(std::move(font)), m_padding(padding)
{
    setText(title);
    setCursor(Qt::PointingHandCursor);
    // Return and Enter press it too, wherever it stands.
    QuorKeyboardReach::enable(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

void QuorProminentButton::setBusy(bool busy)
{
    if (busy == m_busy) {
        return;
    }
    m_busy = busy;
    if (busy && QuorAnimation::enabled() && m_spin == nullptr) {
        m_spin = QuorSpinner::makeTicker(this, m_angle, [this] { update(); });
    }
    if (m_spin != nullptr) {
        busy ? m_spin->start() : m_spin->stop();
    }
    updateGeometry();
    update();
}

bool QuorProminentButton::focusNextPrevChild(bool next)
{
    return QuorKeyboardReach::keepsFocusWhileDisabled(this) || QAbstractButton::focusNextPrevChild(next);
}

QSize QuorProminentButton::sizeHint() const
{
    const QFontMetricsF metrics(m_font);
    const double width = metrics.horizontalAdvance(text()) + (m_busy ? kRing + kRingSpacing : 0);
    return {static_cast<int>(std::ceil(width)) + m_padding.left() + m_padding.right(),
            static_cast<int>(std::ceil(std::max(metrics.height(), kRing))) + m_padding.top() + m_padding.bottom()};
}

void QuorProminentButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(!isEnabled() ? 0.55 : isDown() ? 0.8 : 1.0);
    const QRectF bounds(rect());
    QuorPlatePainter::paint(painter, bounds, kCornerRadius, m_tint, std::nullopt);
    if (hasFocus()) {
        painter.setPen(QPen(QColor(255, 255, 255, 180), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(1, 1, -1, -1), kCornerRadius - 1, kCornerRadius - 1);
    }
    const QFontMetricsF metrics(m_font);
    const double ring = m_busy ? kRing + kRingSpacing : 0;
    const double content = ring + metrics.horizontalAdvance(text());
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const double start = bounds.center().x() - content / 2;
    if (m_busy) {
        const double x = rtl ? start + content - kRing : start;
        QuorSpinner::paint(painter, QRectF(x, bounds.center().y() - kRing / 2, kRing, kRing), Qt::white, m_angle);
    }
    painter.setFont(m_font);
    painter.setPen(Qt::white);
    const double textX = rtl ? start : start + ring;
    painter.drawText(QRectF(textX, bounds.top(), content - ring, bounds.height()), Qt::AlignCenter, text());
}
