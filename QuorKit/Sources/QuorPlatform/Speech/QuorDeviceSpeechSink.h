#pragma once

#include "QuorPlatform/Speech/QuorSpeechAudioSink.h"

#include <QString>

#include <mutex>

struct audio_object;

namespace quor::platform {

// Plays speech on the default audio device through pcaudiolib, the audio layer espeak-ng itself
// plays through (PulseAudio or PipeWire, else ALSA). A stream is opened per utterance. Writes block
// while the device's buffer is full, which paces synthesis to real time; an interrupt flushes the
// buffer from its own thread, which also releases a waiting write or finish.
class DeviceSpeechSink : public SpeechAudioSink {
public:
    // `applicationName` labels the stream in the sound server's mixer.
    explicit DeviceSpeechSink(QString applicationName);
    ~DeviceSpeechSink() override;
    DeviceSpeechSink(const DeviceSpeechSink&) = delete;
    DeviceSpeechSink& operator=(const DeviceSpeechSink&) = delete;

    void begin(int sampleRate, quint64 utterance) override;
    void write(std::span<const std::int16_t> samples) override;
    void finish() override;
    void discard() noexcept override;
    void interrupt(quint64 utterance) override;

private:
    void closeLocked() noexcept;

    QString m_applicationName;
    // Guards opening, closing and flushing, never a blocking write or drain, so an interrupt is
    // never stuck behind playback.
    std::mutex m_mutex;
    audio_object* m_audio = nullptr;
    bool m_open = false;
    quint64 m_utterance = 0;
};

} // namespace quor::platform
