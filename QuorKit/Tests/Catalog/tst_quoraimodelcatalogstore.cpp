#include "CatalogTestSupport.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace CatalogTest;
using namespace std::chrono_literals;

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray catalogWith(const QString& version, const QJsonArray& models)
{
    return bytes(document(models, version));
}
} // namespace

class TestQuorAIModelCatalogStore : public QObject {
    Q_OBJECT
private:
    QuorTestHttpServer m_server;
    QString m_closedBase; // an address where nothing listens

    QString catalogUrl() const { return m_server.url(QStringLiteral("/catalog.json")).toString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        QuorTestHttpServer gone;
        QVERIFY(gone.start());
        m_closedBase = gone.baseUrl().toString();
    }
    void init() { m_server.clearRequests(); }

    void startsWithTheFallbackWithoutTouchingTheCache()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("models.json")),
                  catalogWith(QStringLiteral("cached"), QJsonArray{model(QStringLiteral("cloudco/a"))}));
        QuorAIModelRegistry registry(folder.path(), catalogUrl());
        QuorAIModelCatalogStore store(&registry, m_closedBase, m_closedBase);

        QCOMPARE(store.document(), QuorAIModelRegistry::loadBundledFallback());
        QCOMPARE(store.meta().origin, QuorAICatalogOrigin::bundled);
        QCOMPARE(store.meta().sourceUrl, QuorAIModelRegistry::defaultCatalogURL());
        QVERIFY(!store.meta().lastCheckedAt);
        QVERIFY(!store.isSyncing());
        QVERIFY(store.discoveredLocalModels().isEmpty());
        QCOMPARE(m_server.requestCount(), 0);

        // The first refresh replaces both.
        m_server.enqueue("GET", "/catalog.json", QuorTestHttpResponse::text("", 503));
        quorAwait(store.refresh(false, false));
        QCOMPARE(store.document().catalogVersion, QStringLiteral("cached"));
        QCOMPARE(store.meta().origin, QuorAICatalogOrigin::localCache);
        QCOMPARE(store.meta().sourceUrl, catalogUrl());
    }

    void aRefreshPublishesTheCacheThenTheSyncThenTheLocalModels()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("models.json")),
                  catalogWith(QStringLiteral("cached"), QJsonArray{model(QStringLiteral("cloudco/a"))}));
        m_server.enqueue("GET", "/catalog.json",
                         QuorTestHttpResponse::json(catalogWith(QStringLiteral("remote"),
                                                                QJsonArray{model(QStringLiteral("ollama/llama3.2:3b"),
                                                                                 QStringLiteral("ollama"),
                                                                                 QStringLiteral("local"))}))
                             .withHeader("ETag", "\"e\""));
        QuorTestHttpServer ollama;
        QVERIFY(ollama.start());
        ollama.route("GET", "/api/tags", QuorTestHttpResponse::json(R"({"models": [{"name": "llama3.2:3b", "size": 2019393189}]})"));

        QuorAIModelRegistry registry(folder.path(), catalogUrl());
        QuorAIModelCatalogStore store(&registry, ollama.baseUrl().toString(), m_closedBase);
        QStringList published;
        connect(&store, &QuorAIModelCatalogStore::documentChanged, this,
                [&] { published.append(store.document().catalogVersion); });
        QSignalSpy syncing(&store, &QuorAIModelCatalogStore::isSyncingChanged);

        quorAwait(store.refresh(false, true));
        QCOMPARE(published, (QStringList{QStringLiteral("cached"), QStringLiteral("remote")}));
        QCOMPARE(store.meta().origin, QuorAICatalogOrigin::remote);
        QCOMPARE(store.meta().etag, QStringLiteral("\"e\""));
        QCOMPARE(store.discoveredLocalModels().size(), 1);
        QCOMPARE(store.discoveredLocalModels().first().catalogMatch->id, QStringLiteral("ollama/llama3.2:3b"));
        QCOMPARE(syncing.size(), 2);
        QCOMPARE(syncing.at(0).at(0).toBool(), true);
        QVERIFY(!store.isSyncing());

        // Without discovery the list stays; with discovery and no server it is cleared.
        ollama.stop();
        quorAwait(store.refresh(true, false));
        QCOMPARE(store.discoveredLocalModels().size(), 1);
        QuorAIModelCatalogStore quiet(&registry, m_closedBase, m_closedBase);
        QSignalSpy cleared(&store, &QuorAIModelCatalogStore::discoveredLocalModelsChanged);
        quorAwait(store.refresh(false, true));
        QVERIFY(store.discoveredLocalModels().isEmpty());
        QCOMPARE(cleared.size(), 1);
    }

    void aRefreshWithoutNetworkShowsWhatIsAtHand()
    {
        QTemporaryDir folder;
        QuorAIModelRegistry registry(folder.path(), m_closedBase + QStringLiteral("/catalog.json"));
        QuorAIModelCatalogStore store(&registry, m_closedBase, m_closedBase);
        QSignalSpy documents(&store, &QuorAIModelCatalogStore::documentChanged);
        quorAwait(store.refresh(true, true));
        QCOMPARE(documents.size(), 2);
        QCOMPARE(store.document(), QuorAIModelRegistry::loadBundledFallback());
        QCOMPARE(store.meta().origin, QuorAICatalogOrigin::bundled);
        QVERIFY(!store.meta().lastCheckedAt);
        QVERIFY(!store.isSyncing());
    }

    void oneRefreshAtATime()
    {
        QTemporaryDir folder;
        QuorTestHttpResponse slow = QuorTestHttpResponse::json(
            catalogWith(QStringLiteral("slow"), QJsonArray{model(QStringLiteral("cloudco/a"))}));
        slow.delay = 300ms;
        m_server.enqueue("GET", "/catalog.json", slow);
        QuorAIModelRegistry registry(folder.path(), catalogUrl());
        QuorAIModelCatalogStore store(&registry, m_closedBase, m_closedBase);

        QCoro::Task<> first = store.refresh(true, false);
        QVERIFY(store.isSyncing());
        QCoro::Task<> second = store.refresh(true, true); // dropped, not queued
        QVERIFY(second.isReady());
        QVERIFY(store.isSyncing());
        quorAwait(std::move(first));
        quorAwait(std::move(second));
        QVERIFY(!store.isSyncing());
        QCOMPARE(m_server.requestCount(), 1);
        QCOMPARE(store.document().catalogVersion, QStringLiteral("slow"));

        // Once idle, the next refresh runs again.
        m_server.enqueue("GET", "/catalog.json", QuorTestHttpResponse::text("", 304));
        quorAwait(store.refresh(true, false));
        QCOMPARE(m_server.requestCount(), 2);
    }

    void sharedStoreStartsFromTheFallback()
    {
        QuorAIModelCatalogStore& shared = QuorAIModelCatalogStore::shared();
        QCOMPARE(&shared, &QuorAIModelCatalogStore::shared());
        QCOMPARE(shared.registry(), &QuorAIModelRegistry::shared());
        QCOMPARE(shared.document(), QuorAIModelRegistry::loadBundledFallback());
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorAIModelCatalogStore)
#include "tst_quoraimodelcatalogstore.moc"
