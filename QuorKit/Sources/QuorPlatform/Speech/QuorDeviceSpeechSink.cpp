#include "QuorPlatform/Speech/QuorDeviceSpeechSink.h"

#include "QuorPlatform/Core/QuorSharedLibrary.h"
#include "QuorPlatform/Speech/QuorSpeechError.h"

#include <pcaudiolib/audio.h>

namespace quor::platform {

namespace {
// The audio output library and the sound servers' clients it links load with the first utterance.
struct AudioOutputLibrary {
    SharedLibrary library{"libpcaudio.so.0"};
    decltype(&::create_audio_device_object) create =
        library.resolve<decltype(::create_audio_device_object)>("create_audio_device_object");
    decltype(&::audio_object_destroy) destroy = library.resolve<decltype(::audio_object_destroy)>("audio_object_destroy");
    decltype(&::audio_object_open) open = library.resolve<decltype(::audio_object_open)>("audio_object_open");
    decltype(&::audio_object_close) close = library.resolve<decltype(::audio_object_close)>("audio_object_close");
    decltype(&::audio_object_write) write = library.resolve<decltype(::audio_object_write)>("audio_object_write");
    decltype(&::audio_object_drain) drain = library.resolve<decltype(::audio_object_drain)>("audio_object_drain");
    decltype(&::audio_object_flush) flush = library.resolve<decltype(::audio_object_flush)>("audio_object_flush");
    decltype(&::audio_object_strerror) strerror =
        library.resolve<decltype(::audio_object_strerror)>("audio_object_strerror");

    // Opened once for the whole process; throws when it is not installed (so never once an audio
    // object exists).
    static const AudioOutputLibrary& shared()
    {
        static const AudioOutputLibrary audio;
        if (!(audio.create && audio.destroy && audio.open && audio.close && audio.write && audio.drain && audio.flush
              && audio.strerror)) {
            throw SpeechError::outputLibraryMissing(audio.library.errorText());
        }
        return audio;
    }
};

QString describe(audio_object* audio, int error)
{
    const char* text = AudioOutputLibrary::shared().strerror(audio, error);
    return text != nullptr ? QString::fromLocal8Bit(text) : QString::number(error);
}
} // namespace

DeviceSpeechSink::DeviceSpeechSink(QString applicationName) : m_applicationName(std::move(applicationName)) {}

DeviceSpeechSink::~DeviceSpeechSink()
{
    const std::lock_guard lock(m_mutex);
    closeLocked();
    if (m_audio != nullptr) {
        AudioOutputLibrary::shared().destroy(m_audio);
    }
}

void DeviceSpeechSink::begin(int sampleRate, quint64 utterance)
{
    const std::lock_guard lock(m_mutex);
    closeLocked();
    if (m_audio == nullptr) {
        const QByteArray name = m_applicationName.toUtf8();
        m_audio = AudioOutputLibrary::shared().create(nullptr, name.constData(), "Speech");
        // Without a device pcaudiolib gives no object, and its calls on none report success.
        if (m_audio == nullptr) {
            throw SpeechError::outputUnavailable();
        }
    }
    const int error = AudioOutputLibrary::shared().open(m_audio, AUDIO_OBJECT_FORMAT_S16LE, std::uint32_t(sampleRate), 1);
    if (error != 0) {
        throw SpeechError::outputUnavailable(describe(m_audio, error));
    }
    m_open = true;
    m_utterance = utterance;
}

void DeviceSpeechSink::write(std::span<const std::int16_t> samples)
{
    const int error = AudioOutputLibrary::shared().write(m_audio, samples.data(), samples.size_bytes());
    if (error != 0) {
        throw SpeechError::outputUnavailable(describe(m_audio, error));
    }
}

void DeviceSpeechSink::finish()
{
    AudioOutputLibrary::shared().drain(m_audio);
    const std::lock_guard lock(m_mutex);
    closeLocked();
}

void DeviceSpeechSink::discard() noexcept
{
    const std::lock_guard lock(m_mutex);
    if (m_open) {
        AudioOutputLibrary::shared().flush(m_audio);
    }
    closeLocked();
}

void DeviceSpeechSink::interrupt(quint64 utterance)
{
    const std::lock_guard lock(m_mutex);
    if (m_open && m_utterance == utterance) {
        AudioOutputLibrary::shared().flush(m_audio);
    }
}

void DeviceSpeechSink::closeLocked() noexcept
{
    if (m_open) {
        AudioOutputLibrary::shared().close(m_audio);
        m_open = false;
    }
}

} // namespace quor::platform
