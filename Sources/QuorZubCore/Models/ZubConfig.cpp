#include "QuorZubCore/Models/ZubConfig.h"

#include "QuorZubCore/Models/ZubJsonSupport.h"

#include <QJsonArray>

#include <algorithm>

namespace {
const QString autoShowKey = QStringLiteral("autoShowOnSelection");
const QString targetLanguageKey = QStringLiteral("targetLanguage");
const QString backendKey = QStringLiteral("translationBackend");
const QString aiConfigKey = QStringLiteral("aiConfig");
const QString excludedKey = QStringLiteral("excludedBundleIDs");
const QString actionsKey = QStringLiteral("actions");
const QString hideDelayKey = QStringLiteral("hideDelaySeconds");
const QString caseStyleKey = QStringLiteral("preferredCaseStyle");
} // namespace

const QStringList& ZubConfig::defaultExcludedBundleIDs()
{
    static const QStringList identifiers{
        QStringLiteral("org.gnome.terminal"),
        QStringLiteral("org.kde.konsole"),
        QStringLiteral("org.keepassxc.keepassxc"),
        QStringLiteral("1password"),
        QStringLiteral("org.gnome.seahorse.application"),
    };
    return identifiers;
}

ZubConfig ZubConfig::defaultConfig()
{
    ZubConfig config;
    config.aiConfig = QuorAIConfig(QuorAIProviders::allCases().first());
    config.excludedBundleIDs = defaultExcludedBundleIDs();
    config.actions = ZubActionDefinition::defaultActions();
    return config;
}

QList<ZubActionDefinition> ZubConfig::sortedActions() const
{
    const auto byOrder = [](const ZubActionDefinition& a, const ZubActionDefinition& b) { return a.order < b.order; };
    // The list is normally kept in order: shared as it is, it costs no copy of thousands of
    // actions at every selection.
    if (std::is_sorted(actions.cbegin(), actions.cend(), byOrder)) {
        return actions;
    }
    QList<ZubActionDefinition> sorted = actions;
    std::stable_sort(sorted.begin(), sorted.end(), byOrder);
    return sorted;
}

QList<ZubActionDefinition> ZubConfig::enabledActions() const
{
    const QList<ZubActionDefinition> sorted = sortedActions();
    if (std::all_of(sorted.cbegin(), sorted.cend(), [](const ZubActionDefinition& action) { return action.isEnabled; })) {
        return sorted;
    }
    QList<ZubActionDefinition> enabled;
    enabled.reserve(sorted.size());
    for (const auto& action : sorted) {
        if (action.isEnabled) {
            enabled.append(action);
        }
    }
    return enabled;
}

ZubConfig ZubConfig::fromJson(const QJsonObject& object)
{
    ZubConfig config;
    config.autoShowOnSelection = QuorJson::requireBool(object, autoShowKey);
    config.targetLanguage =
        ZubJsonSupport::requireEnum<ZubTargetLanguage>(object, targetLanguageKey, ZubTargetLanguages::fromRawValue);
    config.translationBackend =
        ZubJsonSupport::requireEnum<ZubTranslationBackend>(object, backendKey, ZubTranslationBackends::fromRawValue);
    config.aiConfig = QuorAIConfig::fromJson(QuorJson::requireObject(object, aiConfigKey));
    for (const QJsonValue& value : QuorJson::requireArray(object, excludedKey)) {
        config.excludedBundleIDs.append(QuorJson::stringValue(value, excludedKey));
    }
    for (const QJsonValue& value : QuorJson::requireArray(object, actionsKey)) {
        if (!value.isObject()) {
            throw QuorDecodingError(QStringLiteral("\"actions\" holds a value that is not an object"));
        }
        config.actions.append(ZubActionDefinition::fromJson(value.toObject()));
    }
    config.hideDelaySeconds = QuorJson::requireDouble(object, hideDelayKey);
    config.preferredCaseStyle =
        ZubJsonSupport::requireEnum<ZubCaseTransformStyle>(object, caseStyleKey, ZubCaseTransformStyles::fromRawValue);
    return config;
}

QJsonObject ZubConfig::toJson() const
{
    QJsonArray actionArray;
    for (const auto& action : actions) {
        actionArray.append(action.toJson());
    }
    return QJsonObject{
        {autoShowKey, autoShowOnSelection},
        {targetLanguageKey, ZubTargetLanguages::rawValue(targetLanguage)},
        {backendKey, ZubTranslationBackends::rawValue(translationBackend)},
        {aiConfigKey, aiConfig.toJson()},
        {excludedKey, QJsonArray::fromStringList(excludedBundleIDs)},
        {actionsKey, actionArray},
        {hideDelayKey, hideDelaySeconds},
        {caseStyleKey, ZubCaseTransformStyles::rawValue(preferredCaseStyle)},
    };
}
