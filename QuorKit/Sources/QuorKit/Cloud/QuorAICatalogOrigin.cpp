#include "QuorKit/Cloud/QuorAICatalogOrigin.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <QHashFunctions>

namespace QuorAICatalogOrigins {

const QList<QuorAICatalogOrigin>& allCases()
{
    static const QList<QuorAICatalogOrigin> cases{QuorAICatalogOrigin::remote, QuorAICatalogOrigin::localCache,
                                                  QuorAICatalogOrigin::bundled};
    return cases;
}

QString rawValue(QuorAICatalogOrigin origin)
{
    switch (origin) {
    case QuorAICatalogOrigin::remote:
        return QStringLiteral("remote");
    case QuorAICatalogOrigin::localCache:
        return QStringLiteral("localCache");
    case QuorAICatalogOrigin::bundled:
        break;
    }
    return QStringLiteral("bundled");
}

std::optional<QuorAICatalogOrigin> fromRawValue(const QString& text)
{
    for (const QuorAICatalogOrigin origin : allCases()) {
        if (rawValue(origin) == text) {
            return origin;
        }
    }
    return std::nullopt;
}

QuorAICatalogOrigin fromJson(const QJsonValue& value, const QString& context)
{
    const QString text = QuorJson::stringValue(value, context);
    const std::optional<QuorAICatalogOrigin> origin = fromRawValue(text);
    if (!origin) {
        throw QuorDecodingError(QStringLiteral("\"%1\" has the unknown value \"%2\"").arg(context, text));
    }
    return *origin;
}

QJsonValue toJson(QuorAICatalogOrigin origin)
{
    return rawValue(origin);
}

} // namespace QuorAICatalogOrigins

std::size_t qHash(QuorAICatalogOrigin origin, std::size_t seed) noexcept
{
    return qHash(static_cast<int>(origin), seed);
}
