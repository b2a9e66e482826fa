#include "QuorKit/Design/QuorGlassCard.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorPlatePainter.h"

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
    QuorPlatePainter::paint(painter, bounds, m_cornerRadius,
                            QuorGlassTokens::surface1(), QuorGlassTokens::borderSubtle());
}
