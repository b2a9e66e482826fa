#pragma once

#include "QuorKit/Cloud/QuorAIProvider.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// Which backend the AI actions use, the full address the chat request is posted to, and the model
// sent with it. Both texts are always present; they are kept exactly as given (an empty endpoint
// stays empty and only fails when a request is built from it).
struct QuorAIConfig {
    // An absent endpoint or model takes the provider's default; the default configuration is the
    // first provider with both defaults.
    QuorAIConfig();
    explicit QuorAIConfig(QuorAIProvider provider, const std::optional<QString>& endpointURL = std::nullopt,
                          const std::optional<QString>& model = std::nullopt);

    QuorAIProvider provider;
    QString endpointURL;
    QString model;

    bool operator==(const QuorAIConfig& other) const = default;

    // {"provider", "endpointURL", "model"}: all three required, no defaults filled in while reading;
    // throws QuorDecodingError.
    static QuorAIConfig fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};
