#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>

#include <cstddef>
#include <optional>

// Where the catalog document in force came from.
enum class QuorAICatalogOrigin { remote, localCache, bundled };

namespace QuorAICatalogOrigins {

// In declaration order.
const QList<QuorAICatalogOrigin>& allCases();
// "remote", "localCache", "bundled".
QString rawValue(QuorAICatalogOrigin origin);
// Exact, case-sensitive match of a raw value.
std::optional<QuorAICatalogOrigin> fromRawValue(const QString& text);

// The raw value as a JSON string; anything else fails with QuorDecodingError.
QuorAICatalogOrigin fromJson(const QJsonValue& value, const QString& context = QStringLiteral("origin"));
QJsonValue toJson(QuorAICatalogOrigin origin);

} // namespace QuorAICatalogOrigins

std::size_t qHash(QuorAICatalogOrigin origin, std::size_t seed = 0) noexcept;
