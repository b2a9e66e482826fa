#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"

#include <QStringList>

#include <benchmark/benchmark.h>

namespace {
// About 1 MB (in UTF-16 code units) of alternating English and Turkish prose.
QString mixedText()
{
    const QString english = QStringLiteral(
        "The committee met on Tuesday to discuss the budget. Dr. Smith said the numbers were fine, "
        "but the finance team disagreed and asked for 3.5% more time.\n");
    const QString turkish = QStringLiteral(
        "Toplantı salı günü yapıldı ve bütçe konuşuldu. Ayşe Hanım, İstanbul'daki şubenin "
        "ışıklarının gece boyunca açık kaldığını söyledi; çözüm öneriler üzerine düşünülecek.\n");
    QString text;
    while (text.size() < 1'000'000) {
        text += english;
        text += turkish;
    }
    text.truncate(1'000'000);
    return text;
}

// 10 kB of text carrying 100 web addresses, half of them with tracking parameters.
QString textWithLinks()
{
    QString text;
    for (int i = 0; i < 100; ++i) {
        text += QStringLiteral("Item %1 is described at ").arg(i);
        text += i % 2 == 0 ? QStringLiteral("https://shop.example.com/p/%1?id=%1&utm_source=news&utm_medium=mail").arg(i)
                           : QStringLiteral("https://docs.example.org/a/%1?page=2").arg(i);
        text += QStringLiteral(", see there for details and prices.\n");
    }
    while (text.size() < 10'000) {
        text += u' ';
    }
    return text;
}

void BM_StatisticsOfOneMegabyte(benchmark::State& state)
{
    const QString text = mixedText();
    ZubOfflineTextEngine::analyzeStats(QStringLiteral("warm up"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZubOfflineTextEngine::analyzeStats(text));
    }
}
BENCHMARK(BM_StatisticsOfOneMegabyte)->Unit(benchmark::kMillisecond);

void BM_DetectLanguageOf200Characters(benchmark::State& state)
{
    const QString text = QStringLiteral(
        "Yarın sabah erkenden yola çıkacağız, çünkü İstanbul'a varmadan önce Bursa'da kısa bir mola verip "
        "arkadaşlarımızla kahvaltı yapmak istiyoruz. Hava güzel olursa sahilde yürüyüş de yaparız belki.");
    ZubOfflineTextEngine::detectLanguage(text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZubOfflineTextEngine::detectLanguage(text));
    }
    state.SetLabel(std::to_string(text.size()) + " characters");
}
BENCHMARK(BM_DetectLanguageOf200Characters)->Unit(benchmark::kMicrosecond);

void BM_CleanTenKilobytesWithHundredLinks(benchmark::State& state)
{
    const QString text = textWithLinks();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZubOfflineTextEngine::cleanTrackingParameters(text));
    }
    state.SetLabel(std::to_string(text.size()) + " characters");
}
BENCHMARK(BM_CleanTenKilobytesWithHundredLinks)->Unit(benchmark::kMicrosecond);

void BM_DictionaryLookupAfterTheFirst(benchmark::State& state)
{
    ZubOfflineTextEngine::lookupDictionary(QStringLiteral("apple"));
    const QStringList terms{QStringLiteral("zebra"), QStringLiteral("serendipity"), QStringLiteral("house"),
                            QStringLiteral("orchard apple tree"), QStringLiteral("quantum")};
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZubOfflineTextEngine::lookupDictionary(terms[next]));
        next = (next + 1) % terms.size();
    }
}
BENCHMARK(BM_DictionaryLookupAfterTheFirst)->Unit(benchmark::kMicrosecond);

void BM_StripMarkdownOfHostileText(benchmark::State& state)
{
    // Openers without closers: each one makes the link patterns scan ahead.
    const QString text = QStringLiteral("[").repeated(50'000) + QStringLiteral("])");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZubOfflineTextEngine::stripMarkdown(text));
    }
}
BENCHMARK(BM_StripMarkdownOfHostileText)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
