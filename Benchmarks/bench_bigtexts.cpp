// GUI-thread time with big inputs: start-up, the views that show the history and saving it after an
// action, with a history of 2,000 records of which three hold a 5 MB result (and its 5 MB
// selection), against the same history with small texts only (every record is pinned, so that all
// of them are held); pasting and typing 5 MB in the playground; and an AI answer that never ends.
// Each case runs once; the machine's load shows less in the median of a few runs:
// --benchmark_repetitions=5.
#include "QuorBenchSupport.h"

#include "QuorZubAppTests/StudioViewModel/FakeStudioEnvironment.h"

#include "QuorKit/Cloud/QuorAIClient.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "QuorZubApp/App/MenuBarZubPopoverView.h"
#include "QuorZubApp/App/ZubStudioWindow.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/Studio/ZubHistoryView.h"
#include "QuorZubApp/Views/Studio/ZubPlaygroundView.h"
#include "QuorZubCore/Services/ZubConfigStore.h"

#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QScrollArea>
#include <QScrollBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace quor_bench;

constexpr int kRecords = 2000;
constexpr qsizetype kBigCharacters = 5 * 1024 * 1024;
// Newest first: two of them among the tray window's four rows, all three in the History tab's
// first batch of cards.
constexpr int kBigPositions[] = {0, 2, 5};

QString bigText(const QString& word)
{
    QString text;
    text.reserve(kBigCharacters + 200);
    int sentence = 0;
    while (text.size() < kBigCharacters) {
        text += QStringLiteral("Sentence %1 of a long %2 document, with enough words to wrap a line or two. ")
                    .arg(sentence)
                    .arg(word);
        if (++sentence % 6 == 0) {
            text += QLatin1Char('\n');
        }
    }
    text.truncate(kBigCharacters);
    return text;
}

QList<ZubHistoryRecord> history(bool withBigResults)
{
    const QString bigInput = withBigResults ? bigText(QStringLiteral("selected")) : QString();
    const QString bigOutput = withBigResults ? bigText(QStringLiteral("translated")) : QString();
    const QDateTime newest = QDateTime::currentDateTimeUtc();
    QList<ZubHistoryRecord> records;
    records.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        ZubHistoryRecord record;
        record.id = QUuid::createUuid();
        record.actionKind = i % 3 == 0 ? ZubActionKind::translate : ZubActionKind::caseTransform;
        record.actionTitle = i % 3 == 0 ? QStringLiteral("Translate") : QStringLiteral("Case Transform");
        record.inputText = QStringLiteral("Record %1: a selected sentence of ordinary length. ").arg(i).repeated(3);
        record.outputText = QStringLiteral("Record %1: its result, of ordinary length too. ").arg(i).repeated(3);
        if (std::find(std::begin(kBigPositions), std::end(kBigPositions), i) != std::end(kBigPositions)) {
            if (withBigResults) {
                record.inputText = bigInput;
                record.outputText = bigOutput;
            }
        }
        if (record.actionKind == ZubActionKind::translate) {
            record.detectedLanguageCode = QStringLiteral("tr");
            record.targetLanguageCode = QStringLiteral("en");
        }
        record.durationMs = 100 + i;
        record.isPinned = true;
        record.createdAt = newest.addSecs(-60LL * i);
        records.append(record);
    }
    return records;
}

// A data folder holding that history, made once per kind.
const QString& folderWith(bool withBigResults)
{
    static std::unique_ptr<QTemporaryDir> folders[2];
    auto& folder = folders[withBigResults ? 1 : 0];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        ZubConfigStore(folder->path(), kRecords).saveHistory(history(withBigResults));
    }
    static QString paths[2];
    paths[withBigResults ? 1 : 0] = folder->path();
    return paths[withBigResults ? 1 : 0];
}

std::unique_ptr<ZubStudioViewModel> viewModel(bool withBigResults)
{
    return std::make_unique<ZubStudioViewModel>(std::make_unique<FakeStudioEnvironment>(), folderWith(withBigResults));
}

