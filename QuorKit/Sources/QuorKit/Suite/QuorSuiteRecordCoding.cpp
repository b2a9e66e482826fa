#include "QuorKit/Suite/QuorSuiteRecordCoding.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <limits>

namespace QuorSuiteRecordCoding {

namespace {
bool isFinite(const QJsonValue& value)
{
    if (value.isDouble()) {
        return std::isfinite(value.toDouble());
    }
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::all_of(array.begin(), array.end(), [](const QJsonValue& element) { return isFinite(element); });
    }
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        return std::all_of(object.begin(), object.end(), [](const QJsonValue& element) { return isFinite(element); });
    }
    return true;
}
} // namespace

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

std::optional<QDateTime> parseDate(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})(?:(Z)|([+-])(\\d{2}):(\\d{2}))$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const auto number = [&match](int group) { return match.captured(group).toInt(); };
    const QDate date(number(1), number(2), number(3));
    const QTime time(number(4), number(5), number(6));
    if (!date.isValid() || !time.isValid() || number(9) > 23 || number(10) > 59) {
        return std::nullopt;
    }
    int offsetSeconds = 0;
    if (match.captured(7).isEmpty()) {
        offsetSeconds = (number(9) * 60 + number(10)) * 60;
        if (match.captured(8) == QStringLiteral("-")) {
            offsetSeconds = -offsetSeconds;
        }
    }
    return QDateTime(date, time, QTimeZone::utc()).addSecs(-offsetSeconds);
}

QDateTime requireDate(const QJsonObject& object, const QString& key)
{
    const std::optional<QDateTime> date = parseDate(QuorJson::requireString(object, key));
    if (!date) {
        throw QuorDecodingError(QStringLiteral("\"%1\" is not a date-time with a zone, in whole seconds").arg(key));
    }
    return *date;
}

std::optional<QByteArray> encode(const QJsonObject& object)
{
    if (!isFinite(QJsonValue(object))) {
        return std::nullopt;
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace QuorSuiteRecordCoding
