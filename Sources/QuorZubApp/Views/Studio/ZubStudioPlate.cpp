#include "QuorZubApp/Views/Studio/ZubStudioPlate.h"

#include "QuorKit/Design/QuorPlatePainter.h"

#include <QPainter>

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
    QuorPlatePainter::paint(painter, QRectF(rect()), m_cornerRadius, m_fill, m_border);
}