// A view model once it holds the whole history (a big one may still be read when it is made).
std::unique_ptr<ZubStudioViewModel> loadedViewModel(bool withBigResults)
{
    auto vm = viewModel(withBigResults);
    QElapsedTimer waited;
    waited.start();
    while (vm->history().size() < kRecords && waited.elapsed() < 120'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return vm;
}

// The history file is replaced as a whole by every save: a new inode each time.
ino_t historyInode(const ZubStudioViewModel& vm)
{
    struct stat info {};
    return ::stat(QFile::encodeName(vm.store().historyPath()).constData(), &info) == 0 ? info.st_ino : 0;
}

void waitForSave(const ZubStudioViewModel& vm, ino_t before)
{
    QElapsedTimer waited;
    waited.start();
    while (historyInode(vm) == before && waited.elapsed() < 60'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}


// How long the GUI thread keeps a caller waiting, seen from outside: a second thread asks the event
// loop to run a small call every millisecond and notes how late each one ran. The worst wait is the
// longest stretch in which the window could not have answered an input event.
class AnswerTimer {
public:
    explicit AnswerTimer(QObject* guiObject)
        : m_target(guiObject), m_thread([this] { ping(); })
    {
    }
    ~AnswerTimer()
    {
        m_stop = true;
        // The last call may still be queued: it runs before this object goes.
        while (!m_finished) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        m_thread.join();
    }
    AnswerTimer(const AnswerTimer&) = delete;
    AnswerTimer& operator=(const AnswerTimer&) = delete;

    // A call still waiting counts for as long as it has waited.
    double worstMs() const
    {
        qint64 worst = m_worstNs;
        if (!m_answered) {
            worst = std::max(worst, std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch()).count() - m_sentNs.load());
        }
        return static_cast<double>(worst) / 1e6;
    }
    void reset() { m_worstNs = 0; }

private:
    void ping()
    {
        using Clock = std::chrono::steady_clock;
        while (!m_stop) {
            const Clock::time_point sent = Clock::now();
            m_sentNs = std::chrono::duration_cast<std::chrono::nanoseconds>(sent.time_since_epoch()).count();
            m_answered = false;
            QMetaObject::invokeMethod(m_target, [this, sent] {
                const qint64 waited = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - sent).count();
                m_worstNs = std::max(m_worstNs.load(), waited);
                m_answered = true;
            }, Qt::QueuedConnection);
            while (!m_answered && !m_stop) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        while (!m_answered) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        m_finished = true;
    }

    QObject* m_target;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_answered{true};
    std::atomic<bool> m_finished{false};
    std::atomic<qint64> m_worstNs{0};
    std::atomic<qint64> m_sentNs{0};
    std::thread m_thread;
};


const char* label(bool withBigResults)
{
    return withBigResults ? "three 5 MB results" : "small records only";
}

// Start-up to the studio window on screen: the view model loads the files, the window is built,
// laid out and painted.
void BM_StudioAppears(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    folderWith(big);
    for (auto _ : state) {
        auto vm = viewModel(big);
        auto window = std::make_unique<ZubStudioWindow>(vm.get(), accent());
        present(*window);
        state.PauseTiming();
        window.reset();
        vm.reset();
        state.ResumeTiming();
    }
    state.SetLabel(label(big));
}
BENCHMARK(BM_StudioAppears)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_HistoryTabAppears(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    auto vm = loadedViewModel(big);
    for (auto _ : state) {
        ZubHistoryView view(*vm, accent());
        view.resize(1160, 640);
        present(view);
        state.PauseTiming();
        view.hide();
        state.ResumeTiming();
    }
    state.SetLabel(label(big));
}
BENCHMARK(BM_HistoryTabAppears)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// One keystroke in the History tab's search, a query no record holds; found_ms is how long the
// list then takes to be found.
void BM_HistorySearchKeystroke(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    auto vm = loadedViewModel(big);
    ZubHistoryView view(*vm, accent());
    view.resize(1160, 640);
    present(view);
    auto* search = view.findChild<QLineEdit*>(QStringLiteral("search"));
    double found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        search->clear();
        QElapsedTimer waited;
        waited.start();
        while (view.presentation().listed.size() != kRecords && waited.elapsed() < 60'000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        state.ResumeTiming();
        QElapsedTimer finding;
        finding.start();
        QTest::keyClick(search, Qt::Key_Z);
        QCoreApplication::processEvents();
        state.PauseTiming();
        while (!view.presentation().listed.isEmpty() && finding.elapsed() < 60'000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        found = std::max(found, static_cast<double>(finding.nsecsElapsed()) / 1e6);
        state.ResumeTiming();
    }
    state.counters["found_ms"] = found;
    state.SetLabel(label(big));
}
BENCHMARK(BM_HistorySearchKeystroke)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// Scrolling a page at a time through the whole list, every card built on the way; reports the
// longest step and the longest the window left an event waiting meanwhile (seen from another thread).
void BM_HistoryTabScroll(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    auto vm = loadedViewModel(big);
    double worst = 0;
    double answer = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ZubHistoryView view(*vm, accent());
        view.resize(1160, 640);
        present(view);
        QScrollArea* scroll = view.findChild<QScrollArea*>();
        QScrollBar* bar = scroll->verticalScrollBar();
        AnswerTimer timer(&view);
        state.ResumeTiming();
        QElapsedTimer step;
        // Until the end stays where it is: every card is built and the last one in sight.
        for (int still = 0; still < 3;) {
            const qsizetype built = view.builtCards();
            step.start();
            bar->setValue(bar->value() + scroll->viewport()->height());
            QCoreApplication::processEvents();
            // Painted as the window paints it: what is in sight (a grab would visit every card).
            scroll->viewport()->repaint();
            worst = std::max(worst, static_cast<double>(step.nsecsElapsed()) / 1e6);
            still = view.builtCards() == built && bar->value() == bar->maximum() ? still + 1 : 0;
        }
        state.counters["cards"] = static_cast<double>(view.builtCards());
        state.PauseTiming();
        answer = std::max(answer, timer.worstMs());
        state.ResumeTiming();
    }
    state.counters["worst_step_ms"] = worst;
    state.counters["answer_ms"] = answer;
    state.SetLabel(label(big));
}
BENCHMARK(BM_HistoryTabScroll)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TrayWindowRows(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    auto vm = loadedViewModel(big);
    for (auto _ : state) {
        MenuBarZubPopoverView view(vm.get(), {}, accent());
        present(view);
        state.PauseTiming();
        view.hide();
        state.ResumeTiming();
    }
    state.SetLabel(label(big));
}
BENCHMARK(BM_TrayWindowRows)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// One playground action from its answer to the history saved: the GUI thread's share only.
void BM_ActionSave(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    auto vm = loadedViewModel(big);
    const ZubActionDefinition action = ZubActionDefinition::defaultActions().first();
    vm->setPlaygroundText(QStringLiteral("A short selection."));
    for (auto _ : state) {
        const ino_t before = historyInode(*vm);
        vm->runPlaygroundAction(action);
        QCoreApplication::processEvents();
        state.PauseTiming();
        waitForSave(*vm, before);
        state.ResumeTiming();
    }
    state.SetLabel(label(big));
}
BENCHMARK(BM_ActionSave)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// Offers `text` on the clipboard. Under X11 another process owns it, as when the text was copied
// in another application; elsewhere this one does.
std::unique_ptr<QProcess> offerOnClipboard(const QString& text)
{
    const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    if (QGuiApplication::platformName() != QLatin1String("xcb") || xclip.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
        return nullptr;
    }
    bool taken = false;
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, [&taken] { taken = true; });
    auto owner = std::make_unique<QProcess>();
    owner->start(xclip, {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i"),
                         QStringLiteral("-quiet"), QStringLiteral("-loops"), QStringLiteral("100")});
    owner->write(text.toUtf8());
    owner->closeWriteChannel();
    runUntil([&taken] { return taken; });
    QObject::disconnect(QGuiApplication::clipboard(), &QClipboard::dataChanged, nullptr, nullptr);
    return owner;
}

// Pasting a 5 MB text into the playground's editor with Ctrl+V, until it is in the model, laid out
// and painted. answer_ms is the longest the window then left an event waiting (seen from another
// thread); key_after_ms the longest of ten keystrokes typed after it.
void BM_PlaygroundPaste(benchmark::State& state)
{
    auto vm = loadedViewModel(false);
    ZubPlaygroundView view(*vm, accent());
    view.resize(1160, 640);
    present(view);
    auto* editor = view.findChild<QPlainTextEdit*>(QStringLiteral("editor"));
    const std::unique_ptr<QProcess> owner = offerOnClipboard(bigText(QStringLiteral("pasted")));
    double answer = 0;
    double keyAfter = 0;
    for (auto _ : state) {
        state.PauseTiming();
        vm->setPlaygroundText(QString());
        QCoreApplication::processEvents();
        editor->setFocus();
        AnswerTimer timer(&view);
        state.ResumeTiming();
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        runUntil([&] { return vm->playgroundText().size() == kBigCharacters; });
        benchmark::DoNotOptimize(view.grab());
        state.PauseTiming();
        answer = std::max(answer, timer.worstMs());
        editor->moveCursor(QTextCursor::End);
        for (int key = 0; key < 10; ++key) {
            QElapsedTimer typing;
            typing.start();
            QTest::keyClick(editor, Qt::Key_A);
            QCoreApplication::processEvents();
            benchmark::DoNotOptimize(editor->viewport()->grab());
            keyAfter = std::max(keyAfter, static_cast<double>(typing.nsecsElapsed()) / 1e6);
        }
        state.ResumeTiming();
    }
    state.counters["answer_ms"] = answer;
    state.counters["key_after_ms"] = keyAfter;
    if (!vm->playgroundText().startsWith(QStringLiteral("Sentence 0 of a long pasted")) ||
        vm->playgroundText().size() != kBigCharacters + 10) {
        state.SkipWithError("the paste did not reach the playground");
    }
}
BENCHMARK(BM_PlaygroundPaste)->Unit(benchmark::kMillisecond)->Iterations(1);

// One keystroke at the end of a 5 MB text in the playground's editor.
void BM_PlaygroundKeystroke(benchmark::State& state)
{
    auto vm = loadedViewModel(false);
    ZubPlaygroundView view(*vm, accent());
    view.resize(1160, 640);
    present(view);
    vm->setPlaygroundText(bigText(QStringLiteral("typed")));
    auto* editor = view.findChild<QPlainTextEdit*>(QStringLiteral("editor"));
    runUntil([&] { return editor->document()->characterCount() > kBigCharacters; });
    editor->setFocus();
    editor->moveCursor(QTextCursor::End);
    for (auto _ : state) {
        QTest::keyClick(editor, Qt::Key_A);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(editor->viewport()->grab());
    }
    if (!vm->playgroundText().endsWith(QLatin1Char('a'))) {
        state.SkipWithError("the keys did not reach the playground");
    }
}
BENCHMARK(BM_PlaygroundKeystroke)->Unit(benchmark::kMillisecond)->Iterations(20);

// An action on a 5 MB text in the playground, until its 5 MB result is on screen.
void BM_PlaygroundBigResult(benchmark::State& state)
{
    auto vm = loadedViewModel(false);
    ZubPlaygroundView view(*vm, accent());
    view.resize(1160, 640);
    vm->setPlaygroundText(bigText(QStringLiteral("acted-on")));
    present(view);
    auto* editor = view.findChild<QPlainTextEdit*>(QStringLiteral("editor"));
    runUntil([&] { return editor->document()->characterCount() > kBigCharacters; });
    const ZubActionDefinition action = ZubActionDefinition::defaultActions().first();
    for (auto _ : state) {
        state.PauseTiming();
        vm->setPlaygroundResult(std::nullopt);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        vm->runPlaygroundAction(action);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(view.grab());
    }
    if (!vm->playgroundResult() || vm->playgroundResult()->outputText.size() <= kBigCharacters) {
        state.SkipWithError("the result did not reach the playground");
    }
}
BENCHMARK(BM_PlaygroundBigResult)->Unit(benchmark::kMillisecond)->Iterations(1);

// Resident memory along one session: loaded, History tab scrolled through its first cards, tray
// window shown, one action saved.
void BM_ResidentMemory(benchmark::State& state)
{
    const bool big = state.range(0) != 0;
    folderWith(big);
    for (auto _ : state) {
        // Counted from what is in use: heap that earlier work freed would otherwise be taken again
        // unseen, and the growth would look smaller than it is.
        ::malloc_trim(0);
        const double start = residentMegabytes();
        auto vm = loadedViewModel(big);
        ZubStudioWindow window(vm.get(), accent());
        present(window);
        state.counters["studio_MB"] = residentMegabytes() - start;
        {
            ZubHistoryView view(*vm, accent());
            view.resize(1160, 640);
            present(view);
            QScrollArea* scroll = view.findChild<QScrollArea*>();
            while (view.builtCards() < 120 && scroll->verticalScrollBar()->value() < scroll->verticalScrollBar()->maximum()) {
                scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->value() + scroll->viewport()->height());
                QCoreApplication::processEvents();
                benchmark::DoNotOptimize(scroll->viewport()->grab());
            }
            MenuBarZubPopoverView tray(vm.get(), {}, accent());
            present(tray);
            state.counters["views_MB"] = residentMegabytes() - start;
            const ino_t before = historyInode(*vm);
            vm->runPlaygroundAction(ZubActionDefinition::defaultActions().first());
            waitForSave(*vm, before);
            // The file is in place before whoever wrote it has let go of what encoding it took.
            settle(std::chrono::seconds(1));
            state.counters["saved_MB"] = residentMegabytes() - start;
        }
    }
    state.SetLabel(label(big));
}
BENCHMARK(BM_ResidentMemory)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- A server that never stops answering ----


