#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>

// A handle the user drags out of its window to tear something off: it reports when the pointer
// leaves the host window (by more than 4 pixels) and comes back, and where it was dropped outside.
// A press that moves less than 8 pixels reports nothing.
class QuorTearOffDragRegion : public QWidget {
public:
    static constexpr double dragThreshold = 8.0;
    static constexpr int hostSlack = 4;

    QuorTearOffDragRegion(std::function<void(bool isOutsideHost)> onTearOffStateChanged,
                          std::function<void(QPoint screenLocation)> onTearOffDropped, QWidget* parent = nullptr);
    ~QuorTearOffDragRegion() override;

    std::function<void(bool isOutsideHost)> onTearOffStateChanged;
    std::function<void(QPoint screenLocation)> onTearOffDropped;

    bool isTracking() const { return m_isTracking; }
    bool isOutsideHost() const { return m_isOutsideHost; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void cleanUp();

    bool m_isTracking = false;
    bool m_isOutsideHost = false;
    QPoint m_startScreenPoint;
    bool m_pushedCursor = false;
};
