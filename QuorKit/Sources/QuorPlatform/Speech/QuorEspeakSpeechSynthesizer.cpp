#include "QuorPlatform/Speech/QuorEspeakSpeechSynthesizer.h"

#include "QuorPlatform/Core/QuorSharedLibrary.h"
#include "QuorPlatform/Speech/QuorDeviceSpeechSink.h"

#include <espeak-ng/speak_lib.h>

#include <QCoreApplication>

#include <atomic>
#include <exception>
#include <mutex>
#include <vector>

namespace quor::platform {

struct EspeakSpeechSynthesizer::Utterance {
    quint64 number = 0;
    QString text;
    QString languageCode;
    std::atomic<bool> stopRequested{false};
};

namespace {

// espeak-ng (and the audio stack it links) is opened on the first utterance, not at start-up: most
// sessions never speak, and every process that loads it pays a few megabytes for it.
struct EspeakEngine {
    SharedLibrary library{"libespeak-ng.so.1"};
    decltype(&::espeak_Initialize) initialize = library.resolve<decltype(::espeak_Initialize)>("espeak_Initialize");
    decltype(&::espeak_SetSynthCallback) setSynthCallback =
        library.resolve<decltype(::espeak_SetSynthCallback)>("espeak_SetSynthCallback");
    decltype(&::espeak_SetVoiceByProperties) setVoiceByProperties =
        library.resolve<decltype(::espeak_SetVoiceByProperties)>("espeak_SetVoiceByProperties");
    decltype(&::espeak_SetVoiceByName) setVoiceByName =
        library.resolve<decltype(::espeak_SetVoiceByName)>("espeak_SetVoiceByName");
    decltype(&::espeak_Synth) synth = library.resolve<decltype(::espeak_Synth)>("espeak_Synth");

    // The engine, opened once for the whole process; throws when it is not installed.
    static const EspeakEngine& shared()
    {
        static const EspeakEngine engine;
        if (!(engine.initialize && engine.setSynthCallback && engine.setVoiceByProperties && engine.setVoiceByName
              && engine.synth)) {
            throw SpeechError::engineUnavailable(engine.library.errorText());
        }
        return engine;
    }
};

// espeak-ng keeps one global state (voice, callback, buffers): every use goes through this lock.
std::mutex& espeakLock()
{
    static std::mutex lock;
    return lock;
}

// The synthesis in progress; espeak-ng hands it back to the callback as the events' user data.
struct Synthesis {
    const std::atomic<bool>* stopRequested = nullptr;
    SpeechAudioSink* output = nullptr;
    // UTF-16 index of each character espeak-ng counts (code points), plus the end.
    std::vector<qsizetype> characterStarts;
    std::function<void(qsizetype, qsizetype)> onWord;
    std::exception_ptr error;

    int receive(const short* samples, int count, const espeak_EVENT* events) noexcept
    {
        try {
            for (const espeak_EVENT* event = events; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
                if (event->type == espeakEVENT_WORD && event->length > 0) {
                    reportWord(event->text_position, event->length);
                }
            }
            if (stopRequested->load()) {
                return 1;
            }
            if (samples != nullptr && count > 0) {
                output->write(std::span<const std::int16_t>(samples, std::size_t(count)));
            }
        } catch (...) {
            error = std::current_exception();
            return 1;
        }
        return stopRequested->load() ? 1 : 0;
    }

    // espeak-ng counts characters from 1.
    void reportWord(int position, int length) const
    {
        const auto last = qsizetype(characterStarts.size()) - 1;
        const qsizetype first = std::clamp<qsizetype>(position - 1, 0, last);
        const qsizetype end = std::clamp<qsizetype>(first + length, first, last);
        onWord(characterStarts[std::size_t(first)], characterStarts[std::size_t(end)] - characterStarts[std::size_t(first)]);
    }
};

int synthesisCallback(short* samples, int count, espeak_EVENT* events)
{
    auto* synthesis = events != nullptr ? static_cast<Synthesis*>(events->user_data) : nullptr;
    return synthesis != nullptr ? synthesis->receive(samples, count, events) : 0;
}

std::vector<qsizetype> characterStarts(const QString& text)
{
    std::vector<qsizetype> starts;
    starts.reserve(std::size_t(text.size()) + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate())) {
            starts.push_back(i);
        }
    }
    starts.push_back(text.size());
    return starts;
}

// The sample rate, once espeak-ng is set up for synthesis into our callback; 0 when its data is
// missing. Called with the lock held.
int initializedSampleRate()
{
    static int sampleRate = 0;
    if (sampleRate <= 0) {
        const EspeakEngine& engine = EspeakEngine::shared();
        const int rate = engine.initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (rate > 0) {
            engine.setSynthCallback(&synthesisCallback);
            sampleRate = rate;
        }
    }
    return sampleRate;
}

