// Decoding speed of the LZFSE decoder on a language pack of about 14 MB.
#include "QuorPlatform/Compression/QuorLzfseDecoder.h"

#include <benchmark/benchmark.h>

#include <QFile>

namespace {

QByteArray readSample(const char* name)
{
    QFile file(QStringLiteral(QUOR_TESTDATA_DIR "/lzfse/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("missing test data %s", qPrintable(file.fileName()));
    }
    return file.readAll();
}

// The 14 LZFSE blocks of the large sample, repeated 14 times into one stream (about 14 MB once
// decoded). Matches never reach across blocks, so the splice is a valid stream.
QByteArray largePack()
{
    const QByteArray blocks = readSample("tr-large.json.lzfse").chopped(4);
    QByteArray stream;
    for (int i = 0; i < 14; ++i) {
        stream += blocks;
    }
    return stream + "bvx$";
}

void decodeLargePack(benchmark::State& state)
{
    const QByteArray stream = largePack();
    qsizetype decodedSize = 0;
    for (auto _ : state) {
        const QByteArray decoded = quor::platform::LzfseDecoder::decode(stream);
        decodedSize = decoded.size();
        benchmark::DoNotOptimize(decoded.constData());
    }
    state.SetBytesProcessed(state.iterations() * decodedSize);
    state.counters["decoded_MB"] = static_cast<double>(decodedSize) / 1e6;
    state.counters["decoded_MBps"] = benchmark::Counter(static_cast<double>(decodedSize) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(decodeLargePack)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void decodeSample(benchmark::State& state, const char* name)
{
    const QByteArray stream = readSample(name);
    qsizetype decodedSize = 0;
    for (auto _ : state) {
        const QByteArray decoded = quor::platform::LzfseDecoder::decode(stream);
        decodedSize = decoded.size();
        benchmark::DoNotOptimize(decoded.constData());
    }
    state.SetBytesProcessed(state.iterations() * decodedSize);
}

// A one-block pack of 400 strings (46 KB decoded), the size of most interface language packs.
void decodeSmallLzfsePack(benchmark::State& state)
{
    decodeSample(state, "de-pack.json.lzfse");
}
BENCHMARK(decodeSmallLzfsePack);

void decodeSmallLzvnPack(benchmark::State& state)
{
    decodeSample(state, "de-flat.json.lzfse");
}
BENCHMARK(decodeSmallLzvnPack);

} // namespace

BENCHMARK_MAIN();
