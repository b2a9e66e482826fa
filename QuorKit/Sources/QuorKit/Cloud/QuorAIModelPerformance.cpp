#include "QuorKit/Cloud/QuorAIModelPerformance.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

QuorAIModelPerformance QuorAIModelPerformance::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorAIModelPerformance performance;
    performance.speedTier = requireString(object, QStringLiteral("speedTier"));
    performance.tokensPerSecEstimate = optionalInt64(object, QStringLiteral("tokensPerSecEstimate"));
    performance.ttftMsEstimate = optionalInt64(object, QStringLiteral("ttftMsEstimate"));
    performance.qualityScore = optionalInt64(object, QStringLiteral("qualityScore"));
    performance.codingScore = optionalInt64(object, QStringLiteral("codingScore"));
    performance.agenticScore = optionalInt64(object, QStringLiteral("agenticScore"));
    performance.visionScore = optionalInt64(object, QStringLiteral("visionScore"));
    performance.reasoningScore = optionalInt64(object, QStringLiteral("reasoningScore"));
    return performance;
}

QJsonObject QuorAIModelPerformance::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    QJsonObject object{{QStringLiteral("speedTier"), speedTier}};
    insertIfPresent(object, QStringLiteral("tokensPerSecEstimate"), tokensPerSecEstimate);
    insertIfPresent(object, QStringLiteral("ttftMsEstimate"), ttftMsEstimate);
    insertIfPresent(object, QStringLiteral("qualityScore"), qualityScore);
    insertIfPresent(object, QStringLiteral("codingScore"), codingScore);
    insertIfPresent(object, QStringLiteral("agenticScore"), agenticScore);
    insertIfPresent(object, QStringLiteral("visionScore"), visionScore);
    insertIfPresent(object, QStringLiteral("reasoningScore"), reasoningScore);
    return object;
}

std::size_t qHash(const QuorAIModelPerformance& performance, std::size_t seed) noexcept
{
    return QuorAICatalogCoding::hashMembers(seed, performance.speedTier, performance.tokensPerSecEstimate,
                                            performance.ttftMsEstimate, performance.qualityScore,
                                            performance.codingScore, performance.agenticScore,
                                            performance.visionScore, performance.reasoningScore);
}
