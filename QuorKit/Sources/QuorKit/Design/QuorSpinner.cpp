#include "QuorKit/Design/QuorSpinner.h"

#include "QuorKit/Design/QuorAnimation.h"

#include <QPainter>
#include <QTimer>

QuorSpinner::QuorSpinner(QColor color, QWidget* parent, int diameter)
    : QWidget(parent), m_color(std::move(color)), m_ticker(makeTicker(this, m_angle, [this] { update(); }))
{
    setFixedSize(diameter, diameter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void QuorSpinner::setColor(const QColor& color)
{
    if (color != m_color) {
        m_color = color;
        update();
    }
}

QTimer* QuorSpinner::makeTicker(QObject* owner, int& angle, std::function<void()> changed)
{
    auto* timer = new QTimer(owner);
    timer->setInterval(16);
    QObject::connect(timer, &QTimer::timeout, owner, [&angle, changed = std::move(changed)] {
        angle = (angle + 12) % 360;
        changed();
    });
    return timer;
}

void QuorSpinner::paint(QPainter& painter, const QRectF& rect, const QColor& color, int angle)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Proportions of the 16-point spinner: a 2-point line, 2 points in from the edge.
    const double line = rect.width() / 8;
    const QRectF ring = rect.adjusted(line, line, -line, -line);
    QColor track = color;
    track.setAlphaF(static_cast<float>(color.alphaF() * 0.25));
    painter.setPen(QPen(track, line));
    painter.drawEllipse(ring);
    painter.setPen(QPen(color, line, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, -angle * 16, 100 * 16);
    painter.restore();
}

void QuorSpinner::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_color, m_angle);
}

void QuorSpinner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QuorAnimation::enabled()) {
        m_ticker->start();
    }
}

void QuorSpinner::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_ticker->stop();
}
