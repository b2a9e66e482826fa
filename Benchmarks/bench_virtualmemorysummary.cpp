#include "QuorKit/Suite/QuorSuiteTelemetryBus.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
// One memory summary of this computer: /proc, /sys, the loop devices and the memory tool's
// folders, without a status of the memory tool (the scan of its sparse disks runs).
void BM_ReadVirtualMemorySummary(benchmark::State& state)
{
    QTemporaryDir suite;
    const QuorSuiteTelemetryBus bus(suite.path());
    for (auto _ : state) {
        const QuorVirtualMemorySummary summary = bus.readVirtualMemorySummary(QDateTime::currentDateTimeUtc());
        if (summary.physicalTotalBytes <= 0) {
            state.SkipWithError("no physical memory read");
            break;
        }
        benchmark::DoNotOptimize(summary);
    }
}
BENCHMARK(BM_ReadVirtualMemorySummary)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
