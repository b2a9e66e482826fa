#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"

QuorAIModelCatalogStore::QuorAIModelCatalogStore(QuorAIModelRegistry* registry, const QString& ollamaBaseURL,
                                                 const QString& lmStudioBaseURL, QObject* parent)
    : QObject(parent),
      m_registry(registry),
      m_ollamaBaseURL(ollamaBaseURL),
      m_lmStudioBaseURL(lmStudioBaseURL),
      m_document(QuorAIModelRegistry::loadBundledFallback())
{
    m_meta.sourceUrl = QuorAIModelRegistry::defaultCatalogURL();
    m_meta.origin = QuorAICatalogOrigin::bundled;
}

QuorAIModelCatalogStore& QuorAIModelCatalogStore::shared()
{
    // Never destroyed, like the registry it drives.
    static QuorAIModelCatalogStore* const store = new QuorAIModelCatalogStore(&QuorAIModelRegistry::shared());
    return *store;
}

QCoro::Task<> QuorAIModelCatalogStore::refresh(bool force, bool discoverLocal)
{
    if (m_isSyncing) {
        co_return;
    }
    setSyncing(true);
    const QPointer<QuorAIModelCatalogStore> self(this);
    const QPointer<QuorAIModelRegistry> registry = m_registry;
    if (!registry) {
        setSyncing(false);
        co_return;
    }

    const QuorAIModelRegistry::Current current = co_await registry->loadCurrent();
    if (!self) {
        co_return;
    }
    publish(current.document, current.meta);

    if (registry) {
        const QuorAIModelRegistry::SyncResult synced = co_await registry->syncIfNeeded(force);
        if (!self) {
            co_return;
        }
        publish(synced.document, synced.meta);
    }

    if (discoverLocal && registry) {
        QList<QuorAIDiscoveredLocalModel> found = co_await registry->discoverLocalModels(m_ollamaBaseURL, m_lmStudioBaseURL);
        if (!self) {
            co_return;
        }
        m_discoveredLocalModels = std::move(found);
        emit discoveredLocalModelsChanged();
        emit changed();
    }
    setSyncing(false);
}

void QuorAIModelCatalogStore::publish(const QuorAIModelCatalogDocument& document, const QuorAIModelSyncMeta& meta)
{
    m_document = document;
    emit documentChanged();
    m_meta = meta;
    emit metaChanged();
    emit changed();
}

void QuorAIModelCatalogStore::setSyncing(bool syncing)
{
    m_isSyncing = syncing;
    emit isSyncingChanged(syncing);
    emit changed();
}
