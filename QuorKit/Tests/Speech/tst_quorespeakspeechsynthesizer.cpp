#include "Support/QuorTestSupport.h"

#include "QuorPlatform/Speech/QuorEspeakSpeechSynthesizer.h"
#include "QuorPlatform/Speech/QuorMemorySpeechSink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

using quor::platform::EspeakSpeechSynthesizer;
using quor::platform::MemorySpeechSink;
using quor::platform::SpeechError;

namespace {

// Takes as long as a sound card to "play" each write, so that speech can be stopped halfway.
class RealTimeMemorySink : public MemorySpeechSink {
public:
    void begin(int sampleRate, quint64 utterance) override
    {
        MemorySpeechSink::begin(sampleRate, utterance);
        const std::lock_guard lock(m_mutex);
        m_sampleRate = sampleRate;
        m_utterance = utterance;
        m_interrupted = false;
    }

    void write(std::span<const std::int16_t> samples) override
    {
        MemorySpeechSink::write(samples);
        std::unique_lock lock(m_mutex);
        const auto lasts = std::chrono::microseconds(qint64(samples.size()) * 1'000'000 / std::max(1, m_sampleRate));
        m_changed.wait_for(lock, lasts, [this] { return m_interrupted; });
    }

    void discard() noexcept override
    {
        MemorySpeechSink::discard();
        discards += 1;
    }

    void interrupt(quint64 utterance) override
    {
        const std::lock_guard lock(m_mutex);
        if (utterance == m_utterance) {
            m_interrupted = true;
            m_changed.notify_all();
        }
    }

    std::atomic<int> discards{0};

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_sampleRate = 22050;
    quint64 m_utterance = 0;
    bool m_interrupted = false;
};

// Everything a synthesizer reported, with the words cut out of the spoken text.
struct Reports {
    QStringList words;
    QList<quint64> wordUtterances;
    QList<quint64> finished;
    QList<quint64> cancelled;
    QList<std::pair<quint64, SpeechError::Kind>> failed;

    Reports(EspeakSpeechSynthesizer& synthesizer, const QString& text)
    {
        QObject::connect(&synthesizer, &EspeakSpeechSynthesizer::wordStarted, &synthesizer,
                         [this, text](quint64 utterance, qsizetype position, qsizetype length) {
                             words << text.mid(position, length);
                             wordUtterances << utterance;
                         });
        QObject::connect(&synthesizer, &EspeakSpeechSynthesizer::finished, &synthesizer,
                         [this](quint64 utterance) { finished << utterance; });
        QObject::connect(&synthesizer, &EspeakSpeechSynthesizer::cancelled, &synthesizer,
                         [this](quint64 utterance) { cancelled << utterance; });
        QObject::connect(&synthesizer, &EspeakSpeechSynthesizer::failed, &synthesizer,
                         [this](quint64 utterance, const SpeechError& error) { failed << std::make_pair(utterance, error.kind()); });
    }

    int ended() const { return int(finished.size() + cancelled.size() + failed.size()); }
};

const QString longText = QStringLiteral(
    "This sentence is long enough to be stopped halfway. It goes on about nothing in particular, "
    "with many words after many other words, so that speaking it takes well over ten seconds at "
    "the normal rate. Nobody needs to hear the end of it, and the test makes sure nobody does.");

MemorySpeechSink::Recording speakToMemory(const QString& text, const QString& language, QStringList* words = nullptr)
{
    auto sink = std::make_shared<MemorySpeechSink>();
    EspeakSpeechSynthesizer synthesizer(sink);
    Reports reports(synthesizer, text);
    const quint64 utterance = synthesizer.speak(text, language);
    if (!QTest::qWaitFor([&reports] { return reports.ended() == 1; }, 20000) ||
        reports.finished != QList<quint64>{utterance}) {
        qWarning() << "speech did not finish" << reports.failed.size() << reports.cancelled.size();
        return {};
    }
    if (words != nullptr) {
        *words = reports.words;
    }
    return sink->recording();
}

bool hasSound(const std::vector<std::int16_t>& samples)
{
    return std::any_of(samples.begin(), samples.end(), [](std::int16_t sample) { return std::abs(sample) > 1000; });
}

} // namespace

