#include "QuorKit/UI/AI/QuorUnifiedCatalogBuilder.h"
#include "Support/QuorTestSupport.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {
QuorAIModelSpec spec(const QString& id, const QString& providerId, const QString& deployment = QStringLiteral("cloud"),
                     qint64 sortOrder = 5)
{
    QuorAIModelSpec model;
    model.id = id;
    model.providerId = providerId;
    model.apiModelId = id.section(QLatin1Char('/'), -1);
    model.displayName = QStringLiteral("Model ") + model.apiModelId;
    model.family = QStringLiteral("family-") + model.apiModelId;
    model.vendor = QStringLiteral("Vendor");
    model.deployment = deployment;
    model.contextWindow = 32000;
    model.capabilities.toolCalling = true;
    model.tags = {QStringLiteral("tag")};
    model.sortOrder = sortOrder;
    model.summary = {QStringLiteral("Özet"), QStringLiteral("Summary")};
    return model;
}

QuorAIModelPricing pricing(std::optional<double> input, std::optional<double> output)
{
    QuorAIModelPricing price;
    price.currency = QStringLiteral("USD");
    price.inputPer1M = input;
    price.outputPer1M = output;
    return price;
}

QuorAIDiscoveredLocalModel discovered(const QString& providerId, const QString& name,
                                      std::optional<QuorAIModelSpec> match = std::nullopt)
{
    return {providerId + QLatin1Char('/') + name, providerId, name, name, 2147483648LL, std::move(match)};
}

QStringList ids(const QList<QuorUnifiedModelRowItem>& rows)
{
    QStringList result;
    for (const auto& row : rows) {
        result << row.id;
    }
    return result;
}

const QuorUnifiedModelRowItem* find(const QList<QuorUnifiedModelRowItem>& rows, const QString& id)
{
    for (const auto& row : rows) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

QList<QuorUnifiedModelRowItem> build(const QuorAIModelCatalogDocument& document,
                                     const QList<QuorAIDiscoveredLocalModel>& local = {},
                                     QuorLanguage language = QuorLanguage::en)
{
    return QuorUnifiedCatalogBuilder::buildRows(document, local, language, 16.0);
}

const QStringList managedIds{QStringLiteral("tallowmer/tallowmer-auto"), QStringLiteral("tallowmer/tallowmer-agent-pro"),
                             QStringLiteral("tallowmer/tallowmer-doc-fast")};
} // namespace

class TestQuorUnifiedModelRows : public QObject {
    Q_OBJECT
private slots:
    void anEmptyCatalogListsTheThreeManagedModels()
    {
        const auto rows = build({});
        QCOMPARE(ids(rows), managedIds);
        QCOMPARE(rows[0].contextWindow, 200000);
        QCOMPARE(rows[1].contextWindow, 200000);
        QCOMPARE(rows[2].contextWindow, 128000);
        for (const auto& row : rows) {
            QVERIFY(!row.pricing);
            QVERIFY(row.supportsTools);
            QVERIFY(row.isTallowmerManaged);
            QCOMPARE(row.ramFit, QuorAIRamFit::cloud);
        }
        QVERIFY(rows[0].isManagedAutoRouter);
        QVERIFY(!rows[1].isManagedAutoRouter);
        QVERIFY(!rows[2].supportsReasoning);
        QCOMPARE(rows[0].displayName, QStringLiteral("Tallowmer Auto (Smart Cost Router)"));

        const auto turkish = build({}, {}, QuorLanguage::tr);
        QCOMPARE(turkish[0].displayName, QStringLiteral("Tallowmer Auto (Akıllı Maliyet Yönlendirici)"));
        QCOMPARE(turkish[1].displayName, QStringLiteral("Tallowmer Agent Pro"));
        QVERIFY(turkish[2].summaryText.startsWith(QStringLiteral("Özetleme")));
    }

