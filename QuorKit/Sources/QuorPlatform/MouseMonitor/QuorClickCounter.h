#pragma once

#include <QPointF>
#include <QtGlobal>

namespace quor::platform {

// Turns successive presses of one button into single, double, triple ... clicks the way toolkits
// do: a press continues the series when it follows the previous press of the same button within
// the double-click interval and radius; anything else starts a new series at 1.
class ClickCounter {
public:
    ClickCounter(qint64 intervalMs, double radius);

    // The click count of this press.
    int press(int button, qint64 timeMs, QPointF position);

private:
    qint64 m_intervalMs;
    double m_radius;
    int m_button = 0;
    qint64 m_timeMs = 0;
    QPointF m_position;
    int m_count = 0;
};

} // namespace quor::platform
