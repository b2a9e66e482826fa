#include "QuorKit/Vision/QuorVisionServices.h"

#include "QuorKit/Vision/QuorImageRegistration.h"
#include "QuorKit/Vision/QuorVisionError.h"
#include "QuorPlatform/Ocr/QuorTesseractTextRecognizer.h"

#include <array>
#include <exception>
#include <utility>

namespace {

// Tesseract boxes are in pixels from the top left; ours are normalized from the bottom left.
QRectF normalizedBox(const QRectF& box, const QSize& size)
{
    const double width = size.width();
    const double height = size.height();
    return {box.x() / width, 1.0 - (box.y() + box.height()) / height, box.width() / width, box.height() / height};
}

QuorOCRResult tesseractAttempt(const QImage& image, const QStringList& languages, QuorRecognitionLevel level)
{
    const quor::platform::TesseractTextRecognizer recognizer;
    const auto platformLevel = level == QuorRecognitionLevel::accurate ? quor::platform::TextRecognitionLevel::accurate
                                                                       : quor::platform::TextRecognitionLevel::fast;
    QuorOCRResult result;
    for (const auto& line : recognizer.recognize(image, languages, platformLevel)) {
        result.lines.append({line.text, normalizedBox(line.box, image.size()), line.confidence});
    }
    return result;
}

} // namespace

namespace QuorVisionServices {

QuorOCRResult recognizeText(const QImage& image, const QStringList& languages, bool accurate)
{
    return recognizeWithRetries(accurate, [&image, &languages](QuorRecognitionLevel level, bool) {
        return tesseractAttempt(image, languages, level);
    });
}

QuorOCRResult recognizeWithRetries(bool accurate, const RecognitionAttempt& attempt)
{
    const QuorRecognitionLevel requested = accurate ? QuorRecognitionLevel::accurate : QuorRecognitionLevel::fast;
    const std::array<std::pair<QuorRecognitionLevel, bool>, 3> ladder{{
        {requested, false},
        {requested, true},
        {QuorRecognitionLevel::fast, true},
    }};
    std::exception_ptr lastError;
    for (const auto& [level, cpuOnly] : ladder) {
        try {
            return attempt(level, cpuOnly);
        } catch (...) {
            lastError = std::current_exception();
        }
    }
    std::rethrow_exception(lastError);
}

QuorImageFeaturePrint featurePrint(const QImage& image)
{
    std::optional<QuorImageFeaturePrint> print = QuorImageFeaturePrint::of(image);
    if (!print) {
        throw QuorVisionError::featurePrintUnavailable();
    }
    return std::move(*print);
}

QuorImageOffset translationalOffset(const QImage& from, const QImage& to)
{
    if (from.isNull() || to.isNull()) {
        throw QuorVisionError::emptyImage();
    }
    const std::optional<QPointF> shift = QuorImageRegistration::contentShift(from, to);
    if (!shift) {
        return {};
    }
    // Moving `to` back by its shift lays it over `from`; y turns upwards.
    return {-shift->x(), shift->y()};
}

} // namespace QuorVisionServices
