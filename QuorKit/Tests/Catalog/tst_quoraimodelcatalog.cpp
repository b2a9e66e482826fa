#include "CatalogTestSupport.h"

#include "QuorKit/Cloud/QuorAIDiscoveredLocalModel.h"
#include "QuorKit/Cloud/QuorAIModelCatalogDocument.h"
#include "QuorKit/Cloud/QuorAIModelRegistry.h"
#include "QuorKit/Cloud/QuorAIModelSyncMeta.h"
#include "QuorKit/Cloud/QuorAIRamFit.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "Support/QuorTestSupport.h"

#include <QSet>
#include <QtTest>

#include <unistd.h>

using namespace CatalogTest;

namespace {
QuorAIModelSpec decodeModel(const QJsonObject& object)
{
    return QuorAIModelSpec::fromJson(object);
}

QuorAIModelSpec localModel(std::optional<double> minimum, std::optional<double> recommended,
                           const QString& deployment = QStringLiteral("LOCAL"))
{
    QuorAIModelSpec model = decodeModel(CatalogTest::model(QStringLiteral("ollama/x"), QStringLiteral("ollama"), deployment));
    QuorAILocalModelSpecs specs;
    specs.minRamGb = minimum;
    specs.recommendedRamGb = recommended;
    model.localSpecs = specs;
    return model;
}

// The document fails as a whole, and the message names where.
void expectDocumentFailure(const QJsonObject& brokenModel, const QString& pathFragment)
{
    const QJsonObject document = CatalogTest::document(QJsonArray{model(QStringLiteral("cloudco/good")), brokenModel});
    try {
        QuorAIModelCatalogDocument::decode(bytes(document));
        QFAIL("the document decoded");
    } catch (const QuorDecodingError& error) {
        QVERIFY2(error.detail().contains(pathFragment), qPrintable(error.detail()));
    }
}
} // namespace

