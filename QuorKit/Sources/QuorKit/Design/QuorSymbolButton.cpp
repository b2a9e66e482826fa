#include "QuorKit/Design/QuorSymbolButton.h"

#include "QuorKit/Design/QuorSymbols.h"

#include <QPainter>

#include <cmath>

QuorSymbolButton::QuorSymbolButton(QString symbol, double size, QColor color, double pressedOpacity, QWidget* parent)
    : QAbstractButton(parent), m_symbol(std::move(symbol)), m_size(size), m_color(color), m_pressedOpacity(pressedOpacity)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    const int side = static_cast<int>(std::ceil(size * 1.25));
    setFixedSize(side, side);
}

void QuorSymbolButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown()) {
        painter.setOpacity(m_pressedOpacity);
    }
    QuorSymbols::paint(painter, QRectF(rect()), m_symbol, m_color, m_size);
}
