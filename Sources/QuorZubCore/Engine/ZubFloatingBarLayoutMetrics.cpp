#include "QuorZubCore/Engine/ZubFloatingBarLayoutMetrics.h"

#include <algorithm>
#include <cmath>

namespace ZubFloatingBarLayoutMetrics {

QSizeF computePanelSize(int actionCount, bool isExpanded, bool isExecuting, bool hasQRCode)
{
    const int pills = std::max(actionCount, 1);
    const double rawWidth = std::min(pills, 7) * 86.0 + 92.0;
    double width = std::min(std::max(rawWidth, 340.0), 660.0);
    if (isExpanded && width <= 500) {
        width = 500;
    }
    double height = 50;
    if (isExpanded) {
        height = isExecuting ? 140 : (hasQRCode ? 348 : 294);
    }
    return {width, height};
}

QRectF computeAnchoredFrame(QSizeF panelSize, QPointF anchorPoint, QRectF visibleFrame,
                            std::optional<double> keepTopEdge, double margin)
{
    const double w = panelSize.width();
    const double h = panelSize.height();
    const double px = anchorPoint.x();
    const double py = anchorPoint.y();
    // QRectF is y-down; here the rectangle's top() is the smaller y, i.e. the bottom edge (minY).
    const double minX = visibleFrame.left();
    const double maxX = visibleFrame.right();
    const double minY = visibleFrame.top();
    const double maxY = visibleFrame.bottom();

    double y = 0;
    if (keepTopEdge) {
        y = *keepTopEdge - h;
    } else {
        y = py + 20;
        if (maxY - margin < py + 20 + h) {
            y = py - h - 18;
        }
    }
    double x = px - w * 0.5;

    const double lowX = minX + margin;
    const double highX = std::max(lowX, maxX - w - margin);
    x = std::max(lowX, std::min(highX, x));
    const double lowY = minY + margin;
    const double highY = std::max(lowY, maxY - h - margin);
    y = std::max(lowY, std::min(highY, y));

    return {std::round(x), std::round(y), w, h};
}

bool isDismissKeyCode(std::uint16_t keyCode)
{
    return keyCode == escapeKeyCode;
}

} // namespace ZubFloatingBarLayoutMetrics
