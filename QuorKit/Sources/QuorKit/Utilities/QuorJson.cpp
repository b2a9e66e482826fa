#include "QuorKit/Utilities/QuorJson.h"

#include <QJsonParseError>
#include <QTimeZone>

#include <cmath>
#include <limits>

// The parser's own words ("unterminated string at offset 19") mean nothing to a person and are
// English in every language: they go to the log through what(), the person reads the sentence.
QuorDecodingError::QuorDecodingError(const QString& detail)
    : QuorError(QStringLiteral("The data couldn't be read because it isn't in the correct format."),
                QStringLiteral("Veri doğru biçimde olmadığı için okunamadı."), detail),
      m_detail(detail)
{
}

namespace QuorJson {

namespace {
[[noreturn]] void fail(const QString& detail)
{
    throw QuorDecodingError(detail);
}

QJsonValue required(const QJsonObject& object, const QString& key)
{
    const auto found = object.constFind(key);
    if (found == object.constEnd() || found->isNull() || found->isUndefined()) {
        fail(QStringLiteral("missing \"%1\"").arg(key));
    }
    return *found;
}

std::optional<QJsonValue> optional(const QJsonObject& object, const QString& key)
{
    const auto found = object.constFind(key);
    if (found == object.constEnd() || found->isNull() || found->isUndefined()) {
        return std::nullopt;
    }
    return *found;
}

QString wrongType(const QString& key, const char* expected)
{
    return QStringLiteral("\"%1\" is not %2").arg(key, QLatin1String(expected));
}

QString asString(const QJsonValue& value, const QString& key)
{
    if (!value.isString()) {
        fail(wrongType(key, "a string"));
    }
    return value.toString();
}

bool asBool(const QJsonValue& value, const QString& key)
{
    if (!value.isBool()) {
        fail(wrongType(key, "a boolean"));
    }
    return value.toBool();
}

double asDouble(const QJsonValue& value, const QString& key)
{
    if (!value.isDouble()) {
        fail(wrongType(key, "a number"));
    }
    return value.toDouble();
}

qint64 asInt64(const QJsonValue& value, const QString& key)
{
    const auto integer = int64Value(value);
    if (!integer) {
        fail(wrongType(key, "a whole number"));
    }
    return *integer;
}

int asInt(const QJsonValue& value, const QString& key)
{
    const qint64 wide = asInt64(value, key);
    if (wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max()) {
        fail(wrongType(key, "a whole number in range"));
    }
    return static_cast<int>(wide);
}

QDateTime asDate(const QJsonValue& value, const QString& key)
{
    const auto date = parseIsoDate(asString(value, key));
    if (!date) {
        fail(wrongType(key, "an ISO 8601 date"));
    }
    return *date;
}

template <typename T, typename Convert>
std::optional<T> optionalOf(const QJsonObject& object, const QString& key, Convert convert)
{
    const auto value = optional(object, key);
    if (!value) {
        return std::nullopt;
    }
    return convert(*value, key);
}
} // namespace

QJsonValue parseValue(const QByteArray& bytes)
{
    // Wrapping lets QJsonDocument accept a top-level scalar too.
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson("[" + bytes + "]", &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1) {
        fail(QStringLiteral("not valid JSON"));
    }
    return document.array().at(0);
}

QJsonObject parseObject(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        fail(QStringLiteral("not valid JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset));
    }
    if (!document.isObject()) {
        fail(QStringLiteral("the top level is not an object"));
    }
    return document.object();
}

QJsonArray parseArray(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        fail(QStringLiteral("not valid JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset));
    }
    if (!document.isArray()) {
        fail(QStringLiteral("the top level is not an array"));
    }
    return document.array();
}

QString requireString(const QJsonObject& object, const QString& key) { return asString(required(object, key), key); }
std::optional<QString> optionalString(const QJsonObject& object, const QString& key) { return optionalOf<QString>(object, key, asString); }
bool requireBool(const QJsonObject& object, const QString& key) { return asBool(required(object, key), key); }
std::optional<bool> optionalBool(const QJsonObject& object, const QString& key) { return optionalOf<bool>(object, key, asBool); }
double requireDouble(const QJsonObject& object, const QString& key) { return asDouble(required(object, key), key); }
std::optional<double> optionalDouble(const QJsonObject& object, const QString& key) { return optionalOf<double>(object, key, asDouble); }
qint64 requireInt64(const QJsonObject& object, const QString& key) { return asInt64(required(object, key), key); }
std::optional<qint64> optionalInt64(const QJsonObject& object, const QString& key) { return optionalOf<qint64>(object, key, asInt64); }
int requireInt(const QJsonObject& object, const QString& key) { return asInt(required(object, key), key); }
std::optional<int> optionalInt(const QJsonObject& object, const QString& key) { return optionalOf<int>(object, key, asInt); }
QDateTime requireDate(const QJsonObject& object, const QString& key) { return asDate(required(object, key), key); }
std::optional<QDateTime> optionalDate(const QJsonObject& object, const QString& key) { return optionalOf<QDateTime>(object, key, asDate); }

QJsonObject requireObject(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = required(object, key);
    if (!value.isObject()) {
        fail(wrongType(key, "an object"));
    }
    return value.toObject();
}

std::optional<QJsonObject> optionalObject(const QJsonObject& object, const QString& key)
{
    return optionalOf<QJsonObject>(object, key, [](const QJsonValue& value, const QString& name) {
        if (!value.isObject()) {
            fail(wrongType(name, "an object"));
        }
        return value.toObject();
    });
}

QJsonArray requireArray(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = required(object, key);
    if (!value.isArray()) {
        fail(wrongType(key, "an array"));
    }
    return value.toArray();
}

std::optional<QJsonArray> optionalArray(const QJsonObject& object, const QString& key)
{
    return optionalOf<QJsonArray>(object, key, [](const QJsonValue& value, const QString& name) {
        if (!value.isArray()) {
            fail(wrongType(name, "an array"));
        }
        return value.toArray();
    });
}

QString stringValue(const QJsonValue& value, const QString& context)
{
    return asString(value, context);
}

std::optional<qint64> int64Value(const QJsonValue& value)
{
    if (!value.isDouble()) {
        return std::nullopt;
    }
    // Qt keeps integers that fit in 64 bits exactly; everything else arrives as a double.
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong) {
        return variant.toLongLong();
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number || number < -9223372036854775808.0
        || number >= 9223372036854775808.0) {
        return std::nullopt;
    }
    return static_cast<qint64>(number);
}

QString isoDate(const QDateTime& date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

std::optional<QDateTime> parseIsoDate(const QString& text)
{
    QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!date.isValid()) {
        date = QDateTime::fromString(text, Qt::ISODate);
    }
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date.toUTC();
}

QByteArray pretty(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Indented); }
QByteArray pretty(const QJsonArray& array) { return QJsonDocument(array).toJson(QJsonDocument::Indented); }
QByteArray compact(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

} // namespace QuorJson
