#include "QuorKit/Localization/QuorLocalizationStore.h"

std::optional<QString> LoadedLanguageCatalog::lookup(const QString&, const QString&) const
{
    return std::nullopt;
}

QuorLocalizationStore& QuorLocalizationStore::shared()
{
    static QuorLocalizationStore store;
    return store;
}

std::optional<QString> QuorLocalizationStore::overrideText(const std::optional<QString>&, const QString&) const
{
    return std::nullopt;
}

LoadedLanguageCatalog QuorLocalizationStore::catalog(QuorLanguage)
{
    return {};
}

void QuorLocalizationStore::preloadIfNeeded(QuorLanguage) {}

QString QuorLocalizationStore::resolve(const std::optional<QString>& key, const QString& en, const QString& tr,
                                       QuorLanguage language)
{
    if (const auto overridden = overrideText(key, en)) {
        return *overridden;
    }
    if (language == QuorLanguage::en) {
        return en;
    }
    if (language == QuorLanguage::tr) {
        return tr.isEmpty() ? en : tr;
    }
    const QString lookupKey = key.value_or(en);
    if (const auto found = catalog(language).lookup(lookupKey, en)) {
        return *found;
    }
    if (const auto parent = QuorLanguages::fallbackParent(language)) {
        if (const auto found = catalog(*parent).lookup(lookupKey, en)) {
            return *found;
        }
    }
    return en;
}

QString QuorLocalizationStore::string(const std::optional<QString>& key, const QString& en, const QString& tr,
                                      QuorLanguage language)
{
    return resolve(key, en, tr, language);
}