    void theCatalogEnrichesManagedRowsWithoutRenamingThem()
    {
        QuorAIModelCatalogDocument document;
        QuorAIModelSpec docFast = spec(QStringLiteral("tallowmer/tallowmer-doc-fast"), QStringLiteral("tallowmer"));
        docFast.displayName = QStringLiteral("Renamed by the catalog");
        docFast.contextWindow = 1000000;
        docFast.pricing = pricing(0.1, 0.4);
        docFast.capabilities.toolCalling = false;
        QuorAIModelSpec router = spec(QStringLiteral("tallowmer/tallowmer-auto"), QStringLiteral("tallowmer"));
        router.pricing = pricing(1, 2);
        // A managed id under another spelling of the provider is still the same row.
        QuorAIModelSpec shouting = spec(QStringLiteral("x/TALLOWMER-AGENT-PRO"), QStringLiteral("TallowMer"));
        QuorAIModelSpec other = spec(QStringLiteral("tallowmer/tallowmer-vision"), QStringLiteral("Tallowmer"));
        document.models = {docFast, router, shouting, other};

        const auto rows = build(document);
        QCOMPARE(ids(rows), (managedIds + QStringList{QStringLiteral("tallowmer/tallowmer-vision")}));
        const QuorUnifiedModelRowItem& fast = rows[2];
        QCOMPARE(fast.contextWindow, 1000000);
        QCOMPARE(fast.pricing, pricing(0.1, 0.4));
        QVERIFY(!fast.supportsTools);
        QCOMPARE(fast.displayName, QStringLiteral("Tallowmer Doc Fast"));
        QVERIFY(fast.summaryText.startsWith(QStringLiteral("Ultra-fast")));
        QVERIFY(!rows[0].pricing);
        QVERIFY(rows[3].isTallowmerManaged);
        QCOMPARE(rows[3].sortPriority, 105);
    }

    void localModelsAndDuplicates()
    {
        QuorAIModelCatalogDocument document;
        QuorAIModelSpec first = spec(QStringLiteral("cloudco/gpt-x"), QStringLiteral("cloudco"));
        QuorAIModelSpec again = spec(QStringLiteral("cloudco/GPT-X-copy"), QStringLiteral("CloudCo"));
        again.apiModelId = QStringLiteral("GPT-X");
        QuorAIModelSpec tagged = spec(QStringLiteral("ollama/qwen3-8b"), QStringLiteral("ollama"), QStringLiteral("local"), 3);
        tagged.localSpecs = QuorAILocalModelSpecs{};
        tagged.localSpecs->ollamaTag = QStringLiteral("Qwen3:8B");
        tagged.localSpecs->minRamGb = 7.5;
        QuorAIModelSpec shadowed = spec(QStringLiteral("ollama/phi4"), QStringLiteral("ollama"), QStringLiteral("local"));
        document.models = {first, again, tagged, shadowed};

        const QList<QuorAIDiscoveredLocalModel> local{
            discovered(QStringLiteral("ollama"), QStringLiteral("qwen3:8b")),
            discovered(QStringLiteral("lmstudio"), QStringLiteral("mistral-7b")),
            discovered(QStringLiteral("ollama"), QStringLiteral("PHI4")),
            discovered(QStringLiteral("ollama"), QStringLiteral("qwen3:8b")),
        };
        const auto rows = build(document, local);
        const QStringList expected{QStringLiteral("ollama/qwen3:8b"), QStringLiteral("lmstudio/mistral-7b"),
                                   QStringLiteral("ollama/PHI4"), QStringLiteral("ollama/qwen3-8b"),
                                   QStringLiteral("cloudco/gpt-x")};
        QCOMPARE(ids(rows), managedIds + expected);

        const QuorUnifiedModelRowItem* ollama = find(rows, QStringLiteral("ollama/qwen3:8b"));
        QCOMPARE(ollama->vendor, QStringLiteral("Ollama"));
        QCOMPARE(ollama->tags, (QStringList{"local", "installed", "ollama"}));
        QCOMPARE(ollama->ollamaTag, QStringLiteral("qwen3:8b"));
        QCOMPARE(ollama->sortPriority, 10);
        QCOMPARE(ollama->summaryText, QStringLiteral("Installed locally on this computer (ollama). 100% offline."));
        QVERIFY(ollama->isInstalledLocally && ollama->isLocal && ollama->supportsTools);
        const QuorUnifiedModelRowItem* lmStudio = find(rows, QStringLiteral("lmstudio/mistral-7b"));
        QCOMPARE(lmStudio->vendor, QStringLiteral("LM Studio"));
        QVERIFY(!lmStudio->ollamaTag);
        QCOMPARE(lmStudio->sortPriority, 11);

        // Found again through its Ollama tag: installed, with the reported size, in the 20 band.
        const QuorUnifiedModelRowItem* installed = find(rows, QStringLiteral("ollama/qwen3-8b"));
        QVERIFY(installed->isInstalledLocally);
        QCOMPARE(installed->localSizeBytes, 2147483648LL);
        QCOMPARE(installed->sortPriority, 23);
        QCOMPARE(installed->minRamGb, 7.5);
        QCOMPARE(installed->tags, (QStringList{"tag", "family-qwen3-8b"}));
        // The local-only row took "ollama:phi4" first, so the catalog's phi4 is not listed.
        QVERIFY(find(rows, QStringLiteral("ollama/phi4")) == nullptr);
        QCOMPARE(find(rows, QStringLiteral("cloudco/gpt-x"))->sortPriority, 105);

        // A discovered model matched to a catalog entry has no row of its own.
        const auto matched = build(document, {discovered(QStringLiteral("lmstudio"), QStringLiteral("shadow"), shadowed)});
        QVERIFY(find(matched, QStringLiteral("lmstudio/shadow")) == nullptr);
        QVERIFY(find(matched, QStringLiteral("ollama/phi4"))->isInstalledLocally);
        QCOMPARE(find(matched, QStringLiteral("ollama/phi4"))->sortPriority, 25);
    }

