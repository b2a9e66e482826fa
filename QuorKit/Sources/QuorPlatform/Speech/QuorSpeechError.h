#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QMetaType>

namespace quor::platform {

// Why an utterance could not be spoken.
class SpeechError : public QuorError {
public:
    enum class Kind { voiceDataMissing, outputUnavailable, synthesisFailed, engineUnavailable };

    SpeechError() = default;

    static SpeechError voiceDataMissing();
    // No sound device or sound server could be opened or written to. `detail` is the audio system's
    // own (English, often a bare errno text): it goes to the log only.
    static SpeechError outputUnavailable(const QString& detail = {});
    // The audio output library itself could not be loaded; `reason` is the loader's own (log only).
    static SpeechError outputLibraryMissing(const QString& reason);
    static SpeechError synthesisFailed();
    // The espeak-ng library could not be loaded; `reason` is the loader's own (log only).
    static SpeechError engineUnavailable(const QString& reason);

    Kind kind() const { return m_kind; }

private:
    SpeechError(Kind kind, QString english, QString turkish, QString logDetail = {});

    Kind m_kind = Kind::synthesisFailed;
};

} // namespace quor::platform

Q_DECLARE_METATYPE(quor::platform::SpeechError)
