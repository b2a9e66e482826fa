#pragma once

#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubCaseTransformStyle.h"
#include "QuorZubCore/Models/ZubTargetLanguage.h"
#include "QuorZubCore/Models/ZubTranslationBackend.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// Everything the user configures; the content of config.json.
struct ZubConfig {
    bool autoShowOnSelection = true;
    ZubTargetLanguage targetLanguage = ZubTargetLanguage::autoFlipTREN;
    ZubTranslationBackend translationBackend = ZubTranslationBackend::freeWebTranslate;
    QuorAIConfig aiConfig;
    // Applications (desktop file id or lower-cased WM_CLASS) whose selections are ignored.
    QStringList excludedBundleIDs;
    QList<ZubActionDefinition> actions;
    double hideDelaySeconds = 6.0;
    ZubCaseTransformStyle preferredCaseStyle = ZubCaseTransformStyle::titleCase;

    // Two terminals and three secret keepers.
    static const QStringList& defaultExcludedBundleIDs();

    // What is used when no readable configuration exists: default exclusions and default actions.
    static ZubConfig defaultConfig();

    // By order, ascending; equal orders keep their stored order. Never changes `actions`.
    QList<ZubActionDefinition> sortedActions() const;
    // sortedActions() without the disabled ones.
    QList<ZubActionDefinition> enabledActions() const;

    bool operator==(const ZubConfig& other) const = default;

    // All eight keys are required; any missing, mistyped or unknown value fails the whole decode
    // with QuorDecodingError.
    static ZubConfig fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};
