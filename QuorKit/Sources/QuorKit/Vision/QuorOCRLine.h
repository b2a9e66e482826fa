#pragma once

#include <QRectF>
#include <QString>

// One recognized line of text.
struct QuorOCRLine {
    // The best reading of the line.
    QString text;
    // The line's box normalized to the image (0 to 1 on both axes), origin at the lower left.
    QRectF boundingBox;
    // How sure the recognizer is of `text`, 0 to 1.
    float confidence = 0;

    bool operator==(const QuorOCRLine&) const = default;
};
