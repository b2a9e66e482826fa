#include "QuorKit/Cloud/QuorAIConfig.h"

#include "QuorKit/Utilities/QuorJson.h"

namespace {
const QString providerKey = QStringLiteral("provider");
const QString endpointKey = QStringLiteral("endpointURL");
const QString modelKey = QStringLiteral("model");
} // namespace

QuorAIConfig::QuorAIConfig() : QuorAIConfig(QuorAIProviders::allCases().first()) {}

QuorAIConfig::QuorAIConfig(QuorAIProvider provider, const std::optional<QString>& endpointURL,
                           const std::optional<QString>& model)
    : provider(provider),
      endpointURL(endpointURL.value_or(QuorAIProviders::defaultEndpoint(provider))),
      model(model.value_or(QuorAIProviders::defaultModel(provider)))
{
}

QuorAIConfig QuorAIConfig::fromJson(const QJsonObject& object)
{
    const auto found = object.constFind(providerKey);
    if (found == object.constEnd() || found->isNull()) {
        throw QuorDecodingError(QStringLiteral("missing \"provider\""));
    }
    const QuorAIProvider provider = QuorAIProviders::fromJson(*found, providerKey);
    // Read through the initializer with both texts given, so no default can slip in.
    return QuorAIConfig(provider, QuorJson::requireString(object, endpointKey), QuorJson::requireString(object, modelKey));
}

QJsonObject QuorAIConfig::toJson() const
{
    return QJsonObject{
        {providerKey, QuorAIProviders::toJson(provider)},
        {endpointKey, endpointURL},
        {modelKey, model},
    };
}
