#include "QuorKit/Cloud/QuorAIModelCatalogDocument.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

namespace {
bool sameIgnoringCase(const QString& left, const QString& right)
{
    return QString::compare(left, right, Qt::CaseInsensitive) == 0;
}

bool matchesKey(const QuorAIModelSpec& model, const QString& key)
{
    if (model.id.toLower() == key || model.apiModelId.toLower() == key) {
        return true;
    }
    for (const QString& alias : model.aliases) {
        if (alias.toLower() == key) {
            return true;
        }
    }
    return false;
}

bool given(const std::optional<QString>& criterion)
{
    return criterion && !criterion->isEmpty();
}
} // namespace

std::optional<QuorAIProviderSpec> QuorAIModelCatalogDocument::provider(const QString& id) const
{
    for (const QuorAIProviderSpec& candidate : providers) {
        if (sameIgnoringCase(candidate.id, id)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::optional<QuorAIModelSpec> QuorAIModelCatalogDocument::model(const QString& idOrAlias) const
{
    const QString key = idOrAlias.trimmed().toLower();
    if (key.isEmpty()) {
        return std::nullopt;
    }
    for (const QuorAIModelSpec& candidate : models) {
        if (matchesKey(candidate, key)) {
            return candidate;
        }
    }
    return std::nullopt;
}

QList<QuorAIModelSpec> QuorAIModelCatalogDocument::modelsMatching(const std::optional<QString>& providerId,
                                                                  const std::optional<QString>& deployment,
                                                                  const std::optional<QString>& recommendedFor,
                                                                  bool requiringToolCalling, bool requiringVision) const
{
    QList<QuorAIModelSpec> matching;
    for (const QuorAIModelSpec& candidate : models) {
        if (given(providerId) && !sameIgnoringCase(candidate.providerId, *providerId)) {
            continue;
        }
        if (given(deployment) && !sameIgnoringCase(candidate.deployment, *deployment)) {
            continue;
        }
        if (given(recommendedFor) && !candidate.recommendedFor.contains(*recommendedFor)) {
            continue;
        }
        if ((requiringToolCalling && !candidate.capabilities.toolCalling)
            || (requiringVision && !candidate.capabilities.vision)) {
            continue;
        }
        matching.append(candidate);
    }
    return matching;
}

QuorAIModelCatalogDocument QuorAIModelCatalogDocument::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorAIModelCatalogDocument document;
    document.schemaVersion = requireInt64(object, QStringLiteral("schemaVersion"));
    document.catalogVersion = requireString(object, QStringLiteral("catalogVersion"));
    document.updatedAt = requireString(object, QStringLiteral("updatedAt"));
    document.ttlSeconds = requireInt64(object, QStringLiteral("ttlSeconds"));
    document.source = requireString(object, QStringLiteral("source"));
    document.providers = QuorAICatalogCoding::requireRecordList<QuorAIProviderSpec>(object, QStringLiteral("providers"));
    document.models = QuorAICatalogCoding::requireRecordList<QuorAIModelSpec>(object, QStringLiteral("models"));
    return document;
}

QuorAIModelCatalogDocument QuorAIModelCatalogDocument::decode(const QByteArray& bytes)
{
    return fromJson(QuorJson::parseObject(bytes));
}

QJsonObject QuorAIModelCatalogDocument::toJson() const
{
    return QJsonObject{
        {QStringLiteral("schemaVersion"), schemaVersion},
        {QStringLiteral("catalogVersion"), catalogVersion},
        {QStringLiteral("updatedAt"), updatedAt},
        {QStringLiteral("ttlSeconds"), ttlSeconds},
        {QStringLiteral("source"), source},
        {QStringLiteral("providers"), QuorAICatalogCoding::toJsonArray(providers)},
        {QStringLiteral("models"), QuorAICatalogCoding::toJsonArray(models)},
    };
}
