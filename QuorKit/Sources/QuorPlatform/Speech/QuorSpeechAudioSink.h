#pragma once

#include <QtGlobal>

#include <cstdint>
#include <span>

namespace quor::platform {

// Where synthesized speech goes: 16-bit mono samples. One utterance at a time: the synthesis thread
// calls begin, write as often as needed, then finish when the utterance ran to its end or discard
// when it was stopped or failed. interrupt may come from any other thread at any moment.
class SpeechAudioSink {
public:
    virtual ~SpeechAudioSink() = default;

    // Opens the output for `utterance` at `sampleRate`. Throws SpeechError when it cannot.
    virtual void begin(int sampleRate, quint64 utterance) = 0;
    // May block while the output catches up (real-time playback). Throws SpeechError.
    virtual void write(std::span<const std::int16_t> samples) = 0;
    // Returns once everything written has been heard (or interrupt cut it short), and closes.
    virtual void finish() = 0;
    // Drops what has not been heard yet and closes. Never throws.
    virtual void discard() noexcept = 0;
    // Makes a blocked write or finish of `utterance` return soon; nothing when another utterance (or
    // none) is open.
    virtual void interrupt(quint64 utterance) = 0;
};

} // namespace quor::platform
