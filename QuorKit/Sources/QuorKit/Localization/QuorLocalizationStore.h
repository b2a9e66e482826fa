#pragma once

#include "QuorKit/Localization/LoadedLanguageCatalog.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

// A language pack file that could not be read.
class QuorLanguagePackReadError : public QuorError {
public:
    explicit QuorLanguagePackReadError(const QString& path);
};

// The texts of the 35 interface languages beyond English and Turkish, from language packs
// ("<code>.json" or "<code>.json.lzfse") found in several folders and merged key by key, a folder
// earlier in the list winning. Each language's catalog is loaded on first use and kept until the
// cache is dropped. One custom override pack takes precedence over every language.
// Any thread may use a store; its lock is never held while files are read.
class QuorLocalizationStore {
public:
    // The store quorText() uses, with no extra folders.
    static QuorLocalizationStore& shared();

    // A store that searches `searchDirectories` (highest priority first) before the usual folders.
    explicit QuorLocalizationStore(const QStringList& searchDirectories = {});

    QuorLocalizationStore(const QuorLocalizationStore&) = delete;
    QuorLocalizationStore& operator=(const QuorLocalizationStore&) = delete;

    // Loads the language's catalog now, so its first text does not pay for it (nothing for
    // English and Turkish, which come from the literals).
    void preloadIfNeeded(QuorLanguage language);
    // The cached catalog, loaded from disk on first use.
    std::shared_ptr<const LoadedLanguageCatalog> catalog(QuorLanguage language);

    // The text of an English/Turkish pair in `language`: the override pack (by key, then by the
    // English text), then the literals for English and Turkish, then the language's catalog and
    // its fallback parent's, and finally the English literal.
    QString resolve(const std::optional<QString>& key, const QString& en, const QString& tr, QuorLanguage language);
    QString string(const std::optional<QString>& key, const QString& en, const QString& tr, QuorLanguage language);

    // Puts a folder ahead of all others (or keeps its place when already registered) and drops
    // every cached catalog.
    void registerSearchDirectory(const QString& directory);
    QStringList extraSearchDirectories() const;
    // The folders a catalog is merged from, highest priority first.
    QStringList candidateDirectories() const;

    // Replaces the override pack with the strings of one file (a flat object of strings, or a
    // pack's "strings"; ".lzfse" files are decompressed). Throws QuorLanguagePackReadError,
    // quor::platform::LzfseError or QuorDecodingError, leaving the previous overrides in force.
    void loadJSONPack(const QString& path);
    void clearCustomPack();
    // Drops every cached catalog, so the next lookup reads the disk again.
    void reloadCatalogs();

    // <data home>/Tallowmer/Localizations, shared by the suite's applications.
    static QString sharedSuiteLocalizationsDirectory();
    // Its "Custom" subfolder, for packs the user adds.
    static QString customLanguagePacksDirectory();

private:
    std::shared_ptr<const LoadedLanguageCatalog> loadCatalogFromDisk(QuorLanguage language) const;
    std::optional<QString> overrideText(const std::optional<QString>& key, const QString& en) const;

    mutable std::mutex m_lock;
    QuorTextMap m_customOverrides;
    std::array<std::shared_ptr<const LoadedLanguageCatalog>, QuorLanguages::caseCount> m_loadedCatalogs;
    QStringList m_extraSearchDirectories;
    // Counts the times the cache was dropped, so that a load that began before a drop does not
    // put what it read back into the cache.
    std::uint64_t m_cacheGeneration = 0;
};
