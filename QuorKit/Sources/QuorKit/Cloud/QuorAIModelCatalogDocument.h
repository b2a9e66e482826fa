#pragma once

#include "QuorKit/Cloud/QuorAIModelEntry.h"
#include "QuorKit/Cloud/QuorAIProviderEntry.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The AI model catalog: the providers and models the user can choose from. The same JSON form is
// published by the catalog endpoint, cached on disk and shipped as the kit's fallback resource.
// Array order matters: every lookup scans in document order.
struct QuorAIModelCatalogDocument {
    qint64 schemaVersion = 0;
    QString catalogVersion;
    QString updatedAt;
    qint64 ttlSeconds = 0;
    QString source;
    QList<QuorAIProviderSpec> providers;
    QList<QuorAIModelSpec> models;

    // The first provider whose id matches, ignoring letter case (the argument is not trimmed).
    std::optional<QuorAIProviderSpec> provider(const QString& id) const;

    // The first model, in document order, whose id, API model id or one of its aliases equals the
    // argument trimmed and lower-cased (the catalog side is lower-cased only). An empty key finds
    // nothing.
    std::optional<QuorAIModelSpec> model(const QString& idOrAlias) const;

    // Every model, in document order, that passes all criteria; an absent or empty text applies no
    // test. Provider and deployment ignore letter case, `recommendedFor` must match an element exactly.
    // (Named apart from the `models` member, which C++ cannot overload with a function.)
    QList<QuorAIModelSpec> modelsMatching(const std::optional<QString>& providerId = std::nullopt,
                                          const std::optional<QString>& deployment = std::nullopt,
                                          const std::optional<QString>& recommendedFor = std::nullopt,
                                          bool requiringToolCalling = false, bool requiringVision = false) const;

    bool operator==(const QuorAIModelCatalogDocument&) const = default;

    // All seven keys required; any bad provider or model fails the whole document (a partial
    // catalog is never produced). Throws QuorDecodingError naming the path of the fault.
    static QuorAIModelCatalogDocument fromJson(const QJsonObject& object);
    // Parses and decodes the bytes of a catalog file or answer.
    static QuorAIModelCatalogDocument decode(const QByteArray& bytes);
    QJsonObject toJson() const;
};
