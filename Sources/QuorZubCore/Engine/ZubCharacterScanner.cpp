#include "QuorZubCore/Engine/ZubCharacterScanner.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <memory>

namespace {
icu::BreakIterator* characterIterator()
{
    thread_local std::unique_ptr<icu::BreakIterator> iterator = []() -> std::unique_ptr<icu::BreakIterator> {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

bool isAsciiNonCR(char16_t unit)
{
    return unit < 0x80 && unit != u'\r';
}
} // namespace

void ZubCharacterScanner::forEach(QStringView text, const std::function<void(QStringView character)>& visit)
{
    const qsizetype size = text.size();
    const char16_t* units = text.utf16();
    qsizetype position = 0;
    icu::BreakIterator* iterator = characterIterator();
    UText* utext = nullptr;
    bool icuReady = false;
    while (position < size) {
        // Two ASCII characters in a row (other than CR LF) always have a boundary between them, so
        // plain text needs no trip through ICU.
        if (isAsciiNonCR(units[position]) && (position + 1 == size || units[position + 1] < 0x80)) {
            visit(text.sliced(position, 1));
            ++position;
            continue;
        }
        qsizetype end = position + 1;
        if (iterator != nullptr && utext == nullptr) {
            UErrorCode status = U_ZERO_ERROR;
            utext = utext_openUChars(nullptr, reinterpret_cast<const UChar*>(units), size, &status);
            if (U_SUCCESS(status)) {
                iterator->setText(utext, status);
            }
            icuReady = U_SUCCESS(status);
        }
        if (icuReady) {
            const int32_t next = iterator->following(static_cast<int32_t>(position));
            end = next == icu::BreakIterator::DONE ? size : next;
        } else if (text[position].isHighSurrogate() && end < size && text[end].isLowSurrogate()) {
            ++end;
        }
        visit(text.sliced(position, end - position));
        position = end;
    }
    if (utext != nullptr) {
        utext_close(utext);
    }
}

char32_t ZubCharacterScanner::firstScalar(QStringView character)
{
    if (character.isEmpty()) {
        return 0;
    }
    if (character.size() > 1 && character[0].isHighSurrogate() && character[1].isLowSurrogate()) {
        return QChar::surrogateToUcs4(character[0], character[1]);
    }
    return character[0].unicode();
}
