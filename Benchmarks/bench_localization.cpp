// Cost of interface texts: the first lookup of a language whose packs are on disk (read,
// decompress, parse, build the catalog) and every later lookup.
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Localization/QuorLocalizationStore.h"
#include "Support/QuorTestSupport.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString copy = QStringLiteral("Copy");

// A folder holding a German pack (400 strings, compressed), a Finnish one (30,000 strings,
// 1 MB once decompressed) and small plain packs with templates and a fallback parent.
class PackFolder {
public:
    PackFolder()
    {
        copySample("de-pack.json.lzfse", "de.json.lzfse");
        copySample("tr-large.json.lzfse", "fi.json.lzfse");
        write("pt-BR.json", R"j({"strings": {"Copy": "Copiar"}})j");
        write("sv.json", R"j({"strings": {"Copy": "Kopiera"}, "templates": {"Deleted {0} items": "{0} objekt raderade",
            "Copied {0} of {1}": "Kopierade {0} av {1}", "{0} MB": "{0} MB"}})j");
    }
    QString path() const { return m_folder.path(); }

private:
    void copySample(const char* sample, const char* name)
    {
        QFile::copy(QStringLiteral(QUOR_TESTDATA_DIR "/lzfse/") + QString::fromLatin1(sample),
                    m_folder.filePath(QString::fromLatin1(name)));
    }
    void write(const char* name, const QByteArray& bytes)
    {
        QFile file(m_folder.filePath(QString::fromLatin1(name)));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
    }
    QTemporaryDir m_folder;
};

PackFolder& packs()
{
    static PackFolder folder;
    return folder;
}

void firstLookup(benchmark::State& state, QuorLanguage language, const QString& english)
{
    for (auto _ : state) {
        auto store = std::make_unique<QuorLocalizationStore>(QStringList{packs().path()});
        benchmark::DoNotOptimize(store->resolve(std::nullopt, english, QString(), language));
        // Tearing the catalog down is not part of the lookup.
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(firstLookup, german400Strings, QuorLanguage::de, QStringLiteral("Speak item 0: Explain the delete"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(firstLookup, finnish30000Strings, QuorLanguage::fi, QStringLiteral("k100"))->Unit(benchmark::kMillisecond);

void laterLookup(benchmark::State& state, QuorLanguage language, const QString& english)
{
    QuorLocalizationStore store({packs().path()});
    const QString expected = store.resolve(std::nullopt, english, QString(), language);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.resolve(std::nullopt, english, QString(), language));
    }
    state.SetLabel(expected.left(40).toStdString());
}
BENCHMARK_CAPTURE(laterLookup, string, QuorLanguage::de, QStringLiteral("Speak item 0: Explain the delete"));
BENCHMARK_CAPTURE(laterLookup, stringIn30000, QuorLanguage::fi, QStringLiteral("k29999"));
BENCHMARK_CAPTURE(laterLookup, missToEnglish, QuorLanguage::sv, QStringLiteral("Not translated anywhere"));
BENCHMARK_CAPTURE(laterLookup, template1, QuorLanguage::sv, QStringLiteral("Deleted 12 items"));
BENCHMARK_CAPTURE(laterLookup, template2, QuorLanguage::sv, QStringLiteral("Copied 3 of 10"));
BENCHMARK_CAPTURE(laterLookup, fallbackParent, QuorLanguage::ptPT, copy);
BENCHMARK_CAPTURE(laterLookup, turkish, QuorLanguage::tr, copy);

// quorText() on the shared store with the language given, and with the current language, which
// is read from the stored preference on every call.
void quorTextLookup(benchmark::State& state, bool currentLanguage)
{
    QuorLocalizationStore::shared().registerSearchDirectory(packs().path());
    const std::optional<QuorLanguage> language = currentLanguage ? std::nullopt : std::optional(QuorLanguage::de);
    for (auto _ : state) {
        benchmark::DoNotOptimize(quorText(copy, QStringLiteral("Kopyala"), {}, language));
    }
}
BENCHMARK_CAPTURE(quorTextLookup, givenLanguage, false);
BENCHMARK_CAPTURE(quorTextLookup, currentLanguage, true);

} // namespace

int main(int argc, char** argv)
{
    quorIsolateTestEnvironment();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
