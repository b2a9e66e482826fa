#include "QuorZubApp/Views/Studio/ZubStudioButton.h"

#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorPlatePainter.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLayout>
#include <QPainter>

ZubStudioButton::ZubStudioButton(double cornerRadius, QWidget* parent) : QAbstractButton(parent), m_cornerRadius(cornerRadius)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

void ZubStudioButton::setColors(const QColor& fill, std::optional<QColor> border)
{
    if (fill != m_fill || border != m_border) {
        m_fill = fill;
        m_border = border;
        update();
    }
}

QSize ZubStudioButton::sizeHint() const
{
    return layout() != nullptr ? layout()->sizeHint() : QSize(16, 16);
}

QSize ZubStudioButton::minimumSizeHint() const
{
    return layout() != nullptr ? layout()->minimumSize() : QSize(16, 16);
}

void ZubStudioButton::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    emit hoverChanged(true);
    QAbstractButton::enterEvent(event);
}

void ZubStudioButton::leaveEvent(QEvent* event)
{
    m_hovered = false;
    emit hoverChanged(false);
    QAbstractButton::leaveEvent(event);
}

void ZubStudioButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QPainterPath shape = QuorPlatePainter::paint(painter, QRectF(rect()), m_cornerRadius, m_fill, m_border);
    if (isDown()) {
        painter.fillPath(shape, QColor::fromRgbF(0, 0, 0, 0.18f));
    }
}

bool ZubStudioButton::focusNextPrevChild(bool next)
{
    return QuorKeyboardReach::keepsFocusWhileDisabled(this) || QAbstractButton::focusNextPrevChild(next);
}

void ZubStudioButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        // A disabled button fades as a whole, its labels included.
        if (isEnabled()) {
            setGraphicsEffect(nullptr);
        } else {
            auto* fade = new QGraphicsOpacityEffect(this);
            fade->setOpacity(0.45);
            setGraphicsEffect(fade);
        }
    }
    QAbstractButton::changeEvent(event);
}
