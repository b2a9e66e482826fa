#include "QuorZubApp/Views/Studio/ZubStudioPlate.h"

#include <QPainter>
#include <QPainterPath>

ZubStudioPlate::ZubStudioPlate(const QColor& fill, std::optional<QColor> border, double cornerRadius, QWidget* parent)
    : QWidget(parent), m_fill(fill), m_border(border), m_cornerRadius(cornerRadius)
{
}

void ZubStudioPlate::setColors(const QColor& fill, std::optional<QColor> border)
{
    if (fill != m_fill || border != m_border) {
        m_fill = fill;
        m_border = border;
        update();
    }
}

void ZubStudioPlate::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const double radius = m_cornerRadius < 0 ? bounds.height() / 2 : m_cornerRadius;
    QPainterPath shape;
    shape.addRoundedRect(bounds, radius, radius);
    painter.fillPath(shape, m_fill);
    if (m_border) {
        painter.setPen(QPen(*m_border, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), std::max(0.0, radius - 0.5),
                                std::max(0.0, radius - 0.5));
    }
}
