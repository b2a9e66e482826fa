#pragma once

#include <QJsonObject>
#include <QString>

#include <cstddef>
#include <optional>

// A model's prices, in `currency` per one million tokens.
struct QuorAIModelPricing {
    QString currency;
    std::optional<double> inputPer1M;
    std::optional<double> outputPer1M;
    std::optional<double> cachedInputPer1M;
    std::optional<double> cacheWritePer1M;
    std::optional<double> batchInputPer1M;
    std::optional<double> batchOutputPer1M;
    bool freeTierAvailable = false;

    // Input and output each cost nothing (absent counts as nothing); the other prices and the
    // free tier play no part.
    bool isFree() const;

    bool operator==(const QuorAIModelPricing&) const = default;

    // "currency" and "freeTierAvailable" required, the prices optional numbers; throws QuorDecodingError.
    static QuorAIModelPricing fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAIModelPricing& pricing, std::size_t seed = 0) noexcept;
