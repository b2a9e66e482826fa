#include "QuorPlatform/Tokenization/QuorIcuTextTokenizer.h"

#include <unicode/brkiter.h>
#include <unicode/filteredbrk.h>
#include <unicode/utext.h>

namespace quor::platform {

namespace {
std::unique_ptr<icu::BreakIterator> makeIterator(TokenUnit unit)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iterator;
    if (unit == TokenUnit::word) {
        iterator.reset(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(iterator) : nullptr;
    }
    iterator.reset(icu::BreakIterator::createSentenceInstance(icu::Locale::getEnglish(), status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    // No sentence ends after a known abbreviation ("Mr.", "Prof."); ICU's list lacks "Dr.", the
    // most common of them.
    std::unique_ptr<icu::FilteredBreakIteratorBuilder> filter(
        icu::FilteredBreakIteratorBuilder::createInstance(icu::Locale::getEnglish(), status));
    if (U_FAILURE(status)) {
        return iterator;
    }
    filter->suppressBreakAfter(icu::UnicodeString(u"Dr."), status);
    std::unique_ptr<icu::BreakIterator> filtered(filter->wrapIteratorWithFilter(iterator.release(), status));
    return U_SUCCESS(status) ? std::move(filtered) : nullptr;
}
} // namespace

struct IcuTextTokenizer::Iterator {
    std::unique_ptr<icu::BreakIterator> iterator;
};

IcuTextTokenizer::IcuTextTokenizer(TokenUnit unit) : m_unit(unit), m_iterator(new Iterator{makeIterator(unit)}) {}

IcuTextTokenizer::~IcuTextTokenizer() = default;

void IcuTextTokenizer::enumerateTokens(QStringView text, const std::function<void(QStringView token)>& visit)
{
    icu::BreakIterator* iterator = m_iterator->iterator.get();
    if (text.isEmpty() || iterator == nullptr) {
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUChars(nullptr, reinterpret_cast<const UChar*>(text.utf16()), text.size(), &status);
    if (U_FAILURE(status)) {
        return;
    }
    iterator->setText(utext, status);
    if (U_SUCCESS(status)) {
        int32_t start = iterator->first();
        for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE; start = end, end = iterator->next()) {
            // Word segments between words (spaces, punctuation, symbols) carry the "none" status.
            if (m_unit == TokenUnit::word && iterator->getRuleStatus() < UBRK_WORD_NONE_LIMIT) {
                continue;
            }
            visit(text.mid(start, end - start));
        }
    }
    // Leave no pointer to the caller's text behind.
    static const UChar empty[1] = {0};
    UErrorCode resetStatus = U_ZERO_ERROR;
    UText* blank = utext_openUChars(nullptr, empty, 0, &resetStatus);
    if (U_SUCCESS(resetStatus)) {
        iterator->setText(blank, resetStatus);
    }
    utext_close(blank);
    utext_close(utext);
}

} // namespace quor::platform
