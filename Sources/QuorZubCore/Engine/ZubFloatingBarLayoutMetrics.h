#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <optional>

// Pure geometry of the floating action bar: its size for a number of pills and a phase, and where
// it goes next to the point of a selection. Coordinates here are y-up (a panel above the point has
// the larger y); the caller converts from and to the screen's y-down coordinates once.
namespace ZubFloatingBarLayoutMetrics {

// The key that dismisses the bar: the X keysym of Escape.
inline constexpr std::uint16_t escapeKeyCode = 0xFF1B;

// 86 per pill (at most seven count) plus 92, kept within 340 ... 660; an expanded bar is at least
// 500 wide. 50 high collapsed; expanded 140 while running, else 348 with a QR code, else 294.
QSizeF computePanelSize(int actionCount, bool isExpanded, bool isExecuting, bool hasQRCode);

// Centred on the point, its bottom edge 20 above the point, or its top edge 18 below it when that
// would cross the top margin; with `keepTopEdge` the top edge stays there instead. Then clamped
// into `visibleFrame` less `margin` (left and bottom edges win when too large) and rounded to
// whole points, halves away from zero.
QRectF computeAnchoredFrame(QSizeF panelSize, QPointF anchorPoint, QRectF visibleFrame,
                            std::optional<double> keepTopEdge, double margin);

bool isDismissKeyCode(std::uint16_t keyCode);

} // namespace ZubFloatingBarLayoutMetrics
