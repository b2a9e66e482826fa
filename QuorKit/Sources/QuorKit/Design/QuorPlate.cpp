#include "QuorKit/Design/QuorPlate.h"

#include "QuorKit/Design/QuorPlatePainter.h"

#include <QPainter>

QuorPlate::QuorPlate(const QColor& fill, std::optional<QColor> border, double cornerRadius, QWidget* parent)
    : QWidget(parent), m_fill(fill), m_border(border), m_cornerRadius(cornerRadius)
{
}

void QuorPlate::setColors(const QColor& fill, std::optional<QColor> border)
{
    if (fill != m_fill || border != m_border) {
        m_fill = fill;
        m_border = border;
        update();
    }
}

void QuorPlate::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QuorPlatePainter::paint(painter, QRectF(rect()), m_cornerRadius, m_fill, m_border);
}