    void bandsOrderAndFit()
    {
        QuorAIModelCatalogDocument document;
        QuorAIModelSpec localBig = spec(QStringLiteral("ollama/big"), QStringLiteral("ollama"), QStringLiteral("Local"), 1);
        localBig.localSpecs = QuorAILocalModelSpecs{};
        localBig.localSpecs->minRamGb = 12;
        localBig.localSpecs->recommendedRamGb = 24;
        QuorAIModelSpec zeta = spec(QStringLiteral("cloudco/zeta"), QStringLiteral("cloudco"), QStringLiteral("cloud"), 2);
        zeta.displayName = QStringLiteral("zeta");
        QuorAIModelSpec alpha = spec(QStringLiteral("cloudco/alpha"), QStringLiteral("cloudco"), QStringLiteral("cloud"), 2);
        alpha.displayName = QStringLiteral("Alpha");
        QuorAIModelSpec last = spec(QStringLiteral("cloudco/last"), QStringLiteral("cloudco"), QStringLiteral("cloud"),
                                    std::numeric_limits<qint64>::max());
        document.models = {localBig, last, zeta, alpha};

        const auto rows = build(document);
        QCOMPARE(ids(rows).mid(3), (QStringList{"cloudco/alpha", "cloudco/zeta", "ollama/big", "cloudco/last"}));
        QCOMPARE(rows[5].sortPriority, 201);
        QCOMPARE(rows[5].ramFit, QuorAIRamFit::tight);
        QVERIFY(rows[5].isLocal && !rows[5].isInstalledLocally);
        // A catalog order at the top of the range stays there instead of wrapping round.
        QCOMPARE(rows[6].sortPriority, std::numeric_limits<qint64>::max());
        QCOMPARE(QuorUnifiedCatalogBuilder::buildRows(document, {}, QuorLanguage::en, 32.0)[5].ramFit,
                 QuorAIRamFit::comfortable);
        QCOMPARE(QuorUnifiedCatalogBuilder::buildRows(document, {}, QuorLanguage::en, 8.0)[5].ramFit, QuorAIRamFit::exceeds);
    }

