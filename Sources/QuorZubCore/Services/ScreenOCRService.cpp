#include "QuorZubCore/Services/ScreenOCRService.h"

#include "QuorKit/System/QuorBinaryLocator.h"
#include "QuorKit/System/QuorProcessRunner.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Vision/QuorVisionServices.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <cmath>
#include <exception>
#include <memory>

namespace {

// Deletes the capture file on every way out of the operation.
struct RecognitionOutcome {
    std::optional<QuorOCRResult> result; // none when the picture could not be decoded
    std::exception_ptr error;
};

RecognitionOutcome readAndRecognize(const QString& path, const QStringList& languages,
                                    const ScreenOCRTools::Recognizer& recognize)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    try {
        return {recognize(image, languages, true), nullptr};
    } catch (...) {
        return {std::nullopt, std::current_exception()};
    }
}

// The picture shows whatever was on the screen, so it goes into a folder only this user can open
// (QTemporaryDir makes it 0700) and leaves with that folder.
std::unique_ptr<QTemporaryDir> privateCaptureFolder()
{
    auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quorzub-ocr-XXXXXX"));
    if (!folder->isValid()) {
        throw ScreenOCRError(ScreenOCRError::Kind::imageLoadFailed);
    }
    return folder;
}

QString captureFilePath(const QTemporaryDir& folder)
{
    return folder.filePath(QStringLiteral("quorzub-ocr-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
                           + QStringLiteral(".png"));
}

// Built outside the coroutine: g++ 12 rejects string literal macros inside coroutine bodies.
QString captureExecutable(const ScreenOCRTools& tools)
{
    if (tools.captureExecutable) {
        return *tools.captureExecutable;
    }
    const QString maim = QStringLiteral("maim");
    const std::optional<QString> path = QuorBinaryLocator::locate(maim, QuorBundle::main(), {});
    if (!path) {
        throw QuorProcessError::binaryNotFound(maim);
    }
    return *path;
}

} // namespace

ScreenOCRTools ScreenOCRTools::standard()
{
    return {std::nullopt,
            {QStringLiteral("--select"), QStringLiteral("--tolerance=0"), QStringLiteral("--hidecursor"),
             QStringLiteral("--quiet"), QStringLiteral("--format=png")},
            &QuorVisionServices::recognizeText};
}

namespace ScreenOCRService {

QCoro::Task<ScreenOCRResult> captureAndRecognizeText(QStringList languages)
{
    co_return co_await captureAndRecognizeText(std::move(languages), ScreenOCRTools::standard());
}

QCoro::Task<ScreenOCRResult> captureAndRecognizeText(QStringList languages, ScreenOCRTools tools)
{
    QElapsedTimer clock;
    clock.start();
    const QString executable = captureExecutable(tools);
    if (!tools.recognize) {
        tools.recognize = &QuorVisionServices::recognizeText;
    }

    const std::unique_ptr<QTemporaryDir> folder = privateCaptureFolder();
    const QString path = captureFilePath(*folder);
    const QuorProcessResult capture = co_await QuorProcessRunner::run(executable, tools.captureArguments << path);
    // maim exits with 1 on Escape and may leave an empty file behind.
    const QFileInfo file(path);
    if (capture.exitCode != 0 || !file.isFile() || file.size() == 0) {
        throw ScreenOCRError(ScreenOCRError::Kind::cancelled);
    }

    const RecognitionOutcome outcome = co_await QtConcurrent::run(&readAndRecognize, path, languages, tools.recognize);
    if (outcome.error) {
        std::rethrow_exception(outcome.error);
    }
    if (!outcome.result) {
        throw ScreenOCRError(ScreenOCRError::Kind::imageLoadFailed);
    }
    const QString text = outcome.result->fullText().trimmed();
    if (text.isEmpty()) {
        throw ScreenOCRError(ScreenOCRError::Kind::noTextRecognized);
    }
    const qint64 elapsedMs = std::llround(double(clock.nsecsElapsed()) / 1e6);
    co_return ScreenOCRResult{text, int(outcome.result->lines.size()), std::max<qint64>(1, elapsedMs)};
}

} // namespace ScreenOCRService
