#include "QuorPlatform/Speech/QuorMemorySpeechSink.h"

namespace quor::platform {

MemorySpeechSink::Recording MemorySpeechSink::recording() const
{
    const std::lock_guard lock(m_mutex);
    return m_recording;
}

void MemorySpeechSink::begin(int sampleRate, quint64 utterance)
{
    const std::lock_guard lock(m_mutex);
    m_recording = Recording{utterance, sampleRate, {}, false};
}

void MemorySpeechSink::write(std::span<const std::int16_t> samples)
{
    const std::lock_guard lock(m_mutex);
    m_recording.samples.insert(m_recording.samples.end(), samples.begin(), samples.end());
}

void MemorySpeechSink::finish()
{
    const std::lock_guard lock(m_mutex);
    m_recording.complete = true;
}

void MemorySpeechSink::discard() noexcept
{
    const std::lock_guard lock(m_mutex);
    m_recording.complete = false;
}

void MemorySpeechSink::interrupt(quint64) {}

} // namespace quor::platform
