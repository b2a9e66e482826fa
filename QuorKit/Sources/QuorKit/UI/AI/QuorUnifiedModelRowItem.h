#pragma once

#include "QuorKit/Cloud/QuorAIModelPricing.h"
#include "QuorKit/Cloud/QuorAIRamFit.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/AI/QuorAIModelFilterCategory.h"

#include <QString>
#include <QStringList>

#include <optional>

// One model the user can pick in the AI card: a managed gateway model, a catalog model or a model
// found on a local server, with what the list shows and searches.
struct QuorUnifiedModelRowItem {
    QString id;         // "tallowmer/<api id>", the catalog id, or the discovered model's id
    QString apiModelId; // the name sent to the chat endpoint
    QString displayName;
    QString providerId; // "tallowmer", the catalog's provider id, "ollama" or "lmstudio"
    QString vendor;
    bool isTallowmerManaged = false;
    bool isManagedAutoRouter = false;
    bool isLocal = false;
    bool isInstalledLocally = false;
    qint64 contextWindow = 0; // tokens; 0 when not given
    std::optional<QuorAIModelPricing> pricing;
    std::optional<double> minRamGb;
    std::optional<double> recommendedRamGb;
    std::optional<qint64> localSizeBytes;
    QuorAIRamFit ramFit = QuorAIRamFit::cloud;
    bool supportsVision = false;
    bool supportsReasoning = false;
    bool supportsTools = false;
    QString summaryText; // already in the interface language
    QStringList tags;
    qint64 sortPriority = 0; // smaller first
    std::optional<QString> ollamaTag;

    bool operator==(const QuorUnifiedModelRowItem&) const = default;

    // Passes the category, and the query (trimmed, any case; blank matches) is part of the name,
    // API id, vendor, provider, summary or one of the tags.
    bool matches(QuorAIModelFilterCategory category, const QString& query) const;

    // The price chip: "Free · Local", "Auto · Credits", "Free", "$0.15/$0.60 / 1M" or
    // "Credits / BYO". Prices are written as money with two decimals; an amount too small to show
    // as a cent reads "<$0.01", and a price that is negative or not a number counts as nothing.
    QString priceText(QuorLanguage language) const;
    // "8+ GB RAM" from a minimum of 7.5 (halves round up); empty without a usable minimum.
    QString ramRequirementText() const;
};
