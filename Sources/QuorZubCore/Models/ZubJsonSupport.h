#pragma once

#include "QuorKit/Utilities/QuorJson.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// Shared JSON pieces of the core's value types.
namespace ZubJsonSupport {

// UUIDs travel as their canonical 36-character text in upper case; reading accepts either case but
// nothing else (no braces, no other lengths).
QString uuidText(const QUuid& uuid);
QUuid requireUuid(const QJsonObject& object, const QString& key);

// Reads a string-valued enumeration through its `fromRawValue`; an unknown raw value fails the
// decode rather than being mapped to some default.
template <typename Enum>
Enum requireEnum(const QJsonObject& object, const QString& key,
                 const std::function<std::optional<Enum>(const QString&)>& fromRawValue)
{
    const QString text = QuorJson::requireString(object, key);
    const std::optional<Enum> value = fromRawValue(text);
    if (!value) {
        throw QuorDecodingError(QStringLiteral("\"%1\" has an unknown value: %2").arg(key, text));
    }
    return *value;
}

} // namespace ZubJsonSupport
