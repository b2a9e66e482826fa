#pragma once

#include <QJsonObject>
#include <QRectF>

// A window frame in screen points, as a publisher's window system gives it.
struct QuorScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const QuorScreenRect& other) const = default;

    // From a rectangle, with a negative or not-a-number size counted as 0.
    static QuorScreenRect from(const QRectF& rect);
    QuorScreenRect normalized() const;
    QRectF rect() const { return {x, y, width, height}; }

    QJsonObject toJson() const;
    // Strict: all four keys are required and kept as they are.
    static QuorScreenRect fromJson(const QJsonObject& object);
};
