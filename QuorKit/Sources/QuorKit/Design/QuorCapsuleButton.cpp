#include "QuorKit/Design/QuorCapsuleButton.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorToolTips.h"

#include <QPainter>

#include <cmath>

QuorCapsuleButton::QuorCapsuleButton(QuorCapsuleLook look, QWidget* parent)
    : QAbstractButton(parent), m_look(std::move(look))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setText(m_look.text);
    updateAccessibleName();
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

void QuorCapsuleButton::setLook(const QuorCapsuleLook& look)
{
    if (look == m_look) {
        return;
    }
    m_look = look;
    setText(m_look.text);
    updateAccessibleName();
    updateGeometry();
    update();
}

void QuorCapsuleButton::setHelpText(const QString& text)
{
    setToolTip(QuorToolTips::plain(text));
    updateAccessibleName();
}

void QuorCapsuleButton::updateAccessibleName()
{
    setAccessibleName(m_look.text.isEmpty() ? toolTip() : m_look.text);
}

QSize QuorCapsuleButton::sizeHint() const
{
    const QSizeF size = m_look.size();
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

void QuorCapsuleButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown()) {
        painter.setOpacity(0.78);
    }
    const QRectF bounds(rect());
    m_look.paint(painter, bounds);
    if (hasFocus()) {
        const double radius = m_look.cornerRadius < 0 ? bounds.height() / 2 : m_look.cornerRadius;
        painter.setPen(QPen(QuorGlassTokens::textPrimary(), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(0.75, 0.75, -0.75, -0.75), radius, radius);
    }
}
