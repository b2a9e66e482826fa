#pragma once

#include "QuorKit/Vision/QuorOCRLine.h"

#include <QList>
#include <QString>

// The lines recognized in one image, in the order the recognizer reported them (not sorted by
// position).
struct QuorOCRResult {
    QList<QuorOCRLine> lines;

    // Every line's text, joined by single line feeds, none at the end; empty for no lines.
    QString fullText() const;

    bool operator==(const QuorOCRResult&) const = default;
};
