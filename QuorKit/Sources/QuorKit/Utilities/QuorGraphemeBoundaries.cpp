#include "QuorKit/Utilities/QuorGraphemeBoundaries.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <algorithm>
#include <memory>

namespace {

constexpr char16_t kFirstCombiningMark = 0x300;

bool everyCodeUnitIsACharacter(QStringView text)
{
    const QChar* const end = text.data() + text.size();
    for (const QChar* c = text.data(); c != end; ++c) {
        if (c->unicode() >= kFirstCombiningMark || (c->unicode() == u'\r' && c + 1 != end && c[1].unicode() == u'\n')) {
            return false;
        }
    }
    return true;
}

// Creating a break iterator costs far more than a walk, so each thread keeps one.
icu::BreakIterator* threadIterator()
{
    thread_local const std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

// Whether a walk on this thread holds the thread's iterator; a walk that starts inside another
// one (a visitor measuring some other text) works on a copy.
thread_local bool threadIteratorBusy = false;

// Steps from one boundary of a text to the next, asking ICU only where the cheap rule does not
// decide. Without ICU's data it steps by code points, so callers still get sane bounds.
class ClusterWalker {
public:
    explicit ClusterWalker(QStringView text) : m_text(text) {}
    ClusterWalker(const ClusterWalker&) = delete;
    ClusterWalker& operator=(const ClusterWalker&) = delete;

    ~ClusterWalker()
    {
        if (m_utext != nullptr) {
            // Detach the iterator from the text before the text goes away.
            m_iterator->setText(icu::UnicodeString());
            utext_close(m_utext);
        }
        if (m_holdsThreadIterator) {
            threadIteratorBusy = false;
        }
    }

    // The end of the character that starts at `position`, which must be a boundary.
    qsizetype endOf(qsizetype position)
    {
        const char16_t* units = m_text.utf16();
        const qsizetype size = m_text.size();
        const char16_t unit = units[position];
        if (unit < kFirstCombiningMark &&
            (position + 1 == size ||
             (units[position + 1] < kFirstCombiningMark && !(unit == u'\r' && units[position + 1] == u'\n')))) {
            return position + 1;
        }
        if (!m_opened) {
            open();
        }
        if (m_utext != nullptr) {
            const int32_t next = m_iterator->following(static_cast<int32_t>(position));
            return next == icu::BreakIterator::DONE ? size : std::max<qsizetype>(next, position + 1);
        }
        const bool pair = QChar::isHighSurrogate(unit) && position + 1 < size && QChar::isLowSurrogate(units[position + 1]);
        return position + (pair ? 2 : 1);
    }

private:
    void open()
    {
        m_opened = true;
        icu::BreakIterator* shared = threadIterator();
        if (shared == nullptr) {
            return;
        }
        if (threadIteratorBusy) {
            m_copy.reset(shared->clone());
            m_iterator = m_copy.get();
        } else {
            threadIteratorBusy = true;
            m_holdsThreadIterator = true;
            m_iterator = shared;
        }
        if (m_iterator == nullptr) {
            return;
        }
        UErrorCode status = U_ZERO_ERROR;
        UText* utext = utext_openUChars(nullptr, reinterpret_cast<const UChar*>(m_text.utf16()), m_text.size(), &status);
        if (utext == nullptr || U_FAILURE(status)) {
            if (utext != nullptr) {
                utext_close(utext);
            }
            return;
        }
        m_iterator->setText(utext, status);
        if (U_FAILURE(status)) {
            utext_close(utext);
            return;
        }
        m_utext = utext;
    }

    QStringView m_text;
    bool m_opened = false;
    bool m_holdsThreadIterator = false;
    icu::BreakIterator* m_iterator = nullptr;
    std::unique_ptr<icu::BreakIterator> m_copy;
    UText* m_utext = nullptr;
};

} // namespace

QuorGraphemeBoundaries::QuorGraphemeBoundaries(QStringView text) : m_size(text.size())
{
    if (everyCodeUnitIsACharacter(text)) {
        return;
    }
    m_offsets.push_back(0);
    ClusterWalker walker(text);
    for (qsizetype position = 0; position < m_size;) {
        position = walker.endOf(position);
        m_offsets.push_back(position);
    }
}

bool QuorGraphemeBoundaries::isBoundary(qsizetype codeUnitOffset) const
{
    if (codeUnitOffset < 0 || codeUnitOffset > m_size) {
        return false;
    }
    if (m_offsets.empty()) {
        return true;
    }
    return std::binary_search(m_offsets.begin(), m_offsets.end(), codeUnitOffset);
}

void QuorGraphemeBoundaries::forEach(QStringView text, const std::function<void(QStringView character)>& visit)
{
    ClusterWalker walker(text);
    for (qsizetype position = 0; position < text.size();) {
        const qsizetype end = walker.endOf(position);
        visit(text.sliced(position, end - position));
        position = end;
    }
}
