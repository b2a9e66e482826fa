#include "CatalogTestSupport.h"

#include "QuorKit/Cloud/QuorAIModelRegistry.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorKit/Utilities/QuorSettings.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace CatalogTest;
using namespace std::chrono_literals;

namespace {
QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList temporaryFiles(const QString& folder)
{
    QStringList found;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (QuorAtomicFile::isTemporaryName(name)) {
            found.append(name);
        }
    }
    return found;
}

QString secondsAgo(qint64 seconds)
{
    return QuorJson::isoDate(QDateTime::currentDateTimeUtc().addSecs(-seconds));
}

QByteArray remoteCatalog(const QString& version, int models = 1)
{
    QJsonArray list;
    for (int index = 0; index < models; ++index) {
        list.append(model(QStringLiteral("cloudco/m%1").arg(index)));
    }
    QJsonObject document = CatalogTest::document(list, version);
    document.insert(QStringLiteral("publisherExtension"), QJsonObject{{QStringLiteral("kept"), true}});
    return bytes(document);
}

// A folder holding a usable cache whose last check was `checkedSecondsAgo` ago.
struct SeededCache {
    QTemporaryDir folder;
    QuorAIModelSyncMeta meta;

    SeededCache(qint64 checkedSecondsAgo, qint64 ttlSeconds, const QString& etag = QStringLiteral("\"cached\""))
    {
        writeFile(folder.filePath(QStringLiteral("models.json")),
                  bytes(document(QJsonArray{model(QStringLiteral("cloudco/cached"))}, QStringLiteral("cached-1"), ttlSeconds)));
        meta.etag = etag;
        meta.lastSyncedAt = secondsAgo(checkedSecondsAgo + 100);
        meta.lastCheckedAt = secondsAgo(checkedSecondsAgo);
        meta.sourceUrl = QStringLiteral("https://old.example.test/models.json");
        meta.catalogVersion = QStringLiteral("cached-1");
        meta.origin = QuorAICatalogOrigin::remote;
        writeFile(folder.filePath(QStringLiteral("sync-meta.json")), QuorJson::pretty(meta.toJson()));
    }
    QString path() const { return folder.path(); }
};
} // namespace

