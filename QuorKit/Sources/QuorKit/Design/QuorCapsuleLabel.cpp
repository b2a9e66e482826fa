#include "QuorKit/Design/QuorCapsuleLabel.h"

#include <QPainter>

#include <cmath>

QuorCapsuleLabel::QuorCapsuleLabel(QuorCapsuleLook look, QWidget* parent) : QWidget(parent), m_look(std::move(look))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(m_look.text);
}

void QuorCapsuleLabel::setLook(const QuorCapsuleLook& look)
{
    if (look == m_look) {
        return;
    }
    m_look = look;
    setAccessibleName(m_look.text);
    updateGeometry();
    update();
}

QSize QuorCapsuleLabel::sizeHint() const
{
    const QSizeF size = m_look.size();
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

QSize QuorCapsuleLabel::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void QuorCapsuleLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    m_look.paint(painter, QRectF(rect()));
}
