#include "QuorZubCore/Models/ZubActionDefinition.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorZubCore/Models/ZubJsonSupport.h"

#include <QHash>

#include <utility>

namespace {
const QString idKey = QStringLiteral("id");
const QString kindKey = QStringLiteral("kind");
const QString titleENKey = QStringLiteral("titleEN");
const QString titleTRKey = QStringLiteral("titleTR");
const QString symbolNameKey = QStringLiteral("symbolName");
const QString isEnabledKey = QStringLiteral("isEnabled");
const QString customPromptKey = QStringLiteral("customPrompt");
const QString orderKey = QStringLiteral("order");
} // namespace

ZubActionDefinition ZubActionDefinition::make(const QUuid& id, ZubActionKind kind, const std::optional<QString>& titleEN,
                                              const std::optional<QString>& titleTR,
                                              const std::optional<QString>& symbolName, bool isEnabled,
                                              const std::optional<QString>& customPrompt, qint64 order)
{
    ZubActionDefinition action;
    action.id = id;
    action.kind = kind;
    action.titleEN = titleEN.value_or(ZubActionKinds::defaultTitleEN(kind));
    action.titleTR = titleTR.value_or(ZubActionKinds::defaultTitleTR(kind));
    action.symbolName = symbolName.value_or(ZubActionKinds::defaultSymbolName(kind));
    action.isEnabled = isEnabled;
    action.customPrompt = customPrompt;
    action.order = order;
    return action;
}

QString ZubActionDefinition::localizedTitle(std::optional<QuorLanguage> language) const
{
    return quorText(titleEN, titleTR, {}, language);
}

QList<ZubActionDefinition> ZubActionDefinition::defaultActions()
{
    // Bar order differs from catalogue order; customAI actions are only ever added by the user.
    static const std::pair<ZubActionKind, bool> rows[] = {
        {ZubActionKind::translate, true},     {ZubActionKind::fixGrammar, true},   {ZubActionKind::summarize, true},
        {ZubActionKind::explain, true},       {ZubActionKind::cleanURL, true},     {ZubActionKind::calculate, true},
        {ZubActionKind::wordStats, true},     {ZubActionKind::dictionary, true},   {ZubActionKind::qrCode, true},
        {ZubActionKind::caseTransform, true}, {ZubActionKind::plainCopy, true},    {ZubActionKind::speak, true},
        {ZubActionKind::openWebSearch, false},
    };
    QList<ZubActionDefinition> actions;
    qint64 order = 0;
    for (const auto& [kind, enabled] : rows) {
        actions.append(make(QUuid::createUuid(), kind, std::nullopt, std::nullopt, std::nullopt, enabled, std::nullopt,
                            order++));
    }
    return actions;
}

ZubActionDefinition ZubActionDefinition::fromJson(const QJsonObject& object)
{
    ZubActionDefinition action;
    action.id = ZubJsonSupport::requireUuid(object, idKey);
    action.kind = ZubJsonSupport::requireEnum<ZubActionKind>(object, kindKey, ZubActionKinds::fromRawValue);
    action.titleEN = QuorJson::requireString(object, titleENKey);
    action.titleTR = QuorJson::requireString(object, titleTRKey);
    action.symbolName = QuorJson::requireString(object, symbolNameKey);
    action.isEnabled = QuorJson::requireBool(object, isEnabledKey);
    action.customPrompt = QuorJson::optionalString(object, customPromptKey);
    action.order = QuorJson::requireInt64(object, orderKey);
    return action;
}

QJsonObject ZubActionDefinition::toJson() const
{
    QJsonObject object{
        {idKey, ZubJsonSupport::uuidText(id)},
        {kindKey, ZubActionKinds::rawValue(kind)},
        {titleENKey, titleEN},
        {titleTRKey, titleTR},
        {symbolNameKey, symbolName},
        {isEnabledKey, isEnabled},
        {orderKey, order},
    };
    if (customPrompt) {
        object.insert(customPromptKey, *customPrompt);
    }
    return object;
}

size_t qHash(const ZubActionDefinition& action, size_t seed) noexcept
{
    return qHashMulti(seed, action.id, action.kind, action.titleEN, action.titleTR, action.symbolName, action.isEnabled,
                      action.customPrompt.has_value(), action.customPrompt.value_or(QString()), action.order);
}
