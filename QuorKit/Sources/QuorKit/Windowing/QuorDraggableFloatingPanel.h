#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class QMouseEvent;
class QWindow;

// A small always-on-top panel that moves itself when the user drags anywhere on its background,
// while presses on text fields, sliders, scroll bars and QuorCustomDragTrackingView widgets keep
// their own drags. A press that moves less than 4 pixels stays a click; after a real drag the
// content gets its release far outside itself, so the press that started the drag clicks nothing.
// The panel shows without taking the keyboard, and takes it when the user clicks into a field.
class QuorDraggableFloatingPanel : public QWidget {
public:
    static constexpr double dragThreshold = 4.0;
    // Where the content's release after a drag is delivered.
    static constexpr QPoint releaseElsewhere{-10000, -10000};

    explicit QuorDraggableFloatingPanel(QWidget* parent = nullptr,
                                        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint
                                                                | Qt::WindowStaysOnTopHint);
    ~QuorDraggableFloatingPanel() override;

    std::function<void()> onEscapePressed;
    std::function<void(QRect frame)> onDragBegan;
    std::function<void(QRect frame)> onDragMoved;
    std::function<void(QPoint origin)> onDragEnded;
    std::function<void()> onDragCancelled;
    // The pointer's global position; the real pointer unless a test says otherwise.
    std::function<QPoint()> screenMouseLocationProvider;

    bool isTrackingPotentialDrag() const { return m_trackingPotentialDrag; }
    bool isDragging() const { return m_didStartDragging; }

    // Whether a press on `widget` (a child of this panel) is the content's own and never a drag.
    bool keepsItsOwnDrags(const QWidget* widget) const;
    // Whether `widget` is, or lies in, a field the user types into: a press there activates the
    // panel, which otherwise shows without taking the keyboard.
    bool takesTyping(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool handlePress(const QMouseEvent& event);
    bool handleMove();
    bool handleRelease(const QMouseEvent& event);
    void resetDragState(bool notifyCancelled);
    void popCursor();

    bool m_trackingPotentialDrag = false;
    bool m_didStartDragging = false;
    bool m_pushedClosedHandCursor = false;
    QPoint m_dragStartScreenPoint;
    QPoint m_dragStartWindowOrigin;
    QPointer<QWindow> m_watchedWindow;
};
