#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QString>

#include <optional>

// The texts of one interface language as loaded from its packs.
class LoadedLanguageCatalog {
public:
    // The text for `key`, else for the English literal; nothing when the catalog has neither.
    std::optional<QString> lookup(const QString& key, const QString& english) const;
};

// Holds the language packs of the 35 languages beyond English and Turkish, and one override pack.
class QuorLocalizationStore {
public:
    static QuorLocalizationStore& shared();

    // A non-empty override for `key`, else for the English literal.
    std::optional<QString> overrideText(const std::optional<QString>& key, const QString& english) const;
    LoadedLanguageCatalog catalog(QuorLanguage language);
    void preloadIfNeeded(QuorLanguage language);

    QString resolve(const std::optional<QString>& key, const QString& en, const QString& tr, QuorLanguage language);
    QString string(const std::optional<QString>& key, const QString& en, const QString& tr, QuorLanguage language);
};
