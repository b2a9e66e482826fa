#pragma once

#include "QuorPlatform/Speech/QuorSpeechAudioSink.h"
#include "QuorPlatform/Speech/QuorSpeechError.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <memory>

namespace quor::platform {

// Speaks text with espeak-ng, one utterance at a time, at espeak-ng's default rate. Lives on the GUI
// thread: speak and stop return at once and every signal arrives there, while synthesis and playback
// run on the synthesizer's own thread.
//
// Every utterance ends with exactly one of finished, cancelled or failed. cancelled is emitted before
// stop() (or the speak() that replaces the utterance) returns, so an owner that clears its "speaking"
// state on it never has that cleared again by a late report of the old utterance; nothing of an
// utterance is reported after it ended.
class EspeakSpeechSynthesizer : public QObject {
    Q_OBJECT
public:
    // Speech goes to `output`; by default to the system's audio device.
    explicit EspeakSpeechSynthesizer(std::shared_ptr<SpeechAudioSink> output = {}, QObject* parent = nullptr);
    // Stops what is being spoken and waits for the synthesis thread to let go of the output.
    ~EspeakSpeechSynthesizer() override;

    // Stops the current utterance, if any (reported as cancelled), and starts speaking `text` in
    // the voice for `languageCode`: a language tag such as "tr-TR", "en-US", "de" or "zh-Hans",
    // matched by espeak-ng (the region picks a variant where one exists, as "en-US" does); a language
    // espeak-ng has no voice for is spoken by the default English voice. The text is plain: markup
    // is read out, never interpreted. Returns the utterance's number, which the signals carry.
    quint64 speak(const QString& text, const QString& languageCode);

    // Stops at once: the current utterance is reported as cancelled before this returns. Nothing
    // when idle.
    void stop();

    bool isSpeaking() const { return m_current != nullptr; }

signals:
    // A word is about to be heard: `length` UTF-16 units of the utterance's text from `position`.
    void wordStarted(quint64 utterance, qsizetype position, qsizetype length);
    // The utterance was spoken to its end.
    void finished(quint64 utterance);
    // stop() or a later speak() ended the utterance.
    void cancelled(quint64 utterance);
    // The utterance could not be spoken (no voice data, no audio output).
    void failed(quint64 utterance, const quor::platform::SpeechError& error);

private:
    struct Utterance;

    void deliverWord(quint64 utterance, qsizetype position, qsizetype length);
    void deliverEnd(quint64 utterance, const std::optional<SpeechError>& error);
    std::shared_ptr<Utterance> endCurrent();

    std::shared_ptr<SpeechAudioSink> m_output;
    std::shared_ptr<Utterance> m_current;
    quint64 m_lastUtterance = 0;
    // One thread: utterances are synthesized in order, a stopped one winding down before the next.
    QThreadPool m_thread;
};

} // namespace quor::platform
