#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorZubCore/Models/ZubActionKind.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// One configured button of the floating bar.
struct ZubActionDefinition {
    QUuid id;
    ZubActionKind kind = ZubActionKind::translate;
    QString titleEN;
    QString titleTR;
    QString symbolName;
    bool isEnabled = true;
    // The user's instruction for a customAI action.
    std::optional<QString> customPrompt;
    // Position on the bar, ascending.
    qint64 order = 0;

    // An absent title or symbol takes the kind's default; a given one (even empty) is kept.
    static ZubActionDefinition make(const QUuid& id, ZubActionKind kind, const std::optional<QString>& titleEN,
                                    const std::optional<QString>& titleTR, const std::optional<QString>& symbolName,
                                    bool isEnabled, const std::optional<QString>& customPrompt, qint64 order);

    // The title in `language` (the interface language when none is given).
    QString localizedTitle(std::optional<QuorLanguage> language = std::nullopt) const;

    // A fresh list of the thirteen default actions with new identities, orders 0 to 12.
    static QList<ZubActionDefinition> defaultActions();

    bool operator==(const ZubActionDefinition& other) const = default;

    // Every key is required except "customPrompt" (missing or null is absent); throws QuorDecodingError.
    static ZubActionDefinition fromJson(const QJsonObject& object);
    // "customPrompt" is left out when absent.
    QJsonObject toJson() const;
};

size_t qHash(const ZubActionDefinition& action, size_t seed = 0) noexcept;
