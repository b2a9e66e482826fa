// The store's files, and what settings cost the GUI thread: saving and loading the history and the
// configuration, and typing an endpoint into the AI card of the Settings tab, where every keystroke
// changes the configuration.
#include "QuorZubAppTests/StudioViewModel/FakeStudioEnvironment.h"

#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/Studio/ZubSettingsView.h"
#include "QuorZubCore/Services/ZubConfigStore.h"

#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {
// A full history: 250 records of about 2 kB each.
QList<ZubHistoryRecord> fullHistory()
{
    QList<ZubHistoryRecord> records;
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1'780'000'000, Qt::UTC);
    for (int i = 0; i < 250; ++i) {
        ZubHistoryRecord record;
        record.id = QUuid::createUuid();
        record.actionKind = ZubActionKind::translate;
        record.actionTitle = QStringLiteral("Translate");
        record.inputText = QStringLiteral("Ünlü bir metin, satır %1. ").arg(i).repeated(20).left(1000);
        record.outputText = QStringLiteral("A well-known text, line %1. ").arg(i).repeated(20).left(1000);
        record.detectedLanguageCode = QStringLiteral("tr");
        record.targetLanguageCode = QStringLiteral("en");
        record.durationMs = 120 + i;
        record.isPinned = i % 25 == 0;
        record.createdAt = start.addSecs(-60 * i);
        records.append(record);
    }
    return records;
}

void BM_SaveFullHistory(benchmark::State& state)
{
    QTemporaryDir folder;
    const ZubConfigStore store(folder.path());
    const auto records = fullHistory();
    for (auto _ : state) {
        store.saveHistory(records);
    }
}
BENCHMARK(BM_SaveFullHistory)->Unit(benchmark::kMillisecond);

void BM_LoadFullHistory(benchmark::State& state)
{
    QTemporaryDir folder;
    const ZubConfigStore store(folder.path());
    store.saveHistory(fullHistory());
    for (auto _ : state) {
        const auto loaded = store.loadHistory();
        if (loaded.size() != 250) {
            state.SkipWithError("history did not load");
            break;
        }
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_LoadFullHistory)->Unit(benchmark::kMillisecond);

void BM_SaveAndLoadConfig(benchmark::State& state)
{
    QTemporaryDir folder;
    const ZubConfigStore store(folder.path());
    const ZubConfig config = ZubConfig::defaultConfig();
    for (auto _ : state) {
        store.saveConfig(config);
        benchmark::DoNotOptimize(store.loadConfig());
    }
}
BENCHMARK(BM_SaveAndLoadConfig)->Unit(benchmark::kMillisecond);

// GUI-thread time of typing 40 characters into the Endpoint field of the AI card in Settings, with
// the studio's own view model behind it: each key is handled and its follow-up work run before the
// next.
void BM_TypeEndpointIntoSettings(benchmark::State& state)
{
    QTemporaryDir folder;
    ZubStudioViewModel vm(std::make_unique<FakeStudioEnvironment>(), folder.path());
    ZubSettingsView view(vm, QuorProductPalettes::accentColor(QuorProductPalette::deepCoral));
    view.resize(1100, 800);
    view.show();
    QCoreApplication::processEvents();
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("endpointField"));
    const QString typed = QStringLiteral("http://192.168.1.20:11434/v1/chat/compl");
    for (auto _ : state) {
        QuorAIConfig config = vm.config().aiConfig;
        config.endpointURL.clear();
        vm.updateAIConfig(config);
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        for (const QChar c : typed) {
            QTest::keyClicks(field, QString(c));
            QCoreApplication::processEvents();
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (vm.config().aiConfig.endpointURL != typed) {
            state.SkipWithError("the field did not reach the configuration");
            break;
        }
    }
    state.SetLabel("40 characters");
}
BENCHMARK(BM_TypeEndpointIntoSettings)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
} // namespace

int main(int argc, char** argv)
{
    quorIsolateTestEnvironment();
    // The AI card refreshes the model catalog as it comes on screen: from nowhere, never the network.
    qputenv("TALLOWMER_AI_MODELS_URL", "http://127.0.0.1:1/models.json");
    qputenv("TALLOWMER_API_URL", "http://127.0.0.1:1");
    qputenv("QUOR_ANIMATIONS", "0");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