class TestQuorEspeakSpeechSynthesizer : public QObject {
    Q_OBJECT
private slots:
    void speaksEnglishWithWordPositions()
    {
        QStringList words;
        const auto recording = speakToMemory(QStringLiteral("Hello world, this is a test."), QStringLiteral("en-US"), &words);
        QCOMPARE(recording.sampleRate, 22050);
        QVERIFY(recording.complete);
        QVERIFY2(recording.samples.size() > 22050, "less than a second of speech");
        QVERIFY(hasSound(recording.samples));
        QCOMPARE(words, (QStringList{"Hello", "world", "this", "is", "a", "test"}));
    }

    void speaksTurkishInTheTurkishVoice()
    {
        const QString text = QStringLiteral("Işık, İstanbul'da güzel bir gün.");
        QStringList words;
        const auto turkish = speakToMemory(text, QStringLiteral("tr-TR"), &words);
        QVERIFY(turkish.complete);
        QVERIFY(hasSound(turkish.samples));
        QVERIFY2(words.size() >= 5, qPrintable(words.join(QLatin1Char('|'))));
        QCOMPARE(words.first(), QStringLiteral("Işık"));
        QVERIFY(words.contains(QStringLiteral("güzel")));
        QCOMPARE(words.last(), QStringLiteral("gün"));
    }

    // Numbers are read out in the voice's language: "bin iki yüz otuz dört" is much shorter than
    // "one thousand two hundred and thirty-four". (Each reading varies a little, so lengths are
    // compared, not samples.)
    void languageChoosesTheVoice()
    {
        const QString numbers = QStringLiteral("1234 5678");
        const double english = double(speakToMemory(numbers, QStringLiteral("en-US")).samples.size());
        const double turkish = double(speakToMemory(numbers, QStringLiteral("tr-TR")).samples.size());
        QVERIFY(english > 0 && turkish > 0);
        QVERIFY2(turkish < 0.9 * english, qPrintable(QStringLiteral("%1 vs %2").arg(turkish).arg(english)));
        // A language without a voice of its own is read by the default English voice.
        for (const QString& language : {QStringLiteral("xx-YY"), QString()}) {
            const double fallback = double(speakToMemory(numbers, language).samples.size());
            QVERIFY2(std::abs(fallback - english) < 0.1 * english, qPrintable(QString::number(fallback)));
        }
    }

    void wordPositionsCountUtf16Units()
    {
        QStringList words;
        speakToMemory(QStringLiteral("𝄞 Größe wörld"), QStringLiteral("de-DE"), &words);
        QVERIFY2(words.contains(QStringLiteral("Größe")) && words.contains(QStringLiteral("wörld")),
                 qPrintable(words.join(QLatin1Char('|'))));
    }

    void emptyTextFinishesAtOnce()
    {
        auto sink = std::make_shared<MemorySpeechSink>();
        EspeakSpeechSynthesizer synthesizer(sink);
        Reports reports(synthesizer, {});
        const quint64 utterance = synthesizer.speak({}, QStringLiteral("en"));
        QVERIFY(synthesizer.isSpeaking());
        QUOR_TRY_COMPARE(reports.finished, QList<quint64>{utterance});
        QVERIFY(!synthesizer.isSpeaking());
        QVERIFY(reports.words.isEmpty());
    }

