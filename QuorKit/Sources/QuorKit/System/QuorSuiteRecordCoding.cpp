#include "QuorKit/System/QuorSuiteRecordCoding.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <cmath>
#include <limits>

namespace QuorSuiteRecordCoding {

QList<qint32> requireInt32List(const QJsonObject& object, const QString& key)
{
    const QJsonArray array = QuorJson::requireArray(object, key);
    QList<qint32> values;
    values.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
        const std::optional<qint64> value = QuorJson::int64Value(array.at(index));
        if (!value || *value < std::numeric_limits<qint32>::min() || *value > std::numeric_limits<qint32>::max()) {
            throw QuorDecodingError(QStringLiteral("\"%1[%2]\" is not a 32-bit whole number").arg(key).arg(index));
        }
        values.append(static_cast<qint32>(*value));
    }
    return values;
}

QJsonArray toJsonArray(const QList<qint32>& values)
{
    QJsonArray array;
    for (const qint32 value : values) {
        array.append(value);
    }
    return array;
}

float requireFloat(const QJsonObject& object, const QString& key)
{
    const double value = QuorJson::requireDouble(object, key);
    if (std::abs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        throw QuorDecodingError(QStringLiteral("\"%1\" does not fit a 32-bit float").arg(key));
    }
    return static_cast<float>(value);
}

} // namespace QuorSuiteRecordCoding