class TestQuorAIModelRegistry : public QObject {
    Q_OBJECT
private:
    QuorTestHttpServer m_server;
    QString catalogUrl() const { return m_server.url(QStringLiteral("/api/v1/ai/models.json")).toString(); }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }
    void init() { m_server.clearRequests(); }

    void catalogAddressAndCacheFolder()
    {
        QCOMPARE(QuorAIModelRegistry().cacheDirectory(), QuorPaths::tallowmerDirectory() + QStringLiteral("/AI"));
        QCOMPARE(QuorAIModelRegistry(QStringLiteral("/tmp/x")).modelsFileURL(), QStringLiteral("/tmp/x/models.json"));

        QCOMPARE(QuorAIModelRegistry::resolvedCatalogURL(std::nullopt), QuorAIModelRegistry::defaultCatalogURL());
        QuorSettings::standard().setValue(QuorAIModelRegistry::catalogURLDefaultsKey(), QStringLiteral(" https://defaults.test/c.json\n"));
        QCOMPARE(QuorAIModelRegistry::resolvedCatalogURL(QStringLiteral("   ")), QStringLiteral("https://defaults.test/c.json"));
        qputenv("TALLOWMER_AI_MODELS_URL", "  https://env.test/c.json ");
        QCOMPARE(QuorAIModelRegistry::resolvedCatalogURL(std::nullopt), QStringLiteral("https://env.test/c.json"));
        QCOMPARE(QuorAIModelRegistry::resolvedCatalogURL(QStringLiteral("\thttps://given.test/c.json ")),
                 QStringLiteral("https://given.test/c.json"));
        qunsetenv("TALLOWMER_AI_MODELS_URL");
        QuorSettings::standard().remove(QuorAIModelRegistry::catalogURLDefaultsKey());
    }

    void loadingPrefersAUsableCache()
    {
        const QuorAIModelCatalogDocument fallback = QuorAIModelRegistry::loadBundledFallback();
        QVERIFY(!fallback.models.isEmpty());

        QTemporaryDir empty;
        QuorAIModelRegistry nothingCached(empty.path(), catalogUrl());
        const auto first = quorAwait(nothingCached.loadCurrent());
        QCOMPARE(first.document, fallback);
        QCOMPARE(first.meta.origin, QuorAICatalogOrigin::bundled);
        QCOMPARE(first.meta.sourceUrl, catalogUrl());
        QCOMPARE(first.meta.catalogVersion, fallback.catalogVersion);
        QVERIFY(!first.meta.lastCheckedAt);

        // A cache without models, or a stored record beside it, does not count.
        QTemporaryDir noModels;
        writeFile(noModels.filePath(QStringLiteral("models.json")), bytes(document({})));
        writeFile(noModels.filePath(QStringLiteral("sync-meta.json")),
                  R"({"sourceUrl": "stale-source", "origin": "remote", "etag": "x"})");
        const auto second = quorAwait(QuorAIModelRegistry(noModels.path(), catalogUrl()).loadCurrent());
        QCOMPARE(second.meta.origin, QuorAICatalogOrigin::bundled);
        QVERIFY(!second.meta.etag);

        QTemporaryDir onlyModels;
        writeFile(onlyModels.filePath(QStringLiteral("models.json")), remoteCatalog(QStringLiteral("v7")));
        writeFile(onlyModels.filePath(QStringLiteral("sync-meta.json")), "{ not json");
        QuorAIModelRegistry cached(onlyModels.path(), catalogUrl());
        const auto third = quorAwait(cached.loadCurrent());
        QCOMPARE(third.meta.origin, QuorAICatalogOrigin::localCache);
        QCOMPARE(third.meta.catalogVersion, QStringLiteral("v7"));
        QCOMPARE(third.document.models.size(), 1);

        // Once held, the files are not read again.
        QVERIFY(QFile::remove(onlyModels.filePath(QStringLiteral("models.json"))));
        QCOMPARE(quorAwait(cached.loadCurrent()), third);

        SeededCache seeded(10, 3600);
        QCOMPARE(quorAwait(QuorAIModelRegistry(seeded.path(), catalogUrl()).loadCurrent()).meta, seeded.meta);
    }

    void fallbackWithoutTheResource()
    {
        QTemporaryDir resources;
        const QuorBundle bare({}, resources.path());
        const QuorAIModelCatalogDocument builtIn = QuorAIModelRegistry::loadBundledFallback(bare);
        QCOMPARE(builtIn.catalogVersion, QStringLiteral("fallback"));
        QCOMPARE(builtIn.ttlSeconds, 21600);
        QCOMPARE(builtIn.source, QuorAIModelRegistry::defaultCatalogURL());
        QVERIFY(builtIn.models.isEmpty() && builtIn.providers.isEmpty());
        QVERIFY(QuorJson::parseIsoDate(builtIn.updatedAt));

        writeFile(resources.filePath(QStringLiteral("ai-models-default.json")), R"({"schemaVersion": 1})");
        QCOMPARE(QuorAIModelRegistry::loadBundledFallback(bare).catalogVersion, QStringLiteral("fallback"));
    }

    void firstSyncStoresTheBodyAsReceived()
    {
        QTemporaryDir folder;
        const QByteArray body = remoteCatalog(QStringLiteral("remote-1"), 2);
        m_server.enqueue("GET", "/api/v1/ai/models.json", QuorTestHttpResponse::json(body).withHeader("ETag", "\"r1\""));
        QuorAIModelRegistry registry(folder.path(), catalogUrl());
        const auto result = quorAwait(registry.syncIfNeeded(false));

        QVERIFY(result.updated);
        QCOMPARE(result.document.catalogVersion, QStringLiteral("remote-1"));
        QCOMPARE(result.meta.etag, QStringLiteral("\"r1\""));
        QCOMPARE(result.meta.origin, QuorAICatalogOrigin::remote);
        QCOMPARE(result.meta.sourceUrl, catalogUrl());
        QVERIFY(result.meta.lastCheckedAt && result.meta.lastSyncedAt == result.meta.lastCheckedAt);

        const auto request = m_server.lastRequest();
        QVERIFY(request);
        QCOMPARE(request->header("accept"), QByteArray("application/json"));
        QCOMPARE(request->header("user-agent"), QByteArray("QuorKit-AICatalog/1.0"));
        QVERIFY(!request->headers.contains("if-none-match"));

        QCOMPARE(readAll(registry.modelsFileURL()), body); // unknown keys survive
        QCOMPARE(readAll(registry.metaFileURL()), QuorJson::pretty(result.meta.toJson()));
        QVERIFY(temporaryFiles(folder.path()).isEmpty());
        QCOMPARE(quorAwait(registry.loadCurrent()).meta, result.meta);

        // Fresh now: no traffic until the time-to-live has passed.
        const auto again = quorAwait(registry.syncIfNeeded(false));
        QVERIFY(!again.updated);
        QCOMPARE(m_server.requestCount(), 1);

        // A new process reads what was stored.
        QuorAIModelRegistry restarted(folder.path(), catalogUrl());
        QCOMPARE(quorAwait(restarted.loadCurrent()), (QuorAIModelRegistry::Current{result.document, result.meta}));
    }

    void timeToLiveHasAFiveMinuteFloor()
    {
        struct Case {
            qint64 checkedSecondsAgo;
            qint64 ttlSeconds;
            bool expectRequest;
        };
        const Case cases[] = {
            {200, 60, false},   // below the floor
            {400, 60, true},    // past the floor
            {400, -5, true},    // a negative lifetime counts as the floor
            {400, 3600, false}, // within its own lifetime
            {3700, 3600, true},
            {-600, 60, false},  // stamped in the future: fresh until then
        };
        for (const Case& test : cases) {
            m_server.clearRequests();
            m_server.enqueue("GET", "/api/v1/ai/models.json", QuorTestHttpResponse::json("", 500));
            SeededCache seeded(test.checkedSecondsAgo, test.ttlSeconds);
            QuorAIModelRegistry registry(seeded.path(), catalogUrl());
            quorAwait(registry.syncIfNeeded(false));
            QVERIFY2(m_server.waitForRequests(test.expectRequest ? 1 : 0, 2s), qPrintable(QString::number(test.checkedSecondsAgo)));
            QCOMPARE(m_server.requestCount(), test.expectRequest ? 1 : 0);
            if (!test.expectRequest) {
                quorAwait(registry.syncIfNeeded(true));
                QCOMPARE(m_server.requestCount(), 1); // forcing skips the test
            }
        }

        m_server.clearRequests();
        SeededCache unparsable(10, 3600);
        QuorAIModelSyncMeta meta = unparsable.meta;
        meta.lastCheckedAt = QStringLiteral("yesterday");
        writeFile(unparsable.folder.filePath(QStringLiteral("sync-meta.json")), QuorJson::pretty(meta.toJson()));
        m_server.enqueue("GET", "/api/v1/ai/models.json", QuorTestHttpResponse::json("", 500));
        quorAwait(QuorAIModelRegistry(unparsable.path(), catalogUrl()).syncIfNeeded(false));
        QCOMPARE(m_server.requestCount(), 1);
    }

    void notModifiedOnlyStampsTheCheck()
    {
        SeededCache seeded(3600, 60);
        const QByteArray modelsBefore = readAll(seeded.folder.filePath(QStringLiteral("models.json")));
        m_server.enqueue("GET", "/api/v1/ai/models.json", QuorTestHttpResponse::text("", 304));
        QuorAIModelRegistry registry(seeded.path(), catalogUrl());
        const auto result = quorAwait(registry.syncIfNeeded(false));

        QCOMPARE(m_server.lastRequest()->header("if-none-match"), QByteArray("\"cached\""));
        QVERIFY(!result.updated);
        QCOMPARE(result.document.catalogVersion, QStringLiteral("cached-1"));
        QuorAIModelSyncMeta expected = seeded.meta;
        expected.lastCheckedAt = result.meta.lastCheckedAt;
        expected.sourceUrl = catalogUrl();
        QCOMPARE(result.meta, expected);
        QVERIFY(result.meta.lastCheckedAt != seeded.meta.lastCheckedAt);
        QCOMPARE(readAll(registry.metaFileURL()), QuorJson::pretty(expected.toJson()));
        QCOMPARE(readAll(registry.modelsFileURL()), modelsBefore);
        QCOMPARE(quorAwait(registry.loadCurrent()).meta, expected);
    }

    void forcedSyncIsUnconditional()
    {
        SeededCache seeded(10, 3600);
        m_server.enqueue("GET", "/api/v1/ai/models.json", QuorTestHttpResponse::json(remoteCatalog(QStringLiteral("forced"))));
        QuorAIModelRegistry registry(seeded.path(), catalogUrl());
        const auto result = quorAwait(registry.syncIfNeeded(true));
        QVERIFY(!m_server.lastRequest()->headers.contains("if-none-match"));
        QVERIFY(result.updated);
        QCOMPARE(result.meta.etag, QStringLiteral("\"cached\"")); // no ETag in the answer: the old one stays
        QCOMPARE(result.meta.catalogVersion, QStringLiteral("forced"));
    }

    void unusableAnswersChangeNothing()
    {
        const QList<QuorTestHttpResponse> answers{
            QuorTestHttpResponse::json(bytes(document({}))),                  // no models
            QuorTestHttpResponse::json(R"({"models": []})"),                  // not a catalog
            QuorTestHttpResponse::text("<html>maintenance</html>"),
            QuorTestHttpResponse::json(remoteCatalog(QStringLiteral("x")), 500),
            QuorTestHttpResponse::json(remoteCatalog(QStringLiteral("x")), 404),
            [] {
                QuorTestHttpResponse dropped;
                dropped.closeWithoutAnswer = true;
                return dropped;
            }(),
        };
        for (const QuorTestHttpResponse& answer : answers) {
            SeededCache seeded(3600, 60);
            const QByteArray modelsBefore = readAll(seeded.folder.filePath(QStringLiteral("models.json")));
            const QByteArray metaBefore = readAll(seeded.folder.filePath(QStringLiteral("sync-meta.json")));
            m_server.enqueue("GET", "/api/v1/ai/models.json", answer);
            QuorAIModelRegistry registry(seeded.path(), catalogUrl());
            const auto result = quorAwait(registry.syncIfNeeded(false));
            QVERIFY(!result.updated);
            QCOMPARE(result.meta, seeded.meta);
            QCOMPARE(readAll(registry.modelsFileURL()), modelsBefore);
            QCOMPARE(readAll(registry.metaFileURL()), metaBefore);
            QVERIFY(temporaryFiles(seeded.path()).isEmpty());
        }

        // An address that is not an http(s) URL is never contacted.
        m_server.clearRequests();
        for (const QString& address : {QStringLiteral("not a url"), QStringLiteral("file:///etc/passwd")}) {
            SeededCache seeded(3600, 60);
            QCOMPARE(quorAwait(QuorAIModelRegistry(seeded.path(), address).syncIfNeeded(true)).meta, seeded.meta);
        }
        QCOMPARE(m_server.requestCount(), 0);
    }

    void oversizedBodiesAreDropped()
    {
        const QByteArray padding(QuorAIModelRegistry::maximumCatalogBytes, ' ');
        const QByteArray body = remoteCatalog(QStringLiteral("huge")) + padding; // valid JSON, one byte too many at least

        QuorTestHttpResponse chunked;
        for (qsizetype offset = 0; offset < body.size(); offset += 1024 * 1024) {
            chunked.chunks.append(body.mid(offset, 1024 * 1024));
        }
        // Announced, sent without an announcement, or inflating far past the limit (whatever
        // language the network layer speaks): each is dropped as too large. One that does not
        // inflate at all is dropped as unreadable.
        const QuorForeignQtMessages foreign;
        const std::shared_ptr<QuorAppLogger> log = QuorSupportLog::logger();
        const QString tooLarge = QStringLiteral("failed: the answer grew past %1 bytes").arg(QuorAIModelRegistry::maximumCatalogBytes);
        const QList<QPair<QuorTestHttpResponse, QString>> answers{
            {QuorTestHttpResponse::json(body), tooLarge},
            {chunked, tooLarge},
            {QuorTestHttpResponse::gzipBomb(), tooLarge},
            {QuorTestHttpResponse::unreadableGzip(), QStringLiteral("failed: the answer could not be read")},
        };
        for (const auto& [answer, why] : answers) {
            SeededCache seeded(3600, 60);
            const QByteArray modelsBefore = readAll(seeded.folder.filePath(QStringLiteral("models.json")));
            m_server.enqueue("GET", "/api/v1/ai/models.json", answer);
            log->clear();
            QuorAIModelRegistry registry(seeded.path(), catalogUrl());
            const auto result = quorAwait(registry.syncIfNeeded(false), std::chrono::seconds(10));
            QVERIFY(!result.updated);
            QCOMPARE(result.document.catalogVersion, QStringLiteral("cached-1"));
            QCOMPARE(readAll(registry.modelsFileURL()), modelsBefore);
            const QList<QuorLogEntry> entries = log->recentEntries(10);
            QVERIFY2(std::any_of(entries.cbegin(), entries.cend(),
                                 [&why](const QuorLogEntry& entry) { return entry.message.contains(why); }),
                     qPrintable(entries.isEmpty() ? QString() : entries.first().message));
        }

        // Just under the limit is fine.
        QTemporaryDir folder;
        const QByteArray small = remoteCatalog(QStringLiteral("fits"));
        const QByteArray fits = small + QByteArray(QuorAIModelRegistry::maximumCatalogBytes - small.size(), ' ');
        m_server.enqueue("GET", "/api/v1/ai/models.json", QuorTestHttpResponse::json(fits));
        QVERIFY(quorAwait(QuorAIModelRegistry(folder.path(), catalogUrl()).syncIfNeeded(false)).updated);
    }

    void aFailedReplaceLeavesNoTemporaryFileAndNoMismatchedRecord()
    {
        QTemporaryDir folder;
        // A folder where the catalog file belongs makes the replacement fail.
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("models.json/occupied")));
        m_server.enqueue("GET", "/api/v1/ai/models.json",
                         QuorTestHttpResponse::json(remoteCatalog(QStringLiteral("r2"))).withHeader("ETag", "\"r2\""));
        QuorAIModelRegistry registry(folder.path(), catalogUrl());
        const auto result = quorAwait(registry.syncIfNeeded(false));

        QVERIFY(result.updated); // the new catalog is in force for this run
        QCOMPARE(quorAwait(registry.loadCurrent()).document.catalogVersion, QStringLiteral("r2"));
        QVERIFY(temporaryFiles(folder.path()).isEmpty());
        // No record naming an entity tag whose document is not on disk.
        QVERIFY(!QFile::exists(registry.metaFileURL()));
    }

    void discoveryMatchesLocalModelsAgainstTheCatalog()
    {
        QTemporaryDir folder;
        QJsonObject ollamaModel = model(QStringLiteral("ollama/qwen3:8b"), QStringLiteral("ollama"), QStringLiteral("local"));
        QJsonObject aliased = model(QStringLiteral("ollama/llama3.2:3b"), QStringLiteral("ollama"), QStringLiteral("local"));
        aliased.insert(QStringLiteral("aliases"), QJsonArray{QStringLiteral("llama3.2:latest")});
        QJsonObject studio = model(QStringLiteral("lmstudio/qwen3-8b"), QStringLiteral("lmstudio"), QStringLiteral("local"));
        studio.insert(QStringLiteral("apiModelId"), QStringLiteral("qwen/qwen3-8b"));
        writeFile(folder.filePath(QStringLiteral("models.json")), bytes(document(QJsonArray{ollamaModel, aliased, studio})));

        QuorTestHttpServer local;
        QVERIFY(local.start());
        local.route("GET", "/api/tags", QuorTestHttpResponse::json(R"({"models": [
            {"name": "qwen3:8b", "size": 5225388164, "digest": "abc"},
            {"name": ""},
            {"size": 12},
            {"name": "llama3.2:latest", "size": "2 GB"},
            {"name": "huge:1b", "size": 1.5e30},
            {"name": "half:1b", "size": 10.75},
            {"name": "qwen3:8b", "size": 1}
        ]})"));
        local.route("GET", "/v1/models", QuorTestHttpResponse::json(R"({"object": "list", "data": [
            {"id": "qwen/qwen3-8b", "object": "model"}, {"id": 7}, {"id": "other-model"}
        ]})"));

        QuorAIModelRegistry registry(folder.path(), catalogUrl());
        const auto found = quorAwait(registry.discoverLocalModels(local.baseUrl().toString() + QStringLiteral("/"),
                                                                  local.url(QStringLiteral("/v1/")).toString()));
        QStringList ids;
        for (const auto& entry : found) {
            ids.append(entry.id);
        }
        QCOMPARE(ids, (QStringList{QStringLiteral("ollama/qwen3:8b"), QStringLiteral("ollama/llama3.2:latest"),
                                   QStringLiteral("ollama/huge:1b"), QStringLiteral("ollama/half:1b"),
                                   QStringLiteral("ollama/qwen3:8b"), QStringLiteral("lmstudio/qwen/qwen3-8b"),
                                   QStringLiteral("lmstudio/other-model")}));

        QCOMPARE(found[0].providerId, QStringLiteral("ollama"));
        QCOMPARE(found[0].apiModelId, QStringLiteral("qwen3:8b"));
        QCOMPARE(found[0].sizeBytes, 5225388164LL);
        QCOMPARE(found[0].catalogMatch->id, QStringLiteral("ollama/qwen3:8b"));
        QCOMPARE(found[0].displayName, QStringLiteral("Display qwen3:8b"));
        QCOMPARE(found[1].catalogMatch->id, QStringLiteral("ollama/llama3.2:3b")); // through the bare name's alias
        QVERIFY(!found[1].sizeBytes);
        QVERIFY(!found[2].sizeBytes); // no 64-bit integer holds it
        QCOMPARE(found[2].displayName, QStringLiteral("huge:1b (Ollama)"));
        QVERIFY(!found[2].catalogMatch);
        QCOMPARE(found[3].sizeBytes, 10LL);
        QCOMPARE(found[5].providerId, QStringLiteral("lmstudio"));
        QCOMPARE(found[5].catalogMatch->id, QStringLiteral("lmstudio/qwen3-8b"));
        QVERIFY(!found[5].sizeBytes);
        QCOMPARE(found[6].displayName, QStringLiteral("other-model (LM Studio)"));

        QCOMPARE(local.requests("/api/tags").size(), 1);
        QCOMPARE(local.requests("/v1/models").size(), 1);
    }

    void oneFailingServerDoesNotSilenceTheOther()
    {
        QTemporaryDir folder;
        QuorTestHttpServer lmStudio;
        QVERIFY(lmStudio.start());
        lmStudio.route("GET", "/v1/models", QuorTestHttpResponse::json(R"({"data": [{"id": "m"}]})"));
        const QString studioBase = lmStudio.url(QStringLiteral("/v1")).toString();

        QuorTestHttpServer ollama;
        QVERIFY(ollama.start());
        const QList<QuorTestHttpResponse> broken{
            QuorTestHttpResponse::text("not json"),
            QuorTestHttpResponse::json(R"({"models": {"name": "x"}})"),
            QuorTestHttpResponse::json(R"({"models": [{"name": "x"}, 3]})"),
            QuorTestHttpResponse::json(R"([{"name": "x"}])"),
            QuorTestHttpResponse::json(R"({"models": [{"name": "x"}]})", 500),
        };
        QuorAIModelRegistry registry(folder.path(), catalogUrl());
        for (const QuorTestHttpResponse& answer : broken) {
            ollama.enqueue("GET", "/api/tags", answer);
            const auto found = quorAwait(registry.discoverLocalModels(ollama.baseUrl().toString(), studioBase));
            QCOMPARE(found.size(), 1);
            QCOMPARE(found.first().id, QStringLiteral("lmstudio/m"));
        }

        // A server that is not there, and an address that is not one.
        QuorTestHttpServer gone;
        QVERIFY(gone.start());
        const QString goneBase = gone.baseUrl().toString();
        gone.stop();
        QCOMPARE(quorAwait(registry.discoverLocalModels(goneBase, studioBase)).size(), 1);
        QCOMPARE(quorAwait(registry.discoverLocalModels(QStringLiteral("::nonsense::"), goneBase)).size(), 0);
    }

    void aSilentServerCostsItsTimeOutOnly()
    {
        QTemporaryDir folder;
        QuorTestHttpServer local;
        QVERIFY(local.start());
        QuorTestHttpResponse silent = QuorTestHttpResponse::json(R"({"models": [{"name": "late"}]})");
        silent.delay = 3s;
        local.enqueue("GET", "/api/tags", silent);
        local.route("GET", "/v1/models", QuorTestHttpResponse::json(R"({"data": [{"id": "m"}]})"));

        QuorAIModelRegistry registry(folder.path(), catalogUrl());
        quorAwait(registry.loadCurrent());
        QElapsedTimer timer;
        timer.start();
        const auto found = quorAwait(registry.discoverLocalModels(local.baseUrl().toString(),
                                                                  local.url(QStringLiteral("/v1")).toString()));
        QVERIFY2(timer.elapsed() < 2600, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(timer.elapsed() >= 1300);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().id, QStringLiteral("lmstudio/m"));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorAIModelRegistry)
#include "tst_quoraimodelregistry.moc"
