#include "QuorKit/Utilities/QuorVersionBumpKind.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <QHashFunctions>

namespace QuorVersionBumpKinds {

const QList<QuorVersionBumpKind>& allCases()
{
    static const QList<QuorVersionBumpKind> cases{QuorVersionBumpKind::build, QuorVersionBumpKind::patch,
                                                   QuorVersionBumpKind::minor, QuorVersionBumpKind::major};
    return cases;
}

QString rawValue(QuorVersionBumpKind kind)
{
    switch (kind) {
    case QuorVersionBumpKind::build:
        return QStringLiteral("build");
    case QuorVersionBumpKind::patch:
        return QStringLiteral("patch");
    case QuorVersionBumpKind::minor:
        return QStringLiteral("minor");
    case QuorVersionBumpKind::major:
        return QStringLiteral("major");
    }
    return {};
}

std::optional<QuorVersionBumpKind> fromRawValue(const QString& raw)
{
    for (const QuorVersionBumpKind kind : allCases()) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

QuorVersionBumpKind fromJson(const QJsonValue& value)
{
    const auto kind = fromRawValue(QuorJson::stringValue(value, QStringLiteral("bump kind")));
    if (!kind) {
        throw QuorDecodingError(QStringLiteral("unknown bump kind \"%1\"").arg(value.toString()));
    }
    return *kind;
}

QJsonValue toJson(QuorVersionBumpKind kind)
{
    return rawValue(kind);
}

} // namespace QuorVersionBumpKinds

size_t qHash(QuorVersionBumpKind kind, size_t seed) noexcept
{
    return ::qHash(static_cast<int>(kind), seed);
}
