#include "QuorZubCore/Engine/ZubMathEvaluator.h"

#include <benchmark/benchmark.h>

namespace {
void BM_EvaluateEverydayExpression(benchmark::State& state)
{
    const QString expression = QStringLiteral("200 + 10% * (3,5 − 1,25) ÷ 2");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZubMathEvaluator::evaluate(expression));
    }
}
BENCHMARK(BM_EvaluateEverydayExpression)->Unit(benchmark::kMicrosecond);

void BM_EvaluatePlainAscii(benchmark::State& state)
{
    const QString expression = QStringLiteral("(12.5 + 3) * 4 / 2 - 1");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZubMathEvaluator::evaluate(expression));
    }
}
BENCHMARK(BM_EvaluatePlainAscii)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
