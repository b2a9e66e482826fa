#pragma once

#include <QList>
#include <QString>

#include <optional>

// Severity of a log entry, lowest first; the declaration order is the filtering order.
enum class QuorLogLevel { debug, info, warn, error };

namespace QuorLogLevels {
const QList<QuorLogLevel>& allCases();
// "debug", "info", "warn", "error": the text stored in the log file.
QString rawValue(QuorLogLevel level);
std::optional<QuorLogLevel> fromRawValue(const QString& raw);
// The raw value upper-cased, for exported text: "WARN".
QString label(QuorLogLevel level);
} // namespace QuorLogLevels

size_t qHash(QuorLogLevel level, size_t seed = 0) noexcept;
