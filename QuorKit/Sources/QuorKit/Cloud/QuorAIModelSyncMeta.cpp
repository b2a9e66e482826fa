#include "QuorKit/Cloud/QuorAIModelSyncMeta.h"

#include "QuorKit/Utilities/QuorAICatalogCoding.h"

QuorAIModelSyncMeta QuorAIModelSyncMeta::fromJson(const QJsonObject& object)
{
    using namespace QuorJson;
    QuorAIModelSyncMeta meta;
    meta.etag = optionalString(object, QStringLiteral("etag"));
    meta.lastSyncedAt = optionalString(object, QStringLiteral("lastSyncedAt"));
    meta.lastCheckedAt = optionalString(object, QStringLiteral("lastCheckedAt"));
    meta.sourceUrl = requireString(object, QStringLiteral("sourceUrl"));
    meta.catalogVersion = optionalString(object, QStringLiteral("catalogVersion"));
    const QString originKey = QStringLiteral("origin");
    const auto found = object.constFind(originKey);
    if (found == object.constEnd() || found->isNull()) {
        throw QuorDecodingError(QStringLiteral("missing \"origin\""));
    }
    meta.origin = QuorAICatalogOrigins::fromJson(*found, originKey);
    return meta;
}

QJsonObject QuorAIModelSyncMeta::toJson() const
{
    using QuorAICatalogCoding::insertIfPresent;
    QJsonObject object{{QStringLiteral("sourceUrl"), sourceUrl},
                       {QStringLiteral("origin"), QuorAICatalogOrigins::toJson(origin)}};
    insertIfPresent(object, QStringLiteral("etag"), etag);
    insertIfPresent(object, QStringLiteral("lastSyncedAt"), lastSyncedAt);
    insertIfPresent(object, QStringLiteral("lastCheckedAt"), lastCheckedAt);
    insertIfPresent(object, QStringLiteral("catalogVersion"), catalogVersion);
    return object;
}
