#include "QuorZubApp/Views/ZubSpinner.h"

#include "QuorKit/Design/QuorAnimation.h"

#include <QPainter>
#include <QTimer>

ZubSpinner::ZubSpinner(QColor accent, QWidget* parent) : QWidget(parent), m_accent(std::move(accent))
{
    setFixedSize(16, 16);
    if (QuorAnimation::enabled()) {
        auto* timer = new QTimer(this);
        timer->setInterval(16);
        connect(timer, &QTimer::timeout, this, [this] {
            m_angle = (m_angle + 12) % 360;
            update();
        });
        timer->start();
    }
}

void ZubSpinner::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = QRectF(rect()).adjusted(2, 2, -2, -2);
    QColor track = m_accent;
    track.setAlphaF(static_cast<float>(m_accent.alphaF() * 0.25));
    painter.setPen(QPen(track, 2));
    painter.drawEllipse(ring);
    painter.setPen(QPen(m_accent, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, -m_angle * 16, 100 * 16);
}
