#include "QuorKit/System/QuorHotkeyDescriptor.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <QHashFunctions>

#include <limits>

namespace {
quint32 requireUInt32(const QJsonObject& object, const QString& key)
{
    const qint64 value = QuorJson::requireInt64(object, key);
    if (value < 0 || value > std::numeric_limits<quint32>::max()) {
        throw QuorDecodingError(key + QStringLiteral(" is not an unsigned 32-bit number"));
    }
    return static_cast<quint32>(value);
}
} // namespace

QuorHotkeyDescriptor QuorHotkeyDescriptor::fromJson(const QJsonObject& object)
{
    return QuorHotkeyDescriptor{requireUInt32(object, QStringLiteral("keyCode")),
                                requireUInt32(object, QStringLiteral("carbonModifiers"))};
}

QJsonObject QuorHotkeyDescriptor::toJson() const
{
    return QJsonObject{{QStringLiteral("keyCode"), static_cast<qint64>(keyCode)},
                       {QStringLiteral("carbonModifiers"), static_cast<qint64>(carbonModifiers)}};
}

size_t qHash(const QuorHotkeyDescriptor& descriptor, size_t seed) noexcept
{
    return qHashMulti(seed, descriptor.keyCode, descriptor.carbonModifiers);
}
