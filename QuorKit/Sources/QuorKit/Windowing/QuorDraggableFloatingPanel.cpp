#include "QuorKit/Windowing/QuorDraggableFloatingPanel.h"

#include "QuorKit/Windowing/QuorCustomDragTrackingView.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWindow>

#include <cmath>

QuorDraggableFloatingPanel::QuorDraggableFloatingPanel(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), screenMouseLocationProvider([] { return QCursor::pos(); })
{
    // Showing the panel leaves the keyboard with the window the user works in; a click into one
    // of its fields asks for it (handlePress()).
    setAttribute(Qt::WA_ShowWithoutActivating);
}

QuorDraggableFloatingPanel::~QuorDraggableFloatingPanel()
{
    popCursor();
}

bool QuorDraggableFloatingPanel::takesTyping(const QWidget* widget) const
{
    for (const QWidget* w = widget; w != nullptr && w != this; w = w->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(w) != nullptr || qobject_cast<const QTextEdit*>(w) != nullptr
            || qobject_cast<const QPlainTextEdit*>(w) != nullptr || qobject_cast<const QAbstractSpinBox*>(w) != nullptr) {
            return w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus) != 0;
        }
    }
    return false;
}

bool QuorDraggableFloatingPanel::keepsItsOwnDrags(const QWidget* widget) const
{
    for (const QWidget* w = widget; w != nullptr && w != this; w = w->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(w) != nullptr || qobject_cast<const QTextEdit*>(w) != nullptr
            || qobject_cast<const QPlainTextEdit*>(w) != nullptr || qobject_cast<const QAbstractSlider*>(w) != nullptr
            || qobject_cast<const QAbstractSpinBox*>(w) != nullptr
            || dynamic_cast<const QuorCustomDragTrackingView*>(w) != nullptr) {
            return true;
        }
    }
    return false;
}

void QuorDraggableFloatingPanel::showEvent(QShowEvent* event)
{
    // Mouse events reach the window before any child: watching it lets the panel decide first.
    if (QWindow* window = windowHandle(); window != nullptr && window != m_watchedWindow) {
        window->installEventFilter(this);
        m_watchedWindow = window;
    }
    QWidget::showEvent(event);
}

bool QuorDraggableFloatingPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_watchedWindow) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto& mouse = static_cast<const QMouseEvent&>(*event);
        return mouse.button() == Qt::LeftButton && handlePress(mouse);
    }
    case QEvent::MouseMove:
        return (static_cast<const QMouseEvent*>(event)->buttons() & Qt::LeftButton) != 0 && handleMove();
    case QEvent::MouseButtonRelease: {
        const auto& mouse = static_cast<const QMouseEvent&>(*event);
        return mouse.button() == Qt::LeftButton && handleRelease(mouse);
    }
    default:
        return false;
    }
}

bool QuorDraggableFloatingPanel::handlePress(const QMouseEvent& event)
{
    m_trackingPotentialDrag = false;
    m_didStartDragging = false;
    popCursor();
    const QWidget* pressed = childAt(event.position().toPoint());
    if (takesTyping(pressed) && !isActiveWindow()) {
        activateWindow();
    }
    if (keepsItsOwnDrags(pressed)) {
        return false;
    }
    m_trackingPotentialDrag = true;
    m_dragStartScreenPoint = screenMouseLocationProvider();
    m_dragStartWindowOrigin = pos();
    return false;
}

bool QuorDraggableFloatingPanel::handleMove()
{
    if (!m_trackingPotentialDrag) {
        return false;
    }
    const QPoint delta = screenMouseLocationProvider() - m_dragStartScreenPoint;
    if (!m_didStartDragging) {
        // A click with a little jitter stays a click.
        if (std::hypot(delta.x(), delta.y()) < dragThreshold) {
            return false;
        }
        m_didStartDragging = true;
        if (!m_pushedClosedHandCursor) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::ClosedHandCursor));
            m_pushedClosedHandCursor = true;
        }
        move(m_dragStartWindowOrigin + delta);
        if (onDragBegan) {
            onDragBegan(frameGeometry());
        }
    } else {
        move(m_dragStartWindowOrigin + delta);
    }
    if (onDragMoved) {
        onDragMoved(frameGeometry());
    }
    return true;
}

bool QuorDraggableFloatingPanel::handleRelease(const QMouseEvent& event)
{
    if (!m_didStartDragging) {
        m_trackingPotentialDrag = false;
        return false;
    }
    const QPoint origin = pos();
    m_trackingPotentialDrag = false;
    m_didStartDragging = false;
    popCursor();
    // The widget that saw the press gets its release far outside itself, so it clicks nothing.
    QMouseEvent elsewhere(QEvent::MouseButtonRelease, QPointF(releaseElsewhere), QPointF(releaseElsewhere),
                          Qt::LeftButton, Qt::NoButton, event.modifiers());
    elsewhere.setTimestamp(event.timestamp());
    QCoreApplication::sendEvent(m_watchedWindow, &elsewhere);
    if (onDragEnded) {
        onDragEnded(origin);
    }
    return true;
}

void QuorDraggableFloatingPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        resetDragState(true);
        if (onEscapePressed) {
            onEscapePressed();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void QuorDraggableFloatingPanel::hideEvent(QHideEvent* event)
{
    resetDragState(true);
    QWidget::hideEvent(event);
}

void QuorDraggableFloatingPanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        resetDragState(true);
    }
    QWidget::changeEvent(event);
}

void QuorDraggableFloatingPanel::resetDragState(bool notifyCancelled)
{
    const bool wasDragging = m_didStartDragging;
    m_trackingPotentialDrag = false;
    m_didStartDragging = false;
    popCursor();
    if (notifyCancelled && wasDragging && onDragCancelled) {
        onDragCancelled();
    }
}

void QuorDraggableFloatingPanel::popCursor()
{
    if (m_pushedClosedHandCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_pushedClosedHandCursor = false;
    }
}
