#include "QuorZubCore/Services/ZubConfigStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>

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
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
