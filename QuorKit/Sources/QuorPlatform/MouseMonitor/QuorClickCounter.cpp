#include "QuorPlatform/MouseMonitor/QuorClickCounter.h"

#include <QLineF>

namespace quor::platform {

ClickCounter::ClickCounter(qint64 intervalMs, double radius)
    : m_intervalMs(intervalMs), m_radius(radius)
{
}

int ClickCounter::press(int button, qint64 timeMs, QPointF position)
{
    const qint64 gap = timeMs - m_timeMs;
    const bool continues = m_count > 0 && button == m_button && gap >= 0 && gap <= m_intervalMs
                           && QLineF(m_position, position).length() <= m_radius;
    m_count = continues ? m_count + 1 : 1;
    m_button = button;
    m_timeMs = timeMs;
    m_position = position;
    return m_count;
}

} // namespace quor::platform
