#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// Where the user-perceived characters (extended grapheme clusters) of one text begin and end, so a
// text can be measured and cut by characters many times over. Text made only of characters below
// U+0300 (CR LF aside) has one character per code unit and needs no break iterator.
class GraphemeBoundaries {
public:
    explicit GraphemeBoundaries(QStringView text);

    qsizetype count() const { return m_offsets.empty() ? m_size : static_cast<qsizetype>(m_offsets.size()) - 1; }
    // Code-unit offset where character `index` begins (count() gives the text's size).
    qsizetype offset(qsizetype index) const
    {
        return m_offsets.empty() ? index : m_offsets[static_cast<std::size_t>(index)];
    }
    bool isBoundary(qsizetype codeUnitOffset) const;

private:
    qsizetype m_size = 0;
    // Every boundary, 0 and the size included; empty when every code unit is a character.
    std::vector<qsizetype> m_offsets;
};

// A translation template: a source text such as "Deleted {0} items" whose placeholders capture the
// varying parts of an English text, and a target text into which the captures are put.
class CompiledTemplate {
public:
    // Nothing when the source has no placeholder or fewer than 2 characters of fixed text.
    static std::optional<CompiledTemplate> compile(const QString& source, const QString& target);

    // The translation of `text` when it has the source's shape; `boundaries` are the text's own.
    std::optional<QString> apply(const QString& text, const GraphemeBoundaries& boundaries) const;
    std::optional<QString> apply(const QString& text) const { return apply(text, GraphemeBoundaries(text)); }

    // The fixed texts around the placeholders: placeholderCount() + 1 entries, any may be empty.
    const QStringList& sourceLiterals() const { return m_sourceLiterals; }
    int placeholderCount() const { return m_placeholderCount; }
    const QString& targetTemplate() const { return m_targetTemplate; }
    // The characters of fixed text: how specific the template is, and the shortest text it fits.
    qsizetype literalWeight() const { return m_literalWeight; }
    qsizetype firstLiteralLength() const { return m_firstLiteralLength; }
    qsizetype lastLiteralLength() const { return m_lastLiteralLength; }

private:
    // The target cut at its placeholders: text pieces, or (index >= 0) the capture of a placeholder.
    struct TargetPiece {
        QString text;
        int capture = -1;
    };

    CompiledTemplate() = default;
    QString substitute(const QList<QStringView>& captures) const;

    QStringList m_sourceLiterals;
    int m_placeholderCount = 0;
    QString m_targetTemplate;
    qsizetype m_literalWeight = 0;
    qsizetype m_firstLiteralLength = 0;
    qsizetype m_lastLiteralLength = 0;
    std::vector<TargetPiece> m_target;
};
