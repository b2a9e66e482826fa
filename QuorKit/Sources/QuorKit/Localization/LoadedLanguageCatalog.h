#pragma once

#include "QuorKit/Localization/CompiledTemplate.h"
#include "QuorKit/Localization/QuorLocalizationPack.h"

#include <QString>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

// The texts of one interface language: translations by key or English text, and templates for
// English texts that embed run-time values. Immutable once built, so any thread may read it.
class LoadedLanguageCatalog {
public:
    using TemplateIndex = std::unordered_map<QString, std::vector<CompiledTemplate>, QuorTextHash>;

    LoadedLanguageCatalog() = default;
    LoadedLanguageCatalog(QuorTextMap strings, const QuorTextMap& templates);

    // The shared catalog with no strings and no templates.
    static std::shared_ptr<const LoadedLanguageCatalog> empty();

    // The non-empty text for `key`, else for `english`, else the first template that fits `english`.
    std::optional<QString> lookup(const std::optional<QString>& key, const QString& english) const;

    const QuorTextMap& strings() const { return m_strings; }
    // Templates filed under the first (or, failing that, last) 2 or 3 characters of their fixed
    // text, most specific first.
    const TemplateIndex& byPrefix() const { return m_byPrefix; }
    const TemplateIndex& bySuffix() const { return m_bySuffix; }

private:
    static std::optional<QString> applyFirst(const std::vector<CompiledTemplate>& candidates, const QString& text,
                                             const QuorGraphemeBoundaries& boundaries);

    QuorTextMap m_strings;
    TemplateIndex m_byPrefix;
    TemplateIndex m_bySuffix;
};
