#pragma once

#include "QuorKit/Utilities/QuorGraphemeBoundaries.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// A translation template: a source text such as "Deleted {0} items" whose placeholders capture the
// varying parts of an English text, and a target text into which the captures are put.
class CompiledTemplate {
public:
    // Nothing when the source has no placeholder or fewer than 2 characters of fixed text.
    static std::optional<CompiledTemplate> compile(const QString& source, const QString& target);

    // The translation of `text` when it has the source's shape; `boundaries` are the text's own.
    std::optional<QString> apply(const QString& text, const QuorGraphemeBoundaries& boundaries) const;
    std::optional<QString> apply(const QString& text) const { return apply(text, QuorGraphemeBoundaries(text)); }

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
