#pragma once

#include <QString>

#include <QtGlobal>

// The text read from a captured screen region.
struct ScreenOCRResult {
    // Trimmed of white space and line breaks at both ends; never empty.
    QString text;
    // How many lines the recognizer found.
    int lineCount = 0;
    // Whole milliseconds from the start of the capture to the end of recognition, at least 1.
    qint64 durationMs = 1;

    bool operator==(const ScreenOCRResult&) const = default;
};
