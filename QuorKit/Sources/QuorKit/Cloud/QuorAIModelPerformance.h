#pragma once

#include <QJsonObject>
#include <QString>

#include <cstddef>
#include <optional>

// The publisher's speed class and estimates for a model; the scores' scale is the publisher's.
struct QuorAIModelPerformance {
    QString speedTier;
    std::optional<qint64> tokensPerSecEstimate;
    std::optional<qint64> ttftMsEstimate;
    std::optional<qint64> qualityScore;
    std::optional<qint64> codingScore;
    std::optional<qint64> agenticScore;
    std::optional<qint64> visionScore;
    std::optional<qint64> reasoningScore;

    bool operator==(const QuorAIModelPerformance&) const = default;

    // "speedTier" required, the rest optional whole numbers; throws QuorDecodingError.
    static QuorAIModelPerformance fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAIModelPerformance& performance, std::size_t seed = 0) noexcept;
