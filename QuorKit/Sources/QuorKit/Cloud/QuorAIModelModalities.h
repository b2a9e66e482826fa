#pragma once

#include <QJsonObject>
#include <QStringList>

#include <cstddef>

// The kinds of input a model accepts and of output it produces ("text", "image", ...), as the
// catalog's publisher words them.
struct QuorAIModelModalities {
    QStringList input;
    QStringList output;

    bool operator==(const QuorAIModelModalities&) const = default;

    // {"input", "output"}, both required string arrays; throws QuorDecodingError.
    static QuorAIModelModalities fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAIModelModalities& modalities, std::size_t seed = 0) noexcept;
