#include "QuorKit/Cloud/QuorAIModelModalities.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

QuorAIModelModalities QuorAIModelModalities::fromJson(const QJsonObject& object)
{
    QuorAIModelModalities modalities;
    modalities.input = QuorAICatalogCoding::requireStringList(object, QStringLiteral("input"));
    modalities.output = QuorAICatalogCoding::requireStringList(object, QStringLiteral("output"));
    return modalities;
}

QJsonObject QuorAIModelModalities::toJson() const
{
    return QJsonObject{{QStringLiteral("input"), QuorAICatalogCoding::toJsonArray(input)},
                       {QStringLiteral("output"), QuorAICatalogCoding::toJsonArray(output)}};
}

std::size_t qHash(const QuorAIModelModalities& modalities, std::size_t seed) noexcept
{
    return QuorAICatalogCoding::hashMembers(seed, modalities.input, modalities.output);
}
