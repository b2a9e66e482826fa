#include "QuorKit/Cloud/QuorAIModelPricing.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

bool QuorAIModelPricing::isFree() const
{
    const auto costsNothing = [](const std::optional<double>& price) { return !price || *price == 0; };
    return costsNothing(inputPer1M) && costsNothing(outputPer1M);
}

QuorAIModelPricing QuorAIModelPricing::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorAIModelPricing pricing;
    pricing.currency = requireString(object, QStringLiteral("currency"));
    pricing.inputPer1M = optionalDouble(object, QStringLiteral("inputPer1M"));
    pricing.outputPer1M = optionalDouble(object, QStringLiteral("outputPer1M"));
    pricing.cachedInputPer1M = optionalDouble(object, QStringLiteral("cachedInputPer1M"));
    pricing.cacheWritePer1M = optionalDouble(object, QStringLiteral("cacheWritePer1M"));
    pricing.batchInputPer1M = optionalDouble(object, QStringLiteral("batchInputPer1M"));
    pricing.batchOutputPer1M = optionalDouble(object, QStringLiteral("batchOutputPer1M"));
    pricing.freeTierAvailable = requireBool(object, QStringLiteral("freeTierAvailable"));
    return pricing;
}

QJsonObject QuorAIModelPricing::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    QJsonObject object{{QStringLiteral("currency"), currency}, {QStringLiteral("freeTierAvailable"), freeTierAvailable}};
    insertIfPresent(object, QStringLiteral("inputPer1M"), inputPer1M);
    insertIfPresent(object, QStringLiteral("outputPer1M"), outputPer1M);
    insertIfPresent(object, QStringLiteral("cachedInputPer1M"), cachedInputPer1M);
    insertIfPresent(object, QStringLiteral("cacheWritePer1M"), cacheWritePer1M);
    insertIfPresent(object, QStringLiteral("batchInputPer1M"), batchInputPer1M);
    insertIfPresent(object, QStringLiteral("batchOutputPer1M"), batchOutputPer1M);
    return object;
}

std::size_t qHash(const QuorAIModelPricing& pricing, std::size_t seed) noexcept
{
    return QuorAICatalogCoding::hashMembers(seed, pricing.currency, pricing.inputPer1M, pricing.outputPer1M,
                                            pricing.cachedInputPer1M, pricing.cacheWritePer1M,
                                            pricing.batchInputPer1M, pricing.batchOutputPer1M,
                                            pricing.freeTierAvailable);
}
