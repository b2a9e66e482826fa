#include "QuorKit/Utilities/QuorGraphemes.h"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>

#include <memory>
#include <vector>

namespace {
// Code-unit offsets of every cluster boundary, 0 and size() included.
std::vector<qsizetype> boundaries(const QString& text)
{
    std::vector<qsizetype> result{0};
    if (text.isEmpty()) {
        return result;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iterator(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    UText* utext = utext_openUChars(nullptr, reinterpret_cast<const UChar*>(text.utf16()), text.size(), &status);
    if (U_FAILURE(status) || !iterator) {
        if (utext != nullptr) {
            utext_close(utext);
        }
        // Without ICU's data, count code points so callers still get sane bounds.
        for (qsizetype i = 1; i <= text.size(); ++i) {
            if (i == text.size() || !text.at(i).isLowSurrogate()) {
                result.push_back(i);
            }
        }
        return result;
    }
    iterator->setText(utext, status);
    for (int32_t position = iterator->next(); position != icu::BreakIterator::DONE; position = iterator->next()) {
        result.push_back(position);
    }
    utext_close(utext);
    return result;
}
} // namespace

namespace QuorGraphemes {

qsizetype count(const QString& text)
{
    return static_cast<qsizetype>(boundaries(text).size()) - 1;
}

QString prefix(const QString& text, qsizetype graphemes)
{
    if (graphemes <= 0) {
        return {};
    }
    const auto bounds = boundaries(text);
    const auto total = static_cast<qsizetype>(bounds.size()) - 1;
    return graphemes >= total ? text : text.left(bounds[static_cast<size_t>(graphemes)]);
}

QString suffix(const QString& text, qsizetype graphemes)
{
    if (graphemes <= 0) {
        return {};
    }
    const auto bounds = boundaries(text);
    const auto total = static_cast<qsizetype>(bounds.size()) - 1;
    return graphemes >= total ? text : text.mid(bounds[static_cast<size_t>(total - graphemes)]);
}

QString dropFirst(const QString& text, qsizetype graphemes)
{
    const auto total = count(text);
    return graphemes >= total ? QString() : suffix(text, total - std::max<qsizetype>(graphemes, 0));
}

QString dropLast(const QString& text, qsizetype graphemes)
{
    const auto total = count(text);
    return graphemes >= total ? QString() : prefix(text, total - std::max<qsizetype>(graphemes, 0));
}

QString first(const QString& text)
{
    return prefix(text, 1);
}

} // namespace QuorGraphemes
