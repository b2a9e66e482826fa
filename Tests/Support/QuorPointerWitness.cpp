#include "Support/QuorPointerWitness.h"

#include <QCoreApplication>
#include <QMouseEvent>

QuorPointerWitness::QuorPointerWitness()
{
    QCoreApplication::instance()->installEventFilter(this);
}

QuorPointerWitness::~QuorPointerWitness()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool QuorPointerWitness::waitForEventAt(QPoint at, std::chrono::milliseconds timeout)
{
    const bool arrived = quorWaitFor([&] { return m_points.contains(at); }, timeout);
    m_points.clear();
    return arrived;
}

bool QuorPointerWitness::waitForButton(bool down, std::chrono::milliseconds timeout)
{
    int& count = down ? m_presses : m_releases;
    const bool arrived = quorWaitFor([&count] { return count > 0; }, timeout);
    count = 0;
    return arrived;
}

bool QuorPointerWitness::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        ++m_presses;
        break;
    case QEvent::MouseButtonRelease:
        ++m_releases;
        break;
    case QEvent::MouseMove:
        break;
    default:
        return QObject::eventFilter(watched, event);
    }
    m_points.append(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
    return QObject::eventFilter(watched, event);
}
