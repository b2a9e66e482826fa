#pragma once

#include <QString>
#include <QStringView>

// Lengths, prefixes and suffixes in user-perceived characters (extended grapheme clusters), the
// way people count: "é" written as e + combining accent is one, a family emoji is one.
// QuorGraphemeBoundaries does the splitting; these are its everyday uses.
namespace QuorGraphemes {
qsizetype count(const QString& text);
QString prefix(const QString& text, qsizetype graphemes);
QString suffix(const QString& text, qsizetype graphemes);
QString dropFirst(const QString& text, qsizetype graphemes);
QString dropLast(const QString& text, qsizetype graphemes);
// The first user-perceived character (empty for empty text).
QString first(const QString& text);
// The first Unicode scalar of a character (0 for an empty view); a lone surrogate is itself.
char32_t firstScalar(QStringView character);
} // namespace QuorGraphemes
