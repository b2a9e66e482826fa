#include "QuorKit/Design/QuorGlassCard.h"

#include "QuorKit/Design/QuorGlassTokens.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cmath>

QuorGlassCard::QuorGlassCard(double padding, double cornerRadius, QWidget* content, QWidget* parent)
    : QWidget(parent), m_padding(padding), m_cornerRadius(cornerRadius), m_content(content)
{
    auto* layout = new QVBoxLayout(this);
    const int margin = static_cast<int>(std::lround(padding));
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    if (content != nullptr) {
        layout->addWidget(content);
    }
}

void QuorGlassCard::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    QPainterPath shape;
    shape.addRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
    painter.fillPath(shape, QuorGlassTokens::surface1());
    painter.setPen(QPen(QuorGlassTokens::borderSubtle(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), m_cornerRadius - 0.5, m_cornerRadius - 0.5);
}
