#include "QuorPlatform/CaseMapping/QuorLocaleCaseMapper.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/rbbi.h>
#include <unicode/unistr.h>

#include <memory>

namespace quor::platform {

namespace {
icu::UnicodeString toIcu(const QString& text)
{
    return icu::UnicodeString(reinterpret_cast<const UChar*>(text.utf16()), static_cast<int32_t>(text.size()));
}

QString fromIcu(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

icu::Locale icuLocale(const QString& name)
{
    return icu::Locale(name.toUtf8().constData());
}

// Boundaries at every change between white space and anything else; the iterator holds state, so
// each thread keeps its own.
icu::BreakIterator* whitespaceWordIterator()
{
    thread_local std::unique_ptr<icu::RuleBasedBreakIterator> iterator = []() -> std::unique_ptr<icu::RuleBasedBreakIterator> {
        UParseError parseError{};
        UErrorCode status = U_ZERO_ERROR;
        auto created = std::make_unique<icu::RuleBasedBreakIterator>(
            icu::UnicodeString(u"!!chain; [\\p{White_Space}]+; [^\\p{White_Space}]+;"), parseError, status);
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}
} // namespace

QString LocaleCaseMapper::uppercase(const QString& text, const QString& localeName)
{
    icu::UnicodeString mapped = toIcu(text);
    return fromIcu(mapped.toUpper(icuLocale(localeName)));
}

QString LocaleCaseMapper::lowercase(const QString& text, const QString& localeName)
{
    icu::UnicodeString mapped = toIcu(text);
    return fromIcu(mapped.toLower(icuLocale(localeName)));
}

QString LocaleCaseMapper::titlecaseWords(const QString& text, const QString& localeName)
{
    icu::BreakIterator* words = whitespaceWordIterator();
    if (words == nullptr) {
        return text;
    }
    icu::UnicodeString mapped = toIcu(text);
    mapped.toTitle(words, icuLocale(localeName), 0);
    return fromIcu(mapped);
}

} // namespace quor::platform
