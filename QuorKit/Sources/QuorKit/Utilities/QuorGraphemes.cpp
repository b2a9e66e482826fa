#include "QuorKit/Utilities/QuorGraphemes.h"

#include "QuorKit/Utilities/QuorGraphemeBoundaries.h"

#include <algorithm>

namespace QuorGraphemes {

qsizetype count(const QString& text)
{
    return QuorGraphemeBoundaries(text).count();
}

QString prefix(const QString& text, qsizetype graphemes)
{
    if (graphemes <= 0) {
        return {};
    }
    // Only as much of the start is measured as the characters need, so a short preview of a huge
    // text costs what the preview costs. Whether a boundary falls between two characters depends
    // on what precedes it and on the next code point only: once a measured start holds two more
    // characters than asked for, the first ones are the text's own, cut or no cut behind them.
    for (qsizetype window = std::max<qsizetype>(graphemes * 4, 64); window < text.size(); window *= 2) {
        const QuorGraphemeBoundaries bounds(QStringView(text).left(window));
        if (bounds.count() >= graphemes + 2) {
            return text.left(bounds.offset(graphemes));
        }
    }
    const QuorGraphemeBoundaries bounds(text);
    return graphemes >= bounds.count() ? text : text.left(bounds.offset(graphemes));
}

QString suffix(const QString& text, qsizetype graphemes)
{
    if (graphemes <= 0) {
        return {};
    }
    const QuorGraphemeBoundaries bounds(text);
    const qsizetype total = bounds.count();
    return graphemes >= total ? text : text.mid(bounds.offset(total - graphemes));
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

char32_t firstScalar(QStringView character)
{
    if (character.isEmpty()) {
        return 0;
    }
    if (character.size() > 1 && character[0].isHighSurrogate() && character[1].isLowSurrogate()) {
        return QChar::surrogateToUcs4(character[0], character[1]);
    }
    return character[0].unicode();
}

} // namespace QuorGraphemes
