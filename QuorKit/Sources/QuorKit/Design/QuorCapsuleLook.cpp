#include "QuorKit/Design/QuorCapsuleLook.h"

#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {
constexpr double kSymbolScale = 1.25; // a symbol glyph is drawn a little larger than its text size
} // namespace

QSizeF QuorCapsuleLook::size() const
{
    const QFontMetricsF metrics(font);
    double width = text.isEmpty() ? 0 : metrics.horizontalAdvance(text);
    double height = text.isEmpty() ? 0 : metrics.height();
    const auto add = [&](double itemWidth, double itemHeight) {
        width += itemWidth + (width > 0 ? spacing : 0);
        height = std::max(height, itemHeight);
    };
    if (!symbolName.isEmpty()) {
        add(symbolSize * kSymbolScale, symbolSize * kSymbolScale);
    }
    if (dot) {
        add(dotSize, dotSize);
    }
    return {width + 2 * paddingH, height + 2 * paddingV};
}

void QuorCapsuleLook::paint(QPainter& painter, const QRectF& bounds) const
{
    painter.save();
    QuorPlatePainter::paint(painter, bounds, cornerRadius, fill, border);
    const QFontMetricsF metrics(font);
    const QSizeF natural = size();
    const double available = std::max(0.0, bounds.width() - (natural.width() - metrics.horizontalAdvance(text)));
    const QString shown = QuorTextFit::elided(painter, metrics, text, Qt::ElideRight, available);
    double x = bounds.left() + std::max(paddingH, (bounds.width() - natural.width()) / 2 + paddingH);
    const double midY = bounds.center().y();
    if (dot) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(*dot);
        painter.drawEllipse(QRectF(x, midY - dotSize / 2, dotSize, dotSize));
        x += dotSize + spacing;
    }
    if (!symbolName.isEmpty()) {
        const double side = symbolSize * kSymbolScale;
        QuorSymbols::paint(painter, QRectF(x, midY - side / 2, side, side), symbolName,
                           symbolColor.value_or(foreground), symbolSize);
        x += side + spacing;
    }
    if (!shown.isEmpty()) {
        painter.setFont(font);
        painter.setPen(foreground);
        painter.drawText(QRectF(x, bounds.top(), std::max(0.0, bounds.right() - x), bounds.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
    painter.restore();
}
