#pragma once

#include "QuorKit/Cloud/QuorAILocalModelRequirements.h"
#include "QuorKit/Cloud/QuorAILocalizedList.h"
#include "QuorKit/Cloud/QuorAILocalizedText.h"
#include "QuorKit/Cloud/QuorAIModelCapabilities.h"
#include "QuorKit/Cloud/QuorAIModelModalities.h"
#include "QuorKit/Cloud/QuorAIModelPerformance.h"
#include "QuorKit/Cloud/QuorAIModelPricing.h"
#include "QuorKit/Cloud/QuorAIRamFit.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>

// One model of the catalog: its limits, modalities, capabilities, prices, performance estimates,
// local requirements and descriptive texts. The request settings it carries are descriptive; the
// chat client does not send them.
struct QuorAIModelSpec {
    QString id;
    QString providerId;
    QString apiModelId;
    QStringList aliases;
    QString displayName;
    QString family;
    QString vendor;
    QString tier;
    QString deployment;
    QString status;
    std::optional<QString> releaseDate;
    std::optional<QString> knowledgeCutoff;
    std::optional<QString> license;
    qint64 contextWindow = 0;
    qint64 maxOutputTokens = 0;
    qint64 defaultMaxOutputTokens = 0;
    double defaultTemperature = 0;
    bool supportsTemperature = false;
    bool usesMaxCompletionTokens = false;
    QuorAIModelModalities modalities;
    QuorAIModelCapabilities capabilities;
    QStringList reasoningEffortLevels;
    std::optional<QuorAIModelPricing> pricing;
    std::optional<QuorAIModelPerformance> performance;
    std::optional<QuorAILocalModelSpecs> localSpecs;
    QStringList recommendedFor;
    QStringList tags;
    qint64 sortOrder = 0;
    QuorAILocalizedText summary;
    QuorAILocalizedList strengths;
    QuorAILocalizedList limitations;

    // Runs on the user's machine: `deployment` is "local" in any letter case (spaces count).
    bool isLocal() const;

    // How the model fits a host with `hostRamGB` of memory (GB of 2^30 bytes). Without figures the
    // minimum is 8 and the recommendation one and a half times the minimum; the recommendation is
    // tested first and the two are not compared with each other.
    QuorAIRamFit ramFit(double hostRamGB) const;

    bool operator==(const QuorAIModelSpec&) const = default;

    // Thirty-one keys named like the members; throws QuorDecodingError on the first bad one.
    static QuorAIModelSpec fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

std::size_t qHash(const QuorAIModelSpec& model, std::size_t seed = 0) noexcept;
