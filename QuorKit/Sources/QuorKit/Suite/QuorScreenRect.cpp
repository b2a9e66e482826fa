#include "QuorKit/Suite/QuorScreenRect.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <cmath>

namespace {
double size(double value)
{
    return std::isnan(value) || value < 0 ? 0.0 : value;
}
} // namespace

QuorScreenRect::QuorScreenRect(double x, double y, double width, double height)
    : x(x), y(y), width(size(width)), height(size(height))
{
}

QuorScreenRect QuorScreenRect::from(const QRectF& rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QuorScreenRect QuorScreenRect::normalized() const
{
    return {x, y, width, height};
}

QJsonObject QuorScreenRect::toJson() const
{
    return {
        {QStringLiteral("x"), x},
        {QStringLiteral("y"), y},
        {QStringLiteral("width"), width},
        {QStringLiteral("height"), height},
    };
}

QuorScreenRect QuorScreenRect::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorScreenRect frame;
    frame.x = requireDouble(object, QStringLiteral("x"));
    frame.y = requireDouble(object, QStringLiteral("y"));
    frame.width = requireDouble(object, QStringLiteral("width"));
    frame.height = requireDouble(object, QStringLiteral("height"));
    return frame;
}
