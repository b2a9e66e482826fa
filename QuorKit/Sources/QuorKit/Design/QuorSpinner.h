#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

#include <functional>

class QPainter;
class QTimer;

// A small busy indicator: an arc turning over a faint ring of the same colour. It turns only while
// it is on screen, and stands still when animations are off.
class QuorSpinner : public QWidget {
    Q_OBJECT
public:
    static constexpr int mini = 12;  // beside the text of a small control
    static constexpr int small = 16; // on a row of its own

    explicit QuorSpinner(QColor color, QWidget* parent = nullptr, int diameter = small);

    void setColor(const QColor& color);
    QColor color() const { return m_color; }

    // One frame drawn into `rect` at `angle` degrees, for a control that shows the spinner in place
    // of a symbol.
    static void paint(QPainter& painter, const QRectF& rect, const QColor& color, int angle);
    // Turns `angle` on `timer`'s ticks; calls `changed` after each step.
    static QTimer* makeTicker(QObject* owner, int& angle, std::function<void()> changed);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QColor m_color;
    int m_angle = 0;
    QTimer* m_ticker;
};
