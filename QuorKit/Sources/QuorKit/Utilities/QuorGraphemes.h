#pragma once

#include <QString>

// Lengths, prefixes and suffixes in user-perceived characters (extended grapheme clusters), the
// way people count: "é" written as e + combining accent is one, a family emoji is one.
namespace QuorGraphemes {
qsizetype count(const QString& text);
QString prefix(const QString& text, qsizetype graphemes);
QString suffix(const QString& text, qsizetype graphemes);
QString dropFirst(const QString& text, qsizetype graphemes);
QString dropLast(const QString& text, qsizetype graphemes);
// The first user-perceived character (empty for empty text).
QString first(const QString& text);
} // namespace QuorGraphemes
