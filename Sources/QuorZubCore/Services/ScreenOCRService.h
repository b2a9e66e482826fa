#pragma once

#include "QuorKit/Vision/QuorOCRResult.h"
#include "QuorZubCore/Services/ScreenOCRError.h"
#include "QuorZubCore/Services/ScreenOCRResult.h"

#include <QImage>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

// What a screen capture runs: the interactive region tool and the recognizer.
struct ScreenOCRTools {
    using Recognizer = std::function<QuorOCRResult(const QImage& image, const QStringList& languages, bool accurate)>;

    // The capture program, given the output path as its last argument; it exits with 0 once the
    // region is saved there, with anything else when the user gave up. None: maim, found by the tool
    // locator.
    std::optional<QString> captureExecutable;
    QStringList captureArguments;
    // Reads the captured picture; runs on a worker thread.
    Recognizer recognize;

    // maim -s (a dragged rectangle only; Escape cancels; no pointer in the picture) and Tesseract.
    static ScreenOCRTools standard();
};

// Lets the user drag a rectangle anywhere on the screen and reads the text in it.
namespace ScreenOCRService {

// Runs the capture tool into a fresh temporary PNG ("quorzub-ocr-" + UUID + ".png" in the temporary
// folder), recognizes it with `languages` (passed on unchanged) at the accurate level, and returns
// the trimmed text. The capture process is awaited without blocking the caller's thread and the
// picture is read on a worker thread. Throws ScreenOCRError::cancelled when the tool exits non-zero
// or leaves no or an empty file, imageLoadFailed when the picture cannot be decoded and
// noTextRecognized when nothing readable is left; QuorProcessError::binaryNotFound when maim is not
// installed, and the process runner's and recognizer's errors unchanged. The temporary file never
// outlives the call.
QCoro::Task<ScreenOCRResult> captureAndRecognizeText(QStringList languages);
QCoro::Task<ScreenOCRResult> captureAndRecognizeText(QStringList languages, ScreenOCRTools tools);

} // namespace ScreenOCRService