// espeak-ng scores its voices against the tag itself ("en-us" picks American English, "tr-tr"
// Turkish); a tag it cannot place leaves the previous voice, so the default is chosen then.
void selectVoice(const QString& languageCode)
{
    const QByteArray tag = languageCode.trimmed().toLower().replace(QLatin1Char('_'), QLatin1Char('-')).toLatin1();
    espeak_VOICE wanted{};
    wanted.languages = tag.constData();
    const EspeakEngine& engine = EspeakEngine::shared();
    if (tag.isEmpty() || engine.setVoiceByProperties(&wanted) != EE_OK) {
        engine.setVoiceByName("en");
    }
}

} // namespace

EspeakSpeechSynthesizer::EspeakSpeechSynthesizer(std::shared_ptr<SpeechAudioSink> output, QObject* parent)
    : QObject(parent),
      m_output(output ? std::move(output) : std::make_shared<DeviceSpeechSink>(QCoreApplication::applicationName()))
{
    m_thread.setMaxThreadCount(1);
}

EspeakSpeechSynthesizer::~EspeakSpeechSynthesizer()
{
    if (const std::shared_ptr<Utterance> current = std::exchange(m_current, nullptr)) {
        current->stopRequested = true;
        m_output->interrupt(current->number);
    }
    m_thread.waitForDone();
}

quint64 EspeakSpeechSynthesizer::speak(const QString& text, const QString& languageCode)
{
    if (const std::shared_ptr<Utterance> previous = endCurrent()) {
        emit cancelled(previous->number);
    }
    auto utterance = std::make_shared<Utterance>();
    utterance->number = ++m_lastUtterance;
    utterance->text = text;
    utterance->languageCode = languageCode;
    m_current = utterance;

    m_thread.start([this, utterance, output = m_output] {
        if (utterance->stopRequested) {
            return;
        }
        const quint64 number = utterance->number;
        Synthesis synthesis;
        synthesis.stopRequested = &utterance->stopRequested;
        synthesis.output = output.get();
        synthesis.characterStarts = characterStarts(utterance->text);
        synthesis.onWord = [this, number](qsizetype position, qsizetype length) {
            QMetaObject::invokeMethod(
                this, [this, number, position, length] { deliverWord(number, position, length); },
                Qt::QueuedConnection);
        };
        std::optional<SpeechError> error;
        bool opened = false;
        try {
            std::unique_lock lock(espeakLock());
            const int sampleRate = initializedSampleRate();
            if (sampleRate <= 0) {
                throw SpeechError::voiceDataMissing();
            }
            selectVoice(utterance->languageCode);
            output->begin(sampleRate, number);
            opened = true;
            const QByteArray utf8 = utterance->text.toUtf8();
            const espeak_ERROR result = EspeakEngine::shared().synth(utf8.constData(), std::size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                                     espeakCHARS_UTF8, nullptr, &synthesis);
            lock.unlock();
            if (synthesis.error) {
                std::rethrow_exception(synthesis.error);
            }
            if (!utterance->stopRequested && result != EE_OK) {
                throw SpeechError::synthesisFailed();
            }
            if (!utterance->stopRequested) {
                output->finish();
            }
        } catch (const SpeechError& failure) {
            error = failure;
        } catch (...) {
            error = SpeechError::synthesisFailed();
        }
        if (opened && (error || utterance->stopRequested)) {
            output->discard();
        }
        QMetaObject::invokeMethod(
            this, [this, number, error] { deliverEnd(number, error); }, Qt::QueuedConnection);
    });
    return utterance->number;
}

void EspeakSpeechSynthesizer::stop()
{
    if (const std::shared_ptr<Utterance> current = endCurrent()) {
        emit cancelled(current->number);
    }
}

std::shared_ptr<EspeakSpeechSynthesizer::Utterance> EspeakSpeechSynthesizer::endCurrent()
{
    std::shared_ptr<Utterance> current = std::exchange(m_current, nullptr);
    if (current) {
        current->stopRequested = true;
        // Flushing a sound server's buffer is a round trip to it: kept off the GUI thread.
        QThreadPool::globalInstance()->start(
            [output = m_output, number = current->number] { output->interrupt(number); });
    }
    return current;
}

void EspeakSpeechSynthesizer::deliverWord(quint64 utterance, qsizetype position, qsizetype length)
{
    if (m_current && m_current->number == utterance) {
        emit wordStarted(utterance, position, length);
    }
}

void EspeakSpeechSynthesizer::deliverEnd(quint64 utterance, const std::optional<SpeechError>& error)
{
    if (!m_current || m_current->number != utterance) {
        return;
    }
    m_current.reset();
    if (error) {
        emit failed(utterance, *error);
    } else {
        emit finished(utterance);
    }
}

} // namespace quor::platform
