#pragma once

#include <QJsonObject>
#include <QRectF>

// A window frame in screen points, as a publisher's window system gives it.
struct QuorScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    QuorScreenRect() = default;
    // A negative or not-a-number size counts as 0; the origin is kept. A decoded frame keeps the
    // values as published.
    QuorScreenRect(double x, double y, double width, double height);

    bool operator==(const QuorScreenRect& other) const = default;

    // From a rectangle, by the initializer.
    static QuorScreenRect from(const QRectF& rect);
    // The frame as the initializer makes it from these values.
    QuorScreenRect normalized() const;
    QRectF rect() const { return {x, y, width, height}; }

    QJsonObject toJson() const;
    // Strict: all four keys are required and kept as they are.
    static QuorScreenRect fromJson(const QJsonObject& object);
};
