#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

// The kind of release step: the build alone, or one of the three version components.
enum class QuorVersionBumpKind { build, patch, minor, major };

namespace QuorVersionBumpKinds {
const QList<QuorVersionBumpKind>& allCases();
QString rawValue(QuorVersionBumpKind kind);
std::optional<QuorVersionBumpKind> fromRawValue(const QString& raw);

// Coded as the raw value; anything else fails with QuorDecodingError.
QuorVersionBumpKind fromJson(const QJsonValue& value);
QJsonValue toJson(QuorVersionBumpKind kind);
} // namespace QuorVersionBumpKinds

size_t qHash(QuorVersionBumpKind kind, size_t seed = 0) noexcept;
