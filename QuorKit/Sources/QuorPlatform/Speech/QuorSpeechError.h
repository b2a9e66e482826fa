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
    // `detail` is the audio system's own (English) explanation, when it gave one.
    static SpeechError outputUnavailable(const QString& detail = {});
    static SpeechError synthesisFailed();
    // The espeak-ng library could not be loaded; `reason` is the loader's own.
    static SpeechError engineUnavailable(const QString& reason);

    Kind kind() const { return m_kind; }

private:
    SpeechError(Kind kind, QString english, QString turkish);

    Kind m_kind = Kind::synthesisFailed;
};

} // namespace quor::platform

Q_DECLARE_METATYPE(quor::platform::SpeechError)
