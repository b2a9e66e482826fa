#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <optional>

// Raised when outside data does not have the expected shape. The detail (for the log) names the key.
class QuorDecodingError : public QuorError {
public:
    explicit QuorDecodingError(const QString& detail);
    QString detail() const { return m_detail; }

private:
    QString m_detail;
};

// Strict readers with the rules of a typed decoder: a required key that is missing or of the wrong
// type fails; an optional key that is missing or null gives nothing, but one of the wrong type fails.
namespace QuorJson {

QJsonObject parseObject(const QByteArray& bytes);
QJsonArray parseArray(const QByteArray& bytes);
QJsonValue parseValue(const QByteArray& bytes);

QString requireString(const QJsonObject& object, const QString& key);
std::optional<QString> optionalString(const QJsonObject& object, const QString& key);
bool requireBool(const QJsonObject& object, const QString& key);
std::optional<bool> optionalBool(const QJsonObject& object, const QString& key);
double requireDouble(const QJsonObject& object, const QString& key);
std::optional<double> optionalDouble(const QJsonObject& object, const QString& key);
// Integers must be whole numbers within range (1.5 or 1e30 fail).
qint64 requireInt64(const QJsonObject& object, const QString& key);
std::optional<qint64> optionalInt64(const QJsonObject& object, const QString& key);
int requireInt(const QJsonObject& object, const QString& key);
std::optional<int> optionalInt(const QJsonObject& object, const QString& key);
QJsonObject requireObject(const QJsonObject& object, const QString& key);
std::optional<QJsonObject> optionalObject(const QJsonObject& object, const QString& key);
QJsonArray requireArray(const QJsonObject& object, const QString& key);
std::optional<QJsonArray> optionalArray(const QJsonObject& object, const QString& key);
// ISO 8601 date-times ("2026-12-09T05:15:56Z", fractional seconds and offsets accepted).
QDateTime requireDate(const QJsonObject& object, const QString& key);
std::optional<QDateTime> optionalDate(const QJsonObject& object, const QString& key);

QString stringValue(const QJsonValue& value, const QString& context);
std::optional<qint64> int64Value(const QJsonValue& value);

// "2026-12-09T05:15:56Z": UTC, whole seconds.
QString isoDate(const QDateTime& date);
std::optional<QDateTime> parseIsoDate(const QString& text);

// Files are written pretty-printed with sorted keys (QJsonObject keeps its keys sorted).
QByteArray pretty(const QJsonObject& object);
QByteArray pretty(const QJsonArray& array);
QByteArray compact(const QJsonObject& object);

} // namespace QuorJson
