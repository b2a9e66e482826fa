#pragma once

#include "QuorZubApp/Views/ZubVibrancyCornerStyle.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

// The material under the bar's frosted surfaces. Plain X11 has no behind-window blur, so it is a
// dark translucent base that keeps the bar legible over any window, light or dark, in the given
// corner shape.
struct ZubVibrancyBackdrop {
    ZubVibrancyCornerStyle cornerStyle;

    static QColor baseColor();
    QPainterPath shape(const QRectF& rect) const;
    void paint(QPainter& painter, const QRectF& rect) const;

    bool operator==(const ZubVibrancyBackdrop& other) const = default;
};
