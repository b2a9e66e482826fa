#pragma once

#include "QuorKit/Vision/QuorImageFeaturePrint.h"
#include "QuorKit/Vision/QuorOCRResult.h"

#include <QImage>
#include <QStringList>

#include <functional>

enum class QuorRecognitionLevel { fast, accurate };

// A translation in pixels: x to the right, y upwards.
struct QuorImageOffset {
    double dx = 0;
    double dy = 0;

    bool operator==(const QuorImageOffset&) const = default;
};

// Image analyses: text recognition (Tesseract), feature prints and translational registration (our
// own code). Every operation blocks its thread while it works and holds no state, so any thread may
// call them; the GUI thread never does (recognition takes a tenth of a second to a few seconds).
namespace QuorVisionServices {

// The lines of text in `image`. `languages` are language tags in order of preference ("tr-TR",
// "en-US", ...); those whose recognition data is not installed are skipped, and English stands in
// when none is left. `accurate` reads the image once per language and keeps, line by line, the
// reading the engine was surest of; fast reads once, in the first language. Recognition runs the
// retry ladder below; throws the last attempt's error (a QuorError) when every attempt fails.
// An image without text is a result with no lines, not an error.
QuorOCRResult recognizeText(const QImage& image, const QStringList& languages, bool accurate);

// One recognition attempt. `cpuOnly` asks for the processor rather than an accelerator; Tesseract
// always runs on the processor, so for it the second attempt repeats the first.
using RecognitionAttempt = std::function<QuorOCRResult(QuorRecognitionLevel level, bool cpuOnly)>;

// Runs `attempt` until one succeeds: the requested level (accurate or fast), then the same level on
// the processor only, then fast on the processor only. The first result that comes back is returned,
// even one without lines; when all three throw, the third one's error is rethrown.
QuorOCRResult recognizeWithRetries(bool accurate, const RecognitionAttempt& attempt);

// The feature print of `image`. Throws QuorVisionError::featurePrintUnavailable() (domain
// "QuorVisionServices", code 1) when the image yields none (it is empty).
QuorImageFeaturePrint featurePrint(const QImage& image);

// The translation that lays `to`'s content over `from`'s. (0, 0) when the pictures have no
// structure to align. Throws QuorVisionError::emptyImage() when either image is empty.
QuorImageOffset translationalOffset(const QImage& from, const QImage& to);

} // namespace QuorVisionServices
