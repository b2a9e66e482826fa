#include "QuorKit/Suite/QuorScreenRect.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <cmath>

QuorScreenRect QuorScreenRect::from(const QRectF& rect)
{
    return QuorScreenRect{rect.x(), rect.y(), rect.width(), rect.height()}.normalized();
}

QuorScreenRect QuorScreenRect::normalized() const
{
    const auto size = [](double value) { return std::isnan(value) || value < 0 ? 0.0 : value; };
    return {x, y, size(width), size(height)};
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
    return {requireDouble(object, QStringLiteral("x")), requireDouble(object, QStringLiteral("y")),
            requireDouble(object, QStringLiteral("width")), requireDouble(object, QStringLiteral("height"))};
}
