#include "QuorKit/Cloud/QuorGatewayAIModelsResponse.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <QJsonArray>

namespace {
QStringList requireStrings(const QJsonObject& object, const QString& key)
{
    QStringList strings;
    for (const QJsonValue& value : QuorJson::requireArray(object, key)) {
        strings.append(QuorJson::stringValue(value, key));
    }
    return strings;
}
} // namespace

QuorGatewayAIProvider QuorGatewayAIProvider::fromJson(const QJsonObject& object)
{
    QuorGatewayAIProvider provider;
    provider.id = QuorJson::requireString(object, QStringLiteral("id"));
    provider.name = QuorJson::requireString(object, QStringLiteral("name"));
    provider.description = QuorJson::requireString(object, QStringLiteral("description"));
    provider.status = QuorJson::requireString(object, QStringLiteral("status"));
    provider.priceMultiplier = QuorJson::requireDouble(object, QStringLiteral("price_multiplier"));
    provider.holdUSD = QuorJson::requireDouble(object, QStringLiteral("hold_usd"));
    provider.models = requireStrings(object, QStringLiteral("models"));
    return provider;
}

QJsonObject QuorGatewayAIProvider::toJson() const
{
    return QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("description"), description},
        {QStringLiteral("status"), status},
        {QStringLiteral("price_multiplier"), priceMultiplier},
        {QStringLiteral("hold_usd"), holdUSD},
        {QStringLiteral("models"), QJsonArray::fromStringList(models)},
    };
}

QuorGatewayAIModelsResponse QuorGatewayAIModelsResponse::fromJson(const QJsonObject& object)
{
    QuorGatewayAIModelsResponse response;
    response.creditUnitMicros = QuorJson::requireInt64(object, QStringLiteral("credit_unit_micros"));
    for (const QJsonValue& value : QuorJson::requireArray(object, QStringLiteral("providers"))) {
        if (!value.isObject()) {
            throw QuorDecodingError(QStringLiteral("an element of \"providers\" is not an object"));
        }
        response.providers.append(QuorGatewayAIProvider::fromJson(value.toObject()));
    }
    response.aliases = requireStrings(object, QStringLiteral("aliases"));
    return response;
}

QJsonObject QuorGatewayAIModelsResponse::toJson() const
{
    QJsonArray providerArray;
    for (const QuorGatewayAIProvider& provider : providers) {
        providerArray.append(provider.toJson());
    }
    return QJsonObject{
        {QStringLiteral("credit_unit_micros"), creditUnitMicros},
        {QStringLiteral("providers"), providerArray},
        {QStringLiteral("aliases"), QJsonArray::fromStringList(aliases)},
    };
}