// An AI answer that never ends, while the GUI thread is busy elsewhere for half a second after the
// request went out: how far the process's peak resident memory rose (the answer's cap is 16 MiB),
// and how much the server got to send.
void BM_EndlessAnswer(benchmark::State& state)
{
    QuorTestHttpServer server;
    server.start();
    auto endless = QuorTestHttpResponse::json({});
    endless.endlessPiece = QByteArray(64 * 1024, 'x');
    endless.delay = std::chrono::milliseconds(100);
    server.route("POST", "/chat", endless);
    QNetworkAccessManager session;
    const QuorAIClient client(&session, nullptr);
    const QuorAIConfig config(QuorAIProvider::ollamaLocal, server.url(QStringLiteral("/chat")).toString(),
                              QStringLiteral("model"));
    double grown = 0;
    bool refused = true;
    for (auto _ : state) {
        ::malloc_trim(0);
        resetPeakResident();
        const double before = statusMegabytes("VmHWM");
        const int requests = server.requestCount();
        auto call = client.complete(QStringLiteral("s"), QStringLiteral("u"), config, std::nullopt);
        runUntil([&] { return server.requestCount() > requests; });
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        try {
            quorAwait(std::move(call), std::chrono::seconds(60));
            refused = false;
        } catch (const QuorTransferError& error) {
            refused = refused && error.kind() == QuorTransferError::Kind::answerTooLarge;
        }
        grown = std::max(grown, statusMegabytes("VmHWM") - before);
    }
    state.counters["peak_growth_MB"] = grown;
    state.counters["sent_MB"] = static_cast<double>(server.bodyBytesSent()) / (1024.0 * 1024.0);
    if (!refused) {
        state.SkipWithError("the endless answer was not refused as too large");
    }
}
BENCHMARK(BM_EndlessAnswer)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return quor_bench::runStudioBenchmarks(argc, argv);
}