#include "QuorKit/Cloud/QuorAIModelEntry.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

bool QuorAIModelSpec::isLocal() const
{
    return deployment.toLower() == QLatin1String("local");
}

QuorAIRamFit QuorAIModelSpec::ramFit(double hostRamGB) const
{
    if (!isLocal() || !localSpecs) {
        return QuorAIRamFit::cloud;
    }
    const double minimum = localSpecs->minRamGb.value_or(8);
    const double recommended = localSpecs->recommendedRamGb.value_or(minimum * 1.5);
    if (hostRamGB >= recommended) {
        return QuorAIRamFit::comfortable;
    }
    if (hostRamGB >= minimum) {
        return QuorAIRamFit::tight;
    }
    return QuorAIRamFit::exceeds;
}

QuorAIModelSpec QuorAIModelSpec::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    using namespace QuorAICatalogCoding;
    QuorAIModelSpec model;
    model.id = requireString(object, QStringLiteral("id"));
    model.providerId = requireString(object, QStringLiteral("providerId"));
    model.apiModelId = requireString(object, QStringLiteral("apiModelId"));
    model.aliases = requireStringList(object, QStringLiteral("aliases"));
    model.displayName = requireString(object, QStringLiteral("displayName"));
    model.family = requireString(object, QStringLiteral("family"));
    model.vendor = requireString(object, QStringLiteral("vendor"));
    model.tier = requireString(object, QStringLiteral("tier"));
    model.deployment = requireString(object, QStringLiteral("deployment"));
    model.status = requireString(object, QStringLiteral("status"));
    model.releaseDate = optionalString(object, QStringLiteral("releaseDate"));
    model.knowledgeCutoff = optionalString(object, QStringLiteral("knowledgeCutoff"));
    model.license = optionalString(object, QStringLiteral("license"));
    model.contextWindow = requireInt64(object, QStringLiteral("contextWindow"));
    model.maxOutputTokens = requireInt64(object, QStringLiteral("maxOutputTokens"));
    model.defaultMaxOutputTokens = requireInt64(object, QStringLiteral("defaultMaxOutputTokens"));
    model.defaultTemperature = requireDouble(object, QStringLiteral("defaultTemperature"));
    model.supportsTemperature = requireBool(object, QStringLiteral("supportsTemperature"));
    model.usesMaxCompletionTokens = requireBool(object, QStringLiteral("usesMaxCompletionTokens"));
    model.modalities = requireRecord<QuorAIModelModalities>(object, QStringLiteral("modalities"));
    model.capabilities = requireRecord<QuorAIModelCapabilities>(object, QStringLiteral("capabilities"));
    model.reasoningEffortLevels = requireStringList(object, QStringLiteral("reasoningEffortLevels"));
    model.pricing = optionalRecord<QuorAIModelPricing>(object, QStringLiteral("pricing"));
    model.performance = optionalRecord<QuorAIModelPerformance>(object, QStringLiteral("performance"));
    model.localSpecs = optionalRecord<QuorAILocalModelSpecs>(object, QStringLiteral("localSpecs"));
    model.recommendedFor = requireStringList(object, QStringLiteral("recommendedFor"));
    model.tags = requireStringList(object, QStringLiteral("tags"));
    model.sortOrder = requireInt64(object, QStringLiteral("sortOrder"));
    model.summary = requireRecord<QuorAILocalizedText>(object, QStringLiteral("summary"));
    model.strengths = requireRecord<QuorAILocalizedList>(object, QStringLiteral("strengths"));
    model.limitations = requireRecord<QuorAILocalizedList>(object, QStringLiteral("limitations"));
    return model;
}

QJsonObject QuorAIModelSpec::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    using QuorAICatalogCoding::toJsonArray;
    QJsonObject object{
        {QStringLiteral("id"), id},
        {QStringLiteral("providerId"), providerId},
        {QStringLiteral("apiModelId"), apiModelId},
        {QStringLiteral("aliases"), toJsonArray(aliases)},
        {QStringLiteral("displayName"), displayName},
        {QStringLiteral("family"), family},
        {QStringLiteral("vendor"), vendor},
        {QStringLiteral("tier"), tier},
        {QStringLiteral("deployment"), deployment},
        {QStringLiteral("status"), status},
        {QStringLiteral("contextWindow"), contextWindow},
        {QStringLiteral("maxOutputTokens"), maxOutputTokens},
        {QStringLiteral("defaultMaxOutputTokens"), defaultMaxOutputTokens},
        {QStringLiteral("defaultTemperature"), defaultTemperature},
        {QStringLiteral("supportsTemperature"), supportsTemperature},
        {QStringLiteral("usesMaxCompletionTokens"), usesMaxCompletionTokens},
        {QStringLiteral("modalities"), modalities.toJson()},
        {QStringLiteral("capabilities"), capabilities.toJson()},
        {QStringLiteral("reasoningEffortLevels"), toJsonArray(reasoningEffortLevels)},
        {QStringLiteral("recommendedFor"), toJsonArray(recommendedFor)},
        {QStringLiteral("tags"), toJsonArray(tags)},
        {QStringLiteral("sortOrder"), sortOrder},
        {QStringLiteral("summary"), summary.toJson()},
        {QStringLiteral("strengths"), strengths.toJson()},
        {QStringLiteral("limitations"), limitations.toJson()},
    };
    insertIfPresent(object, QStringLiteral("releaseDate"), releaseDate);
    insertIfPresent(object, QStringLiteral("knowledgeCutoff"), knowledgeCutoff);
    insertIfPresent(object, QStringLiteral("license"), license);
    insertIfPresent(object, QStringLiteral("pricing"), pricing);
    insertIfPresent(object, QStringLiteral("performance"), performance);
    insertIfPresent(object, QStringLiteral("localSpecs"), localSpecs);
    return object;
}

std::size_t qHash(const QuorAIModelSpec& model, std::size_t seed) noexcept
{
    seed = QuorAICatalogCoding::hashMembers(seed, model.id, model.providerId, model.apiModelId, model.aliases,
                                            model.displayName, model.family, model.vendor, model.tier,
                                            model.deployment, model.status, model.releaseDate,
                                            model.knowledgeCutoff, model.license, model.contextWindow,
                                            model.maxOutputTokens, model.defaultMaxOutputTokens,
                                            model.defaultTemperature, model.supportsTemperature,
                                            model.usesMaxCompletionTokens);
    return QuorAICatalogCoding::hashMembers(seed, model.modalities, model.capabilities, model.reasoningEffortLevels,
                                            model.pricing, model.performance, model.localSpecs,
                                            model.recommendedFor, model.tags, model.sortOrder, model.summary,
                                            model.strengths, model.limitations);
}
