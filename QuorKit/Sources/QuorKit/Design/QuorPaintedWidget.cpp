#include "QuorKit/Design/QuorPaintedWidget.h"

#include <QPainter>

QuorPaintedWidget::QuorPaintedWidget(Paint paint, QWidget* parent) : QWidget(parent), m_paint(std::move(paint))
{
}

QuorPaintedWidget* QuorPaintedWidget::hairline(const QColor& color, QWidget* parent)
{
    auto* line = new QuorPaintedWidget([color](QPainter& painter, const QRectF& bounds) { painter.fillRect(bounds, color); },
                                       parent);
    line->setFixedHeight(1);
    return line;
}

void QuorPaintedWidget::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    if (m_paint) {
        m_paint(painter, QRectF(rect()));
    }
}
