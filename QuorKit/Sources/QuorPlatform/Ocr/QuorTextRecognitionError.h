#pragma once

#include "QuorPlatform/Core/QuorError.h"

namespace quor::platform {

// Why text recognition could not run.
class TextRecognitionError : public QuorError {
public:
    enum class Kind { invalidImage, noLanguageData, engineFailed, engineUnavailable };

    static TextRecognitionError invalidImage();
    // No recognition data is installed at all in `directory`.
    static TextRecognitionError noLanguageData(const QString& directory);
    // The engine refused to start with `languages`, or failed while reading the image.
    static TextRecognitionError engineFailed(const QString& languages);
    // The engine's library could not be loaded; `reason` is the loader's own.
    static TextRecognitionError engineUnavailable(const QString& reason);

    Kind kind() const { return m_kind; }

private:
    TextRecognitionError(Kind kind, QString english, QString turkish);

    Kind m_kind;
};

} // namespace quor::platform
