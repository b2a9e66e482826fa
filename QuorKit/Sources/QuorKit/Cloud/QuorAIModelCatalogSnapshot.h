#pragma once

#include "QuorKit/Cloud/QuorAIDiscoveredLocalModel.h"
#include "QuorKit/Cloud/QuorAIModelCatalogDocument.h"
#include "QuorKit/Cloud/QuorAIModelSyncMeta.h"

#include <QList>

// A catalog document with its sync state and the local models found with it, in discovery order.
struct QuorAIModelCatalogSnapshot {
    QuorAIModelCatalogDocument document;
    QuorAIModelSyncMeta meta;
    QList<QuorAIDiscoveredLocalModel> discoveredLocalModels;

    bool operator==(const QuorAIModelCatalogSnapshot&) const = default;
};
