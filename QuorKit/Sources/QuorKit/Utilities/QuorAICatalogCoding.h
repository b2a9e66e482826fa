#pragma once

#include "QuorKit/Utilities/QuorJson.h"

#include <QHashFunctions>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>

// Shared pieces of JSON record coding and hashing, used by the model catalog and the suite's live
// records. A record is decoded all or nothing: every reader throws QuorDecodingError, and nested
// readers prefix the path of the offending key ("models[3].capabilities: missing \"vision\"") so
// a publisher can find the fault.
namespace QuorAICatalogCoding {

// A JSON array whose every element is a string; an empty array is fine.
QStringList requireStringList(const QJsonObject& object, const QString& key);
std::optional<QStringList> optionalStringList(const QJsonObject& object, const QString& key);
QJsonArray toJsonArray(const QStringList& list);

// Runs `decode` and prefixes the path of any decoding failure with `path`.
template <typename Decode>
auto atPath(const QString& path, Decode&& decode) -> decltype(decode())
{
    try {
        return std::forward<Decode>(decode)();
    } catch (const QuorDecodingError& error) {
        throw QuorDecodingError(path + QStringLiteral(": ") + error.detail());
    }
}

// A required object member decoded by `T::fromJson`.
template <typename T>
T requireRecord(const QJsonObject& object, const QString& key)
{
    const QJsonObject nested = QuorJson::requireObject(object, key);
    return atPath(key, [&] { return T::fromJson(nested); });
}

// An optional object member: absent or null gives nothing, anything but an object fails.
template <typename T>
std::optional<T> optionalRecord(const QJsonObject& object, const QString& key)
{
    const std::optional<QJsonObject> nested = QuorJson::optionalObject(object, key);
    if (!nested) {
        return std::nullopt;
    }
    return atPath(key, [&] { return T::fromJson(*nested); });
}

// A required array of objects, each decoded by `T::fromJson`, in order.
template <typename T>
QList<T> requireRecordList(const QJsonObject& object, const QString& key)
{
    const QJsonArray array = QuorJson::requireArray(object, key);
    QList<T> records;
    records.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
        const QString path = key + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
        if (!array.at(index).isObject()) {
            throw QuorDecodingError(path + QStringLiteral(" is not an object"));
        }
        records.append(atPath(path, [&] { return T::fromJson(array.at(index).toObject()); }));
    }
    return records;
}

template <typename T>
QJsonArray toJsonArray(const QList<T>& records)
{
    QJsonArray array;
    for (const T& record : records) {
        array.append(record.toJson());
    }
    return array;
}

template <typename T>
void insertIfPresent(QJsonObject& object, const QString& key, const std::optional<T>& value)
{
    if (value) {
        if constexpr (std::is_same_v<T, QStringList>) {
            object.insert(key, toJsonArray(*value));
        } else if constexpr (std::is_class_v<T> && !std::is_same_v<T, QString>) {
            object.insert(key, value->toJson());
        } else {
            object.insert(key, *value);
        }
    }
}

// Hashing member by member in declaration order, so equal values hash equally.
template <typename T>
std::size_t combine(std::size_t seed, const T& value)
{
    std::size_t hash = 0;
    if constexpr (std::is_same_v<T, bool>) {
        hash = value ? 1u : 2u;
    } else {
        hash = qHash(value);
    }
    return seed ^ (hash + 0x9e3779b9u + (seed << 6) + (seed >> 2));
}

template <typename T>
std::size_t combine(std::size_t seed, const std::optional<T>& value)
{
    seed = combine(seed, value.has_value());
    return value ? combine(seed, *value) : seed;
}

template <typename... Members>
std::size_t hashMembers(std::size_t seed, const Members&... members)
{
    ((seed = combine(seed, members)), ...);
    return seed;
}

} // namespace QuorAICatalogCoding
