#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

#include <functional>

class QPainter;

// A widget that only paints: plates, wells and hairlines that hold no state of their own. Its
// painter comes without render hints; `paint` draws into the widget's bounds on every repaint.
class QuorPaintedWidget : public QWidget {
    Q_OBJECT
public:
    using Paint = std::function<void(QPainter& painter, const QRectF& bounds)>;

    explicit QuorPaintedWidget(Paint paint, QWidget* parent = nullptr);

    // A 1-point line across its parent's width, filled with `color`.
    static QuorPaintedWidget* hairline(const QColor& color, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Paint m_paint;
};
