#pragma once

#include <QJsonObject>

#include <cstddef>

// What a model can do. Every flag is required in the catalog: a model lacking a capability says
// false rather than leaving the key out.
struct QuorAIModelCapabilities {
    bool toolCalling = false;
    bool parallelToolCalling = false;
    bool vision = false;
    bool reasoning = false;
    bool structuredOutputs = false;
    bool jsonMode = false;
    bool streaming = false;
    bool systemPrompt = false;
    bool promptCaching = false;
    bool webSearch = false;
    bool computerUse = false;
    bool codeExecution = false;
    bool pdfInput = false;
    bool audioInput = false;
    bool audioOutput = false;

    bool operator==(const QuorAIModelCapabilities&) const = default;

    // Fifteen required booleans named like the members; throws QuorDecodingError.
    static QuorAIModelCapabilities fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAIModelCapabilities& capabilities, std::size_t seed = 0) noexcept;
