#pragma once

#include "QuorKit/Cloud/QuorAILocalizedText.h"

#include <QJsonObject>
#include <QString>

#include <cstddef>

// One AI provider of the catalog: where its API lives and how it authenticates. Models point to it
// through their `providerId`.
struct QuorAIProviderSpec {
    QString id;
    QString name;
    QString shortName;
    QString deployment;
    QString apiFormat;
    QString defaultBaseUrl;
    QString chatPath;
    QString modelsPath;
    QString authType;
    QString authHeader;
    bool requiresApiKey = false;
    QString apiKeyPrefix;
    QString website;
    QString apiKeyUrl;
    QString docsUrl;
    QString status;
    QString accentColor;
    qint64 sortOrder = 0;
    QuorAILocalizedText description;

    // Runs on the user's machine: `deployment` is "local" in any letter case (spaces count).
    bool isLocal() const;

    bool operator==(const QuorAIProviderSpec&) const = default;

    // Nineteen required keys named like the members; throws QuorDecodingError.
    static QuorAIProviderSpec fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAIProviderSpec& provider, std::size_t seed = 0) noexcept;
