#include "QuorKit/Localization/QuorLocalization.h"

#include "QuorKit/Localization/QuorLocalizationStore.h"
#include "QuorPlatform/Core/QuorError.h"

QString quorText(const QString& en, const QString& tr, const QString& key, std::optional<QuorLanguage> language)
{
    // Not value_or(): reading the current language costs a settings read even when one is given.
    const QuorLanguage resolved = language ? *language : QuorLanguages::current();
    const std::optional<QString> optionalKey = key.isEmpty() ? std::nullopt : std::optional<QString>(key);
    return QuorLocalizationStore::shared().resolve(optionalKey, en, tr, resolved);
}

QString localizedDescription(const std::exception& error, std::optional<QuorLanguage> language)
{
    if (const auto* quorError = dynamic_cast<const QuorError*>(&error)) {
        return quorText(quorError->englishDescription(), quorError->turkishDescription(), {}, language);
    }
    return QString::fromUtf8(error.what());
}
