#include "QuorKit/Cloud/QuorAIProviderEntry.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

bool QuorAIProviderSpec::isLocal() const
{
    return deployment.toLower() == QLatin1String("local");
}

QuorAIProviderSpec QuorAIProviderSpec::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorAIProviderSpec provider;
    provider.id = requireString(object, QStringLiteral("id"));
    provider.name = requireString(object, QStringLiteral("name"));
    provider.shortName = requireString(object, QStringLiteral("shortName"));
    provider.deployment = requireString(object, QStringLiteral("deployment"));
    provider.apiFormat = requireString(object, QStringLiteral("apiFormat"));
    provider.defaultBaseUrl = requireString(object, QStringLiteral("defaultBaseUrl"));
    provider.chatPath = requireString(object, QStringLiteral("chatPath"));
    provider.modelsPath = requireString(object, QStringLiteral("modelsPath"));
    provider.authType = requireString(object, QStringLiteral("authType"));
    provider.authHeader = requireString(object, QStringLiteral("authHeader"));
    provider.requiresApiKey = requireBool(object, QStringLiteral("requiresApiKey"));
    provider.apiKeyPrefix = requireString(object, QStringLiteral("apiKeyPrefix"));
    provider.website = requireString(object, QStringLiteral("website"));
    provider.apiKeyUrl = requireString(object, QStringLiteral("apiKeyUrl"));
    provider.docsUrl = requireString(object, QStringLiteral("docsUrl"));
    provider.status = requireString(object, QStringLiteral("status"));
    provider.accentColor = requireString(object, QStringLiteral("accentColor"));
    provider.sortOrder = requireInt64(object, QStringLiteral("sortOrder"));
    provider.description = QuorAICatalogCoding::requireRecord<QuorAILocalizedText>(object, QStringLiteral("description"));
    return provider;
}

QJsonObject QuorAIProviderSpec::toJson() const
{
    return QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("shortName"), shortName},
        {QStringLiteral("deployment"), deployment},
        {QStringLiteral("apiFormat"), apiFormat},
        {QStringLiteral("defaultBaseUrl"), defaultBaseUrl},
        {QStringLiteral("chatPath"), chatPath},
        {QStringLiteral("modelsPath"), modelsPath},
        {QStringLiteral("authType"), authType},
        {QStringLiteral("authHeader"), authHeader},
        {QStringLiteral("requiresApiKey"), requiresApiKey},
        {QStringLiteral("apiKeyPrefix"), apiKeyPrefix},
        {QStringLiteral("website"), website},
        {QStringLiteral("apiKeyUrl"), apiKeyUrl},
        {QStringLiteral("docsUrl"), docsUrl},
        {QStringLiteral("status"), status},
        {QStringLiteral("accentColor"), accentColor},
        {QStringLiteral("sortOrder"), sortOrder},
        {QStringLiteral("description"), description.toJson()},
    };
}

std::size_t qHash(const QuorAIProviderSpec& provider, std::size_t seed) noexcept
{
    return QuorAICatalogCoding::hashMembers(
        seed, provider.id, provider.name, provider.shortName, provider.deployment, provider.apiFormat,
        provider.defaultBaseUrl, provider.chatPath, provider.modelsPath, provider.authType, provider.authHeader,
        provider.requiresApiKey, provider.apiKeyPrefix, provider.website, provider.apiKeyUrl, provider.docsUrl,
        provider.status, provider.accentColor, provider.sortOrder, provider.description);
}
