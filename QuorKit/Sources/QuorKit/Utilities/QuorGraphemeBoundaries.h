#pragma once

#include <QStringView>

#include <functional>
#include <vector>

// Where the user-perceived characters (extended grapheme clusters) of a text begin and end: "é"
// written as e + combining accent is one, a family emoji is one, CR LF is one. Built once, a text
// can be measured and cut by characters many times over.
//
// Two characters below U+0300 always have a boundary between them (CR LF aside), so such runs need
// no break iterator; a text made only of them stores no offsets at all. Everything else goes
// through ICU's character break iterator, of which each thread keeps one.
class QuorGraphemeBoundaries {
public:
    explicit QuorGraphemeBoundaries(QStringView text);

    qsizetype count() const { return m_offsets.empty() ? m_size : static_cast<qsizetype>(m_offsets.size()) - 1; }
    // Code-unit offset where character `index` begins (count() gives the text's size).
    qsizetype offset(qsizetype index) const
    {
        return m_offsets.empty() ? index : m_offsets[static_cast<std::size_t>(index)];
    }
    bool isBoundary(qsizetype codeUnitOffset) const;

    // Calls `visit` with each character of `text`, in order, without storing the boundaries; the
    // views point into `text`. `visit` may itself measure other texts.
    static void forEach(QStringView text, const std::function<void(QStringView character)>& visit);

private:
    qsizetype m_size = 0;
    // Every boundary, 0 and the size included; empty when every code unit is a character.
    std::vector<qsizetype> m_offsets;
};
