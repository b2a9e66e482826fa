#include "QuorPlatform/Speech/QuorSpeechError.h"

namespace quor::platform {

SpeechError::SpeechError(Kind kind, QString english, QString turkish, QString logDetail)
    : QuorError(std::move(english), std::move(turkish), std::move(logDetail)), m_kind(kind)
{
}

SpeechError SpeechError::voiceDataMissing()
{
    return {Kind::voiceDataMissing,
            QStringLiteral("Speech is not available: the espeak-ng voice data is not installed (espeak-ng-data)."),
            QStringLiteral("Seslendirme kullanılamıyor: espeak-ng ses verileri kurulu değil (espeak-ng-data).")};
}

// The audio system's reasons are errno texts ("No such file or directory") that say nothing about
// sound: the person reads what failed and what to check, the log keeps the reason.
SpeechError SpeechError::outputUnavailable(const QString& detail)
{
    return {Kind::outputUnavailable,
            QStringLiteral("No audio output is available for speech: no sound device or sound server (PulseAudio or "
                           "PipeWire) could be opened."),
            QStringLiteral("Seslendirme için kullanılabilir bir ses çıkışı yok: hiçbir ses aygıtı veya ses sunucusu "
                           "(PulseAudio ya da PipeWire) açılamadı."),
            detail};
}

SpeechError SpeechError::outputLibraryMissing(const QString& reason)
{
    return {Kind::outputUnavailable,
            QStringLiteral("No audio output is available for speech: the audio output library could not be loaded. "
                           "Install the libpcaudio0 package."),
            QStringLiteral("Seslendirme için kullanılabilir bir ses çıkışı yok: ses çıkışı kitaplığı yüklenemedi. "
                           "libpcaudio0 paketini kurun."),
            reason};
}

SpeechError SpeechError::synthesisFailed()
{
    return {Kind::synthesisFailed, QStringLiteral("Speech synthesis failed."),
            QStringLiteral("Konuşma sentezi başarısız oldu.")};
}

SpeechError SpeechError::engineUnavailable(const QString& reason)
{
    return {Kind::engineUnavailable,
            QStringLiteral("Speech is not available: the espeak-ng library could not be loaded. Install the "
                           "libespeak-ng1 package."),
            QStringLiteral("Seslendirme kullanılamıyor: espeak-ng kitaplığı yüklenemedi. libespeak-ng1 paketini kurun."),
            reason};
}

} // namespace quor::platform