    void filterByChipAndSearchText()
    {
        QuorAIModelCatalogDocument document;
        QuorAIModelSpec vision = spec(QStringLiteral("cloudco/seer"), QStringLiteral("cloudco"));
        vision.capabilities.vision = true;
        vision.tags = {QStringLiteral("Multimodal")};
        document.models = {vision};
        const auto rows = build(document, {discovered(QStringLiteral("ollama"), QStringLiteral("llama3.2"))});
        const auto passing = [&rows](QuorAIModelFilterCategory category, const QString& query) {
            QStringList result;
            for (const auto& row : rows) {
                if (row.matches(category, query)) {
                    result << row.id;
                }
            }
            return result;
        };
        QCOMPARE(passing(QuorAIModelFilterCategory::all, QStringLiteral("  \n")).size(), rows.size());
        QCOMPARE(passing(QuorAIModelFilterCategory::cloud, {}), (managedIds + QStringList{"cloudco/seer"}));
        QCOMPARE(passing(QuorAIModelFilterCategory::local, {}), QStringList{"ollama/llama3.2"});
        QCOMPARE(passing(QuorAIModelFilterCategory::installed, {}), QStringList{"ollama/llama3.2"});
        QCOMPARE(passing(QuorAIModelFilterCategory::tallowmer, {}), managedIds);
        QCOMPARE(passing(QuorAIModelFilterCategory::reasoning, {}), managedIds.mid(0, 2));
        QCOMPARE(passing(QuorAIModelFilterCategory::vision, {}), (managedIds + QStringList{"cloudco/seer"}));
        QCOMPARE(passing(QuorAIModelFilterCategory::all, QStringLiteral(" CREDITS ")), QStringList{managedIds[0]});
        QCOMPARE(passing(QuorAIModelFilterCategory::all, QStringLiteral("multimodal")), QStringList{"cloudco/seer"});
        QCOMPARE(passing(QuorAIModelFilterCategory::all, QStringLiteral("vendor")), QStringList{"cloudco/seer"});
        QCOMPARE(passing(QuorAIModelFilterCategory::local, QStringLiteral("seer")), QStringList{});
        QCOMPARE(passing(QuorAIModelFilterCategory::all, QStringLiteral("offline")), QStringList{"ollama/llama3.2"});

        QCOMPARE(QuorAIModelFilterCategories::fromRawValue(QStringLiteral("installed")), QuorAIModelFilterCategory::installed);
        QCOMPARE(QuorAIModelFilterCategories::fromRawValue(QStringLiteral("Installed")), std::nullopt);
        QCOMPARE(QuorAIModelFilterCategories::allCases().size(), 7);
        QCOMPARE(QuorAIModelFilterCategories::title(QuorAIModelFilterCategory::reasoning, QuorLanguage::tr),
                 QStringLiteral("Akıl Yürütme"));
        QCOMPARE(QuorAIModelFilterCategories::title(QuorAIModelFilterCategory::tallowmer, QuorLanguage::tr),
                 QStringLiteral("Tallowmer"));
    }

    void pricesReadAsMoney()
    {
        QuorUnifiedModelRowItem row;
        row.pricing = pricing(1.5, 6);
        QCOMPARE(row.priceText(QuorLanguage::en), QStringLiteral("$1.50/$6.00 / 1M"));
        row.pricing = pricing(150, 0.15);
        QCOMPARE(row.priceText(QuorLanguage::en), QStringLiteral("$150.00/$0.15 / 1M"));
        row.pricing = pricing(0.001, std::nullopt);
        QCOMPARE(row.priceText(QuorLanguage::en), QStringLiteral("<$0.01/$0.00 / 1M"));
        // Nonsense prices count as nothing rather than printing "nan" or a minus sign.
        row.pricing = pricing(std::nan(""), -4);
        QCOMPARE(row.priceText(QuorLanguage::tr), QStringLiteral("Ücretsiz"));
        row.pricing = pricing(std::numeric_limits<double>::infinity(), 2);
        QCOMPARE(row.priceText(QuorLanguage::en), QStringLiteral("$0.00/$2.00 / 1M"));
        row.pricing = pricing(0, std::nullopt);
        QCOMPARE(row.priceText(QuorLanguage::en), QStringLiteral("Free"));
        row.pricing.reset();
        QCOMPARE(row.priceText(QuorLanguage::en), QStringLiteral("Credits / BYO"));
        QCOMPARE(row.priceText(QuorLanguage::tr), QStringLiteral("Kredi / API"));
        row.isManagedAutoRouter = true;
        QCOMPARE(row.priceText(QuorLanguage::en), QStringLiteral("Auto · Credits"));
        row.isLocal = true;
        row.pricing = pricing(3, 3);
        QCOMPARE(row.priceText(QuorLanguage::en), QStringLiteral("Free · Local"));
    }

    void ramRequirementRoundsWithoutOverflow()
    {
        QuorUnifiedModelRowItem row;
        QCOMPARE(row.ramRequirementText(), QString());
        const QList<std::pair<double, QString>> cases{
            {7.5, QStringLiteral("8+ GB RAM")},  {6.49, QStringLiteral("6+ GB RAM")},
            {0.4, QStringLiteral("0+ GB RAM")},  {0, QString()},
            {-2, QString()},                     {std::nan(""), QString()},
            {std::numeric_limits<double>::infinity(), QString()},
        };
        for (const auto& [gigabytes, text] : cases) {
            row.minRamGb = gigabytes;
            QCOMPARE(row.ramRequirementText(), text);
        }
        // Far beyond any integer type: written out, never wrapped to a negative number.
        row.minRamGb = 1e30;
        QVERIFY(row.ramRequirementText().startsWith(QStringLiteral("1000000000000000")));
        QVERIFY(!row.ramRequirementText().contains(QLatin1Char('-')));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorUnifiedModelRows)
#include "tst_quorunifiedmodelrows.moc"
