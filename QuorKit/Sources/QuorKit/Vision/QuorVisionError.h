#pragma once

#include "QuorPlatform/Core/QuorError.h"

// Failures of the image analyses that are not the text recognizer's own.
class QuorVisionError : public QuorError {
public:
    static inline const QString domain = QStringLiteral("QuorVisionServices");

    // Code 1: the image gave no feature print. The text is the same in every language.
    static QuorVisionError featurePrintUnavailable();
    // Code 2: an image to compare is empty.
    static QuorVisionError emptyImage();
    // Code 3: two feature prints of different kinds cannot be compared.
    static QuorVisionError incomparableFeaturePrints();

    int code() const { return m_code; }

private:
    QuorVisionError(int code, QString english, QString turkish);

    int m_code;
};
