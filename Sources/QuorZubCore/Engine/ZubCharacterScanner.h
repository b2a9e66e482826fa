#pragma once

#include <QStringView>

#include <functional>

// Walks a text by user-perceived characters (extended grapheme clusters), the unit in which the
// engine counts and compares characters: "é" written as e + accent is one, "\r\n" is one.
// Each thread uses its own ICU iterator, so any thread may call it.
class ZubCharacterScanner {
public:
    // Calls `visit` with each character, in order; the views point into `text`. `visit` must not
    // scan another text itself.
    static void forEach(QStringView text, const std::function<void(QStringView character)>& visit);

    // The first Unicode scalar of a character (0 for an empty view); a lone surrogate is itself.
    static char32_t firstScalar(QStringView character);

    ZubCharacterScanner() = delete;
};
