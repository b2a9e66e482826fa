#include "QuorKit/Windowing/QuorTearOffDragRegion.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>

#include <cmath>

QuorTearOffDragRegion::QuorTearOffDragRegion(std::function<void(bool)> onTearOffStateChanged,
                                             std::function<void(QPoint)> onTearOffDropped, QWidget* parent)
    : QWidget(parent), onTearOffStateChanged(std::move(onTearOffStateChanged)),
      onTearOffDropped(std::move(onTearOffDropped))
{
    setCursor(Qt::OpenHandCursor);
}

QuorTearOffDragRegion::~QuorTearOffDragRegion()
{
    if (m_pushedCursor) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void QuorTearOffDragRegion::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_isTracking = true;
    m_isOutsideHost = false;
    m_startScreenPoint = event->globalPosition().toPoint();
    event->accept();
}

void QuorTearOffDragRegion::mouseMoveEvent(QMouseEvent* event)
{
    const QWidget* host = window();
    if (!m_isTracking || host == nullptr) {
        return;
    }
    const QPoint pointer = event->globalPosition().toPoint();
    const QPoint moved = pointer - m_startScreenPoint;
    if (std::hypot(moved.x(), moved.y()) < dragThreshold) {
        return;
    }
    if (!m_pushedCursor) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::ClosedHandCursor));
        m_pushedCursor = true;
    }
    const bool outside =
        !host->frameGeometry().adjusted(-hostSlack, -hostSlack, hostSlack, hostSlack).contains(pointer);
    if (outside != m_isOutsideHost) {
        m_isOutsideHost = outside;
        if (onTearOffStateChanged) {
            onTearOffStateChanged(outside);
        }
    }
}

void QuorTearOffDragRegion::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_isTracking || event->button() != Qt::LeftButton) {
        return;
    }
    const bool wasOutside = m_isOutsideHost;
    const QPoint location = event->globalPosition().toPoint();
    cleanUp();
    if (wasOutside && onTearOffDropped) {
        onTearOffDropped(location);
    }
}

void QuorTearOffDragRegion::cleanUp()
{
    m_isTracking = false;
    if (m_isOutsideHost) {
        m_isOutsideHost = false;
        if (onTearOffStateChanged) {
            onTearOffStateChanged(false);
        }
    }
    if (m_pushedCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_pushedCursor = false;
    }
}
