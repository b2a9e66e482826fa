#include "QuorPlatform/Speech/QuorSpeechError.h"

namespace quor::platform {

SpeechError::SpeechError(Kind kind, QString english, QString turkish)
    : QuorError(std::move(english), std::move(turkish)), m_kind(kind)
{
}

SpeechError SpeechError::voiceDataMissing()
{
    return {Kind::voiceDataMissing,
            QStringLiteral("Speech is not available: the espeak-ng voice data is not installed (espeak-ng-data)."),
            QStringLiteral("Seslendirme kullanılamıyor: espeak-ng ses verileri kurulu değil (espeak-ng-data).")};
}

SpeechError SpeechError::outputUnavailable(const QString& detail)
{
    const QString suffix = detail.isEmpty() ? QString() : QStringLiteral(" (") + detail + QStringLiteral(")");
    return {Kind::outputUnavailable, QStringLiteral("No audio output is available for speech") + suffix + QLatin1Char('.'),
            QStringLiteral("Seslendirme için kullanılabilir bir ses çıkışı yok") + suffix + QLatin1Char('.')};
}

SpeechError SpeechError::synthesisFailed()
{
    return {Kind::synthesisFailed, QStringLiteral("Speech synthesis failed."),
            QStringLiteral("Konuşma sentezi başarısız oldu.")};
}

SpeechError SpeechError::engineUnavailable(const QString& reason)
{
    return {Kind::engineUnavailable,
            QStringLiteral("Speech is not available: the espeak-ng library could not be loaded (") + reason +
                QStringLiteral("). Install the libespeak-ng1 package."),
            QStringLiteral("Seslendirme kullanılamıyor: espeak-ng kitaplığı yüklenemedi (") + reason +
                QStringLiteral("). libespeak-ng1 paketini kurun.")};
}

} // namespace quor::platform