class TestQuorAIModelCatalog : public QObject {
    Q_OBJECT
private slots:
    void decodingIsAllOrNothing()
    {
        QJsonObject noAliases = model(QStringLiteral("cloudco/b"));
        noAliases.remove(QStringLiteral("aliases"));
        expectDocumentFailure(noAliases, QStringLiteral("models[1]: missing \"aliases\""));

        QJsonObject nullAliases = model(QStringLiteral("cloudco/b"));
        nullAliases.insert(QStringLiteral("aliases"), QJsonValue::Null);
        expectDocumentFailure(nullAliases, QStringLiteral("aliases"));

        QJsonObject capabilities = model(QStringLiteral("cloudco/b"));
        QJsonObject flags = CatalogTest::capabilities();
        flags.remove(QStringLiteral("audioOutput"));
        capabilities.insert(QStringLiteral("capabilities"), flags);
        expectDocumentFailure(capabilities, QStringLiteral("models[1]: capabilities: missing \"audioOutput\""));

        QJsonObject fractional = model(QStringLiteral("cloudco/b"));
        fractional.insert(QStringLiteral("contextWindow"), 1.5);
        expectDocumentFailure(fractional, QStringLiteral("contextWindow"));

        QJsonObject pricing = model(QStringLiteral("cloudco/b"));
        pricing.insert(QStringLiteral("pricing"), QJsonObject{{QStringLiteral("inputPer1M"), 1.0},
                                                              {QStringLiteral("freeTierAvailable"), false}});
        expectDocumentFailure(pricing, QStringLiteral("pricing: missing \"currency\""));

        QJsonObject numericFlag = model(QStringLiteral("cloudco/b"));
        numericFlag.insert(QStringLiteral("supportsTemperature"), 1);
        expectDocumentFailure(numericFlag, QStringLiteral("supportsTemperature"));

        QJsonObject badAlias = model(QStringLiteral("cloudco/b"));
        badAlias.insert(QStringLiteral("aliases"), QJsonArray{QStringLiteral("ok"), 3});
        expectDocumentFailure(badAlias, QStringLiteral("aliases[1]"));

        QJsonObject badSpecs = model(QStringLiteral("cloudco/b"));
        badSpecs.insert(QStringLiteral("localSpecs"), QJsonObject{{QStringLiteral("minRamGb"), QStringLiteral("8")}});
        expectDocumentFailure(badSpecs, QStringLiteral("localSpecs"));

        QJsonObject document = CatalogTest::document({});
        document.remove(QStringLiteral("ttlSeconds"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorAIModelCatalogDocument::decode(bytes(document)));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorAIModelCatalogDocument::decode("[1, 2]"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorAIModelCatalogDocument::decode("{\"schemaVersion\": 1"));
    }

    void lenientWhereTheFormatAllows()
    {
        QJsonObject withExtras = model(QStringLiteral("cloudco/a"));
        withExtras.insert(QStringLiteral("futureKey"), QJsonObject{{QStringLiteral("x"), 1}});
        withExtras.insert(QStringLiteral("defaultTemperature"), 1);
        QJsonObject document = CatalogTest::document(QJsonArray{withExtras}, QStringLiteral("v"), 60);
        document.insert(QStringLiteral("publisherNote"), QStringLiteral("ignored"));
        const QuorAIModelCatalogDocument decoded = QuorAIModelCatalogDocument::decode(bytes(document));
        QCOMPARE(decoded.models.size(), 1);
        QCOMPARE(decoded.models.first().defaultTemperature, 1.0);
        QCOMPARE(decoded.providers.size(), 2);

        const QuorAIModelCatalogDocument empty = QuorAIModelCatalogDocument::decode(bytes(CatalogTest::document({})));
        QVERIFY(empty.models.isEmpty());
        QVERIFY(!empty.model(QStringLiteral("anything")));

        // Absent and null optional records are the same value.
        QJsonObject nulls = model(QStringLiteral("cloudco/a"));
        nulls.insert(QStringLiteral("pricing"), QJsonValue::Null);
        nulls.insert(QStringLiteral("performance"), QJsonValue::Null);
        nulls.insert(QStringLiteral("localSpecs"), QJsonValue::Null);
        nulls.insert(QStringLiteral("license"), QJsonValue::Null);
        const QuorAIModelSpec plain = decodeModel(model(QStringLiteral("cloudco/a")));
        QCOMPARE(decodeModel(nulls), plain);
        QVERIFY(!plain.pricing && !plain.performance && !plain.localSpecs);
    }

    void encodingRoundTripsAndOmitsAbsentMembers()
    {
        QJsonObject full = model(QStringLiteral("cloudco/full"));
        full.insert(QStringLiteral("releaseDate"), QStringLiteral("2025-01-02"));
        full.insert(QStringLiteral("pricing"), QJsonObject{{QStringLiteral("currency"), QStringLiteral("USD")},
                                                           {QStringLiteral("inputPer1M"), 0.15},
                                                           {QStringLiteral("batchOutputPer1M"), 0.3},
                                                           {QStringLiteral("freeTierAvailable"), true}});
        full.insert(QStringLiteral("performance"), QJsonObject{{QStringLiteral("speedTier"), QStringLiteral("fast")},
                                                               {QStringLiteral("codingScore"), 71}});
        full.insert(QStringLiteral("localSpecs"), QJsonObject{{QStringLiteral("quantizations"), QJsonArray{QStringLiteral("Q4")}},
                                                              {QStringLiteral("appleSiliconOptimized"), false},
                                                              {QStringLiteral("kvCacheMbPer4k"), 512}});
        const QuorAIModelCatalogDocument document = QuorAIModelCatalogDocument::decode(
            bytes(CatalogTest::document(QJsonArray{full, model(QStringLiteral("cloudco/bare"))})));
        QCOMPARE(QuorAIModelCatalogDocument::fromJson(document.toJson()), document);

        const QJsonObject bare = document.models.at(1).toJson();
        for (const char* key : {"pricing", "performance", "localSpecs", "releaseDate", "knowledgeCutoff", "license"}) {
            QVERIFY2(!bare.contains(QLatin1String(key)), key);
        }
        const QJsonObject pricing = document.models.at(0).toJson().value(QStringLiteral("pricing")).toObject();
        QVERIFY(!pricing.contains(QStringLiteral("outputPer1M")));
        QCOMPARE(pricing.value(QStringLiteral("batchOutputPer1M")).toDouble(), 0.3);
    }

    void equalityAndHashingFollowEveryMember()
    {
        QJsonObject first = model(QStringLiteral("cloudco/a"));
        first.insert(QStringLiteral("aliases"), QJsonArray{QStringLiteral("one"), QStringLiteral("two")});
        QJsonObject second = first;
        second.insert(QStringLiteral("aliases"), QJsonArray{QStringLiteral("one"), QStringLiteral("three")});
        const QuorAIModelSpec a = decodeModel(first);
        const QuorAIModelSpec b = decodeModel(second);
        QVERIFY(a != b);
        QVERIFY(qHash(a) != qHash(b));
        QCOMPARE(qHash(decodeModel(first)), qHash(a));
        const QSet<QuorAIModelSpec> set{a, b, decodeModel(first)};
        QCOMPARE(set.size(), 2);

        // An absent price and a price of nothing are different values.
        QuorAIModelPricing zero{QStringLiteral("USD"), 0.0};
        QuorAIModelPricing absent{QStringLiteral("USD")};
        QVERIFY(zero != absent);
        QVERIFY(qHash(zero) != qHash(absent));

        QuorAIDiscoveredLocalModel sized{QStringLiteral("ollama/x"), QStringLiteral("ollama"), QStringLiteral("x"),
                                         QStringLiteral("x (Ollama)"), 10, std::nullopt};
        QuorAIDiscoveredLocalModel unsized = sized;
        unsized.sizeBytes.reset();
        QVERIFY(sized != unsized);
    }

    void bilingualTextsFallBackToTheOtherLanguage()
    {
        const QuorAILocalizedText both{QStringLiteral("Merhaba"), QStringLiteral("Hello")};
        QCOMPARE(both.resolved(QuorLanguage::tr), QStringLiteral("Merhaba"));
        QCOMPARE(both.resolved(QuorLanguage::en), QStringLiteral("Hello"));
        QCOMPARE(both.resolved(QuorLanguage::de), QStringLiteral("Hello"));

        const QuorAILocalizedText noTurkish{QString(), QStringLiteral("Hello")};
        QCOMPARE(noTurkish.resolved(QuorLanguage::tr), QStringLiteral("Hello"));
        const QuorAILocalizedText noEnglish{QStringLiteral("Merhaba"), QString()};
        QCOMPARE(noEnglish.resolved(QuorLanguage::en), QStringLiteral("Merhaba"));
        QCOMPARE(noEnglish.resolved(QuorLanguage::fr), QStringLiteral("Merhaba"));
        QCOMPARE(QuorAILocalizedText{}.resolved(QuorLanguage::tr), QString());
        const QuorAILocalizedText spaces{QStringLiteral(" "), QStringLiteral("Hello")};
        QCOMPARE(spaces.resolved(QuorLanguage::tr), QStringLiteral(" "));

        const QuorAILocalizedList list{{QStringLiteral("hızlı")}, {QStringLiteral("fast")}};
        QCOMPARE(list.resolved(QuorLanguage::fr), QStringList{QStringLiteral("fast")});
        QCOMPARE(list.resolved(QuorLanguage::tr), QStringList{QStringLiteral("hızlı")});
        const QuorAILocalizedList turkishOnly{{QStringLiteral("hızlı")}, {}};
        QCOMPARE(turkishOnly.resolved(QuorLanguage::de), QStringList{QStringLiteral("hızlı")});
    }

    void localAndFreeFlags()
    {
        QVERIFY(localModel(std::nullopt, std::nullopt, QStringLiteral("Local")).isLocal());
        QVERIFY(!localModel(std::nullopt, std::nullopt, QStringLiteral(" local")).isLocal());
        QVERIFY(QuorAIProviderSpec::fromJson(provider(QStringLiteral("p"), QStringLiteral("LOCAL"))).isLocal());

        QVERIFY((QuorAIModelPricing{QStringLiteral("USD")}).isFree());
        QVERIFY((QuorAIModelPricing{QStringLiteral("USD"), 0.0}).isFree());
        QVERIFY(!(QuorAIModelPricing{QStringLiteral("USD"), 0.0, 0.5}).isFree());
        QuorAIModelPricing freeTier{QStringLiteral("USD"), 1.0};
        freeTier.freeTierAvailable = true;
        QVERIFY(!freeTier.isFree());
        QuorAIModelPricing onlyCached{QStringLiteral("USD")};
        onlyCached.cachedInputPer1M = 3;
        QVERIFY(onlyCached.isFree());
    }

    void ramFitAgainstTheHostsMemory()
    {
        const QuorAIModelSpec defaults = localModel(std::nullopt, std::nullopt);
        QCOMPARE(defaults.ramFit(8), QuorAIRamFit::tight);
        QCOMPARE(defaults.ramFit(12), QuorAIRamFit::comfortable);
        QCOMPARE(defaults.ramFit(7.9), QuorAIRamFit::exceeds);

        const QuorAIModelSpec sixteen = localModel(16, std::nullopt);
        QCOMPARE(sixteen.ramFit(24), QuorAIRamFit::comfortable);
        QCOMPARE(sixteen.ramFit(16), QuorAIRamFit::tight);
        QCOMPARE(sixteen.ramFit(15.99), QuorAIRamFit::exceeds);

        // A recommendation below the minimum is taken as published.
        QCOMPARE(localModel(16, 8).ramFit(10), QuorAIRamFit::comfortable);

        QuorAIModelSpec withoutSpecs = localModel(8, 12);
        withoutSpecs.localSpecs.reset();
        QCOMPARE(withoutSpecs.ramFit(64), QuorAIRamFit::cloud);
        QCOMPARE(localModel(8, 12, QStringLiteral("cloud")).ramFit(64), QuorAIRamFit::cloud);

        QCOMPARE(QuorAIRamFits::fromRawValue(QStringLiteral("tight")), QuorAIRamFit::tight);
        QVERIFY(!QuorAIRamFits::fromRawValue(QStringLiteral("Tight")));
        for (const QuorAIRamFit fit : QuorAIRamFits::allCases()) {
            QCOMPARE(QuorAIRamFits::fromRawValue(QuorAIRamFits::rawValue(fit)), fit);
        }

        const double expected = static_cast<double>(::sysconf(_SC_PHYS_PAGES)) * static_cast<double>(::sysconf(_SC_PAGESIZE))
            / (1024.0 * 1024.0 * 1024.0);
        QVERIFY(QuorAIRamFits::hostMemoryGB() > 0);
        QCOMPARE(QuorAIRamFits::hostMemoryGB(), expected);
    }

    void lookupsScanInDocumentOrder()
    {
        QJsonObject aliased = model(QStringLiteral("cloudco/first"));
        aliased.insert(QStringLiteral("aliases"), QJsonArray{QStringLiteral("Shared-Name")});
        QJsonObject exact = model(QStringLiteral("shared-name"));
        QJsonObject vision = model(QStringLiteral("Ollama/Vision"), QStringLiteral("OLLAMA"), QStringLiteral("local"));
        vision.insert(QStringLiteral("capabilities"), capabilities(false, true));
        vision.insert(QStringLiteral("recommendedFor"), QJsonArray{QStringLiteral("Vision")});
        const QuorAIModelCatalogDocument document =
            QuorAIModelCatalogDocument::decode(bytes(CatalogTest::document(QJsonArray{aliased, exact, vision})));

        QCOMPARE(document.model(QStringLiteral("shared-name"))->id, QStringLiteral("cloudco/first"));
        QCOMPARE(document.model(QStringLiteral("  OLLAMA/vision\n"))->id, QStringLiteral("Ollama/Vision"));
        QCOMPARE(document.model(QStringLiteral("FIRST"))->id, QStringLiteral("cloudco/first")); // the API model id
        QVERIFY(!document.model(QStringLiteral("   ")));
        QVERIFY(!document.model(QStringLiteral("missing")));

        QCOMPARE(document.provider(QStringLiteral("CLOUDCO"))->id, QStringLiteral("cloudco"));
        QVERIFY(!document.provider(QStringLiteral("cloudco ")));

        QCOMPARE(document.modelsMatching().size(), 3);
        QCOMPARE(document.modelsMatching(QStringLiteral("ollama")).size(), 1);
        QCOMPARE(document.modelsMatching(QString(), QStringLiteral("LOCAL")).size(), 1);
        QCOMPARE(document.modelsMatching(std::nullopt, std::nullopt, QStringLiteral("vision")).size(), 0);
        QCOMPARE(document.modelsMatching(std::nullopt, std::nullopt, QStringLiteral("Vision")).size(), 1);
        QCOMPARE(document.modelsMatching(std::nullopt, std::nullopt, std::nullopt, true).size(), 2);
        QCOMPARE(document.modelsMatching(std::nullopt, std::nullopt, std::nullopt, true, true).size(), 0);
        QCOMPARE(document.modelsMatching(std::nullopt, std::nullopt, QString(), false, true).first().id,
                 QStringLiteral("Ollama/Vision"));
    }

    void syncRecordCoding()
    {
        const QByteArray minimal = R"({"sourceUrl": "catalog-source", "origin": "localCache"})";
        const QuorAIModelSyncMeta meta = QuorAIModelSyncMeta::fromJson(QuorJson::parseObject(minimal));
        QVERIFY(!meta.etag && !meta.lastCheckedAt);
        QCOMPARE(meta.origin, QuorAICatalogOrigin::localCache);

        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorAIModelSyncMeta::fromJson(QuorJson::parseObject(
                                                        R"({"sourceUrl": "u", "origin": "LocalCache"})")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError,
                                 QuorAIModelSyncMeta::fromJson(QuorJson::parseObject(R"({"origin": "remote"})")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError,
                                 QuorAIModelSyncMeta::fromJson(QuorJson::parseObject(R"({"sourceUrl": "u"})")));

        QuorAIModelSyncMeta full;
        full.etag = QStringLiteral("\"abc\"");
        full.lastCheckedAt = QStringLiteral("2025-01-01T00:00:00Z");
        full.sourceUrl = QStringLiteral("u");
        full.origin = QuorAICatalogOrigin::remote;
        QCOMPARE(QuorAIModelSyncMeta::fromJson(full.toJson()), full);
        QVERIFY(!full.toJson().contains(QStringLiteral("lastSyncedAt")));
        for (const QuorAICatalogOrigin origin : QuorAICatalogOrigins::allCases()) {
            QCOMPARE(QuorAICatalogOrigins::fromRawValue(QuorAICatalogOrigins::rawValue(origin)), origin);
        }
    }

    // The catalog the kit ships must be usable on its own: it is what a first start without
    // network shows.
    void shippedFallbackCatalogIsUsable()
    {
        const std::optional<QString> path = QuorBundle::main().pathForResource(QStringLiteral("ai-models-default"),
                                                                               QStringLiteral("json"));
        QVERIFY(path);
        QFile file(*path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QuorAIModelCatalogDocument document = QuorAIModelCatalogDocument::decode(file.readAll());
        QCOMPARE(QuorAIModelRegistry::loadBundledFallback(), document);
        QVERIFY(document.models.size() >= 3);

        QSet<QString> ids;
        bool local = false;
        bool cloud = false;
        for (const QuorAIModelSpec& model : document.models) {
            QVERIFY2(!ids.contains(model.id.toLower()), qPrintable(model.id));
            ids.insert(model.id.toLower());
            const std::optional<QuorAIProviderSpec> provider = document.provider(model.providerId);
            QVERIFY2(provider, qPrintable(model.id));
            QCOMPARE(provider->isLocal(), model.isLocal());
            QVERIFY2(!model.summary.en.isEmpty() && !model.summary.tr.isEmpty(), qPrintable(model.id));
            if (model.isLocal()) {
                local = true;
                QVERIFY2(model.localSpecs && model.localSpecs->minRamGb, qPrintable(model.id));
                QVERIFY2(!model.pricing, qPrintable(model.id));
            } else {
                cloud = true;
                QVERIFY2(model.pricing && !model.pricing->isFree(), qPrintable(model.id));
                QVERIFY2(provider->requiresApiKey, qPrintable(model.id));
            }
            // Discovery finds catalog entries by the server's own model names.
            QCOMPARE(document.model(model.apiModelId)->id, model.id);
        }
        QVERIFY(local && cloud);
        for (const QString& id : {QStringLiteral("ollama"), QStringLiteral("lmstudio")}) {
            QVERIFY2(document.provider(id) && document.provider(id)->isLocal(), qPrintable(id));
        }
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorAIModelCatalog)
#include "tst_quoraimodelcatalog.moc"
