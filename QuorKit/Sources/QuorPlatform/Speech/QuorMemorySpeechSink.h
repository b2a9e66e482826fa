#pragma once

#include "QuorPlatform/Speech/QuorSpeechAudioSink.h"

#include <mutex>
#include <vector>

namespace quor::platform {

// Keeps the last utterance's samples in memory instead of playing them: speech without a sound card,
// for tests and for saving.
class MemorySpeechSink : public SpeechAudioSink {
public:
    struct Recording {
        quint64 utterance = 0;
        int sampleRate = 0;
        std::vector<std::int16_t> samples;
        bool complete = false; // finished, rather than discarded or still being written
    };

    // A copy of what the last utterance left; any thread.
    Recording recording() const;

    void begin(int sampleRate, quint64 utterance) override;
    void write(std::span<const std::int16_t> samples) override;
    void finish() override;
    void discard() noexcept override;
    void interrupt(quint64 utterance) override;

private:
    mutable std::mutex m_mutex;
    Recording m_recording;
};

} // namespace quor::platform
