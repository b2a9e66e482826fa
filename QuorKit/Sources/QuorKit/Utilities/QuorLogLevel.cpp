#include "QuorKit/Utilities/QuorLogLevel.h"

#include <QHashFunctions>

namespace QuorLogLevels {

const QList<QuorLogLevel>& allCases()
{
    static const QList<QuorLogLevel> cases{QuorLogLevel::debug, QuorLogLevel::info, QuorLogLevel::warn,
                                           QuorLogLevel::error};
    return cases;
}

QString rawValue(QuorLogLevel level)
{
    switch (level) {
    case QuorLogLevel::debug:
        return QStringLiteral("debug");
    case QuorLogLevel::info:
        return QStringLiteral("info");
    case QuorLogLevel::warn:
        return QStringLiteral("warn");
    case QuorLogLevel::error:
        return QStringLiteral("error");
    }
    return {};
}

std::optional<QuorLogLevel> fromRawValue(const QString& raw)
{
    for (const QuorLogLevel level : allCases()) {
        if (rawValue(level) == raw) {
            return level;
        }
    }
    return std::nullopt;
}

QString label(QuorLogLevel level)
{
    return rawValue(level).toUpper();
}

} // namespace QuorLogLevels

size_t qHash(QuorLogLevel level, size_t seed) noexcept
{
    return ::qHash(static_cast<int>(level), seed);
}
