#include "QuorPlatform/Speech/QuorDeviceSpeechSink.h"

#include "QuorPlatform/Speech/QuorSpeechError.h"

#include <pcaudiolib/audio.h>

namespace quor::platform {

namespace {
QString describe(audio_object* audio, int error)
{
    const char* text = audio_object_strerror(audio, error);
    return text != nullptr ? QString::fromLocal8Bit(text) : QString::number(error);
}
} // namespace

DeviceSpeechSink::DeviceSpeechSink(QString applicationName) : m_applicationName(std::move(applicationName)) {}

DeviceSpeechSink::~DeviceSpeechSink()
{
    const std::lock_guard lock(m_mutex);
    closeLocked();
    if (m_audio != nullptr) {
        audio_object_destroy(m_audio);
    }
}

void DeviceSpeechSink::begin(int sampleRate, quint64 utterance)
{
    const std::lock_guard lock(m_mutex);
    closeLocked();
    if (m_audio == nullptr) {
        const QByteArray name = m_applicationName.toUtf8();
        m_audio = create_audio_device_object(nullptr, name.constData(), "Speech");
        // Without a device pcaudiolib gives no object, and its calls on none report success.
        if (m_audio == nullptr) {
            throw SpeechError::outputUnavailable();
        }
    }
    const int error = audio_object_open(m_audio, AUDIO_OBJECT_FORMAT_S16LE, std::uint32_t(sampleRate), 1);
    if (error != 0) {
        throw SpeechError::outputUnavailable(describe(m_audio, error));
    }
    m_open = true;
    m_utterance = utterance;
}

void DeviceSpeechSink::write(std::span<const std::int16_t> samples)
{
    const int error = audio_object_write(m_audio, samples.data(), samples.size_bytes());
    if (error != 0) {
        throw SpeechError::outputUnavailable(describe(m_audio, error));
    }
}

void DeviceSpeechSink::finish()
{
    audio_object_drain(m_audio);
    const std::lock_guard lock(m_mutex);
    closeLocked();
}

void DeviceSpeechSink::discard() noexcept
{
    const std::lock_guard lock(m_mutex);
    if (m_open) {
        audio_object_flush(m_audio);
    }
    closeLocked();
}

void DeviceSpeechSink::interrupt(quint64 utterance)
{
    const std::lock_guard lock(m_mutex);
    if (m_open && m_utterance == utterance) {
        audio_object_flush(m_audio);
    }
}

void DeviceSpeechSink::closeLocked() noexcept
{
    if (m_open) {
        audio_object_close(m_audio);
        m_open = false;
    }
}

} // namespace quor::platform
