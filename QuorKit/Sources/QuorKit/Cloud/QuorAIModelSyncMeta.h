#pragma once

#include "QuorKit/Cloud/QuorAICatalogOrigin.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// The sync state of the catalog document in force, kept as "sync-meta.json" beside "models.json".
// Times are ISO-8601 texts as the registry wrote them; the record itself does not parse them.
struct QuorAIModelSyncMeta {
    std::optional<QString> etag;
    std::optional<QString> lastSyncedAt;
    std::optional<QString> lastCheckedAt;
    QString sourceUrl;
    std::optional<QString> catalogVersion;
    QuorAICatalogOrigin origin = QuorAICatalogOrigin::bundled;

    bool operator==(const QuorAIModelSyncMeta&) const = default;

    // "sourceUrl" and "origin" required, the rest optional strings; throws QuorDecodingError.
    static QuorAIModelSyncMeta fromJson(const QJsonObject& object);
    // Absent members are left out.
    QJsonObject toJson() const;
};