    void stopEndsSpeechHalfway()
    {
        const auto whole = speakToMemory(longText, QStringLiteral("en"));
        auto sink = std::make_shared<RealTimeMemorySink>();
        EspeakSpeechSynthesizer synthesizer(sink);
        Reports reports(synthesizer, longText);
        const quint64 utterance = synthesizer.speak(longText, QStringLiteral("en"));
        QUOR_TRY_VERIFY(reports.words.size() >= 2);

        synthesizer.stop();
        // Reported before stop() returned.
        QCOMPARE(reports.cancelled, QList<quint64>{utterance});
        QVERIFY(!synthesizer.isSpeaking());
        const qsizetype wordsAtStop = reports.words.size();

        QUOR_TRY_COMPARE(sink->discards.load(), 1);
        const auto recording = sink->recording();
        QVERIFY(!recording.complete);
        QVERIFY2(recording.samples.size() < whole.samples.size() / 2,
                 qPrintable(QStringLiteral("%1 of %2").arg(recording.samples.size()).arg(whole.samples.size())));
        quorSpin(std::chrono::milliseconds(200));
        QCOMPARE(reports.words.size(), wordsAtStop);
        QVERIFY(reports.finished.isEmpty());
        QVERIFY(reports.failed.isEmpty());

        synthesizer.stop();
        QCOMPARE(reports.cancelled.size(), 1);
    }

    void speakingAgainCancelsTheFirstUtterance()
    {
        auto sink = std::make_shared<RealTimeMemorySink>();
        EspeakSpeechSynthesizer synthesizer(sink);
        Reports reports(synthesizer, longText);
        const quint64 first = synthesizer.speak(longText, QStringLiteral("en"));
        QUOR_TRY_VERIFY(!reports.words.isEmpty());

        const quint64 second = synthesizer.speak(QStringLiteral("Short"), QStringLiteral("en"));
        QVERIFY(second > first);
        QCOMPARE(reports.cancelled, QList<quint64>{first});
        QVERIFY(synthesizer.isSpeaking());
        QUOR_TRY_COMPARE(reports.finished, QList<quint64>{second});
        QVERIFY(!synthesizer.isSpeaking());
        QCOMPARE(reports.wordUtterances.last(), second);
        QVERIFY(sink->recording().complete);
        QCOMPARE(sink->recording().utterance, second);
    }

    void stopWhileIdleReportsNothing()
    {
        auto sink = std::make_shared<MemorySpeechSink>();
        EspeakSpeechSynthesizer synthesizer(sink);
        Reports reports(synthesizer, {});
        synthesizer.stop();
        QCOMPARE(reports.ended(), 0);
    }

    void destroyingWhileSpeakingLetsGoQuickly()
    {
        auto sink = std::make_shared<RealTimeMemorySink>();
        auto synthesizer = std::make_unique<EspeakSpeechSynthesizer>(sink);
        Reports reports(*synthesizer, longText);
        synthesizer->speak(longText, QStringLiteral("en"));
        QUOR_TRY_VERIFY(!reports.words.isEmpty());
        QElapsedTimer clock;
        clock.start();
        synthesizer.reset();
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(sink->discards.load(), 1);
    }

    // What failed is said in words; the audio system's errno text is kept for the log only.
    void outputErrorsSayWhatFailed()
    {
        const SpeechError error = SpeechError::outputUnavailable(QStringLiteral("No such file or directory"));
        QVERIFY(!error.englishDescription().contains(QStringLiteral("No such file")));
        QVERIFY(!error.turkishDescription().contains(QStringLiteral("No such file")));
        QVERIFY(error.englishDescription().contains(QStringLiteral("sound server")));
        QVERIFY(QByteArray(error.what()).endsWith("(No such file or directory)"));
    }

    // With no sound card or sound server the utterance fails instead of staying "speaking"; where
    // there is one, it is heard to the end.
    void audioDeviceNeverLeavesSpeechHanging()
    {
        EspeakSpeechSynthesizer synthesizer;
        Reports reports(synthesizer, {});
        const quint64 utterance = synthesizer.speak(QStringLiteral("Test"), QStringLiteral("en"));
        QUOR_TRY_COMPARE(reports.ended(), 1);
        QVERIFY(!synthesizer.isSpeaking());
        if (!reports.failed.isEmpty()) {
            QCOMPARE(reports.failed.first(), std::make_pair(utterance, SpeechError::Kind::outputUnavailable));
        } else {
            QCOMPARE(reports.finished, QList<quint64>{utterance});
        }
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorEspeakSpeechSynthesizer)
#include "tst_quorespeakspeechsynthesizer.moc"
