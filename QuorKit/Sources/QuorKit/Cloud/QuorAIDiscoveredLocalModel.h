#pragma once

#include "QuorKit/Cloud/QuorAIModelEntry.h"

#include <QString>

#include <optional>

// A model a local Ollama or LM Studio server reported as installed, with the catalog entry it was
// matched to. Built by discovery, never stored.
struct QuorAIDiscoveredLocalModel {
    QString id;         // "ollama/<name>" or "lmstudio/<id>"
    QString providerId; // "ollama" or "lmstudio"
    QString apiModelId; // the name that server expects
    QString displayName;
    std::optional<qint64> sizeBytes;
    std::optional<QuorAIModelSpec> catalogMatch;

    bool operator==(const QuorAIDiscoveredLocalModel&) const = default;
};
