#include "QuorKit/Localization/LoadedLanguageCatalog.h"

#include <algorithm>

namespace {

QString firstCharacters(const QString& text, qsizetype count)
{
    const QuorGraphemeBoundaries boundaries(text);
    return text.first(boundaries.offset(std::min(count, boundaries.count())));
}

QString lastCharacters(const QString& text, qsizetype count)
{
    const QuorGraphemeBoundaries boundaries(text);
    return text.sliced(boundaries.offset(boundaries.count() - std::min(count, boundaries.count())));
}

} // namespace

LoadedLanguageCatalog::LoadedLanguageCatalog(QuorTextMap strings, const QuorTextMap& templates)
    : m_strings(std::move(strings))
{
    // Sources in sorted order, so templates of equal weight are always tried in the same order.
    QStringList sources;
    for (const auto& [source, target] : templates) {
        sources.append(source);
    }
    sources.sort();
    for (const QString& source : std::as_const(sources)) {
        const QString& target = templates.at(source);
        if (target.isEmpty()) {
            continue;
        }
        auto compiled = CompiledTemplate::compile(source, target);
        if (!compiled) {
            continue;
        }
        if (compiled->firstLiteralLength() >= 2) {
            m_byPrefix[firstCharacters(compiled->sourceLiterals().first(), 3)].push_back(std::move(*compiled));
        } else if (compiled->lastLiteralLength() >= 2) {
            m_bySuffix[lastCharacters(compiled->sourceLiterals().last(), 3)].push_back(std::move(*compiled));
        }
        // Otherwise neither end has enough fixed text to find the template by: it is never used.
    }
    const auto heaviestFirst = [](const CompiledTemplate& a, const CompiledTemplate& b) {
        return a.literalWeight() > b.literalWeight();
    };
    for (auto* index : {&m_byPrefix, &m_bySuffix}) {
        for (auto& [key, list] : *index) {
            std::stable_sort(list.begin(), list.end(), heaviestFirst);
        }
    }
}

std::shared_ptr<const LoadedLanguageCatalog> LoadedLanguageCatalog::empty()
{
    static const auto catalog = std::make_shared<const LoadedLanguageCatalog>();
    return catalog;
}

std::optional<QString> LoadedLanguageCatalog::lookup(const std::optional<QString>& key, const QString& english) const
{
    if (key) {
        if (const auto found = m_strings.find(*key); found != m_strings.end() && !found->second.isEmpty()) {
            return found->second;
        }
    }
    if (const auto found = m_strings.find(english); found != m_strings.end() && !found->second.isEmpty()) {
        return found->second;
    }
    if (m_byPrefix.empty() && m_bySuffix.empty()) {
        return std::nullopt;
    }
    const QuorGraphemeBoundaries boundaries(english);
    const qsizetype count = boundaries.count();
    if (count <= 2) {
        return std::nullopt;
    }
    if (!m_byPrefix.empty()) {
        for (const qsizetype length : {3, 2}) {
            const auto found = m_byPrefix.find(QString::fromRawData(english.constData(), boundaries.offset(length)));
            if (found == m_byPrefix.end()) {
                continue;
            }
            if (auto result = applyFirst(found->second, english, boundaries)) {
                return result;
            }
        }
    }
    if (!m_bySuffix.empty()) {
        for (const qsizetype length : {3, 2}) {
            const auto found = m_bySuffix.find(QString::fromRawData(english.constData() + boundaries.offset(count - length), english.size() - boundaries.offset(count - length)));
            if (found == m_bySuffix.end()) {
                continue;
            }
            if (auto result = applyFirst(found->second, english, boundaries)) {
                return result;
            }
        }
    }
    return std::nullopt;
}

std::optional<QString> LoadedLanguageCatalog::applyFirst(const std::vector<CompiledTemplate>& candidates,
                                                         const QString& text, const QuorGraphemeBoundaries& boundaries)
{
    for (const CompiledTemplate& candidate : candidates) {
        if (auto result = candidate.apply(text, boundaries)) {
            return result;
        }
    }
    return std::nullopt;
}
