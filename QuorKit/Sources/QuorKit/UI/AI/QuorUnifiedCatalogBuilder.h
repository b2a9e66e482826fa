#pragma once

#include "QuorKit/Cloud/QuorAIDiscoveredLocalModel.h"
#include "QuorKit/Cloud/QuorAIModelCatalogDocument.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/AI/QuorUnifiedModelRowItem.h"

#include <QList>

#include <optional>

// Merges the credits gateway's managed models, the models found on local servers and the catalog's
// models into one list without duplicates, ordered by band: managed 0-2, local-only 10 and up,
// installed catalog models 20 +, cloud catalog models 100 +, local catalog models not installed
// 200 + their catalog order; equal priorities by name.
class QuorUnifiedCatalogBuilder {
public:
    QuorUnifiedCatalogBuilder() = delete;

    // `hostRamGB` is what RAM fits are judged against; none reads this computer's memory.
    static QList<QuorUnifiedModelRowItem> buildRows(const QuorAIModelCatalogDocument& document,
                                                    const QList<QuorAIDiscoveredLocalModel>& discoveredLocal,
                                                    QuorLanguage language,
                                                    std::optional<double> hostRamGB = std::nullopt);
};
