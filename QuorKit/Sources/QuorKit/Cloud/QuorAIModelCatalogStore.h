#pragma once

#include "QuorKit/Cloud/QuorAIDiscoveredLocalModel.h"
#include "QuorKit/Cloud/QuorAIModelCatalogDocument.h"
#include "QuorKit/Cloud/QuorAIModelRegistry.h"
#include "QuorKit/Cloud/QuorAIModelSyncMeta.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoro/QCoroTask>

// The GUI thread's face of the AI model catalog: the document, its sync record, the models found
// on local servers and a busy flag, each announced when it changes. One refresh runs at a time;
// a refresh asked for while another runs is dropped, not queued.
class QuorAIModelCatalogStore : public QObject {
    Q_OBJECT
public:
    static QString defaultOllamaBaseURL() { return QStringLiteral("http://127.0.0.1:11434"); }
    static QString defaultLMStudioBaseURL() { return QStringLiteral("http://127.0.0.1:1234/v1"); }

    // Starts with the kit's fallback catalog (a small resource read here, so the first frame has a
    // document) and a record saying so; touches neither the cache nor the network. The local
    // server addresses are for tests; the app uses the defaults. `registry` must outlive the store.
    explicit QuorAIModelCatalogStore(QuorAIModelRegistry* registry,
                                     const QString& ollamaBaseURL = defaultOllamaBaseURL(),
                                     const QString& lmStudioBaseURL = defaultLMStudioBaseURL(),
                                     QObject* parent = nullptr);

    // The process-wide store over QuorAIModelRegistry::shared() (GUI thread).
    static QuorAIModelCatalogStore& shared();

    const QuorAIModelCatalogDocument& document() const { return m_document; }
    const QuorAIModelSyncMeta& meta() const { return m_meta; }
    const QList<QuorAIDiscoveredLocalModel>& discoveredLocalModels() const { return m_discoveredLocalModels; }
    bool isSyncing() const { return m_isSyncing; }
    QuorAIModelRegistry* registry() const { return m_registry.data(); }

    // Publishes the cached catalog, then the result of a sync (forced or not), then, when asked,
    // the models on the local servers. Returns at once when a refresh is already running. Never
    // throws.
    QCoro::Task<> refresh(bool force, bool discoverLocal);

signals:
    void documentChanged();
    void metaChanged();
    void discoveredLocalModelsChanged();
    void isSyncingChanged(bool syncing);
    // After any of the above.
    void changed();

private:
    void publish(const QuorAIModelCatalogDocument& document, const QuorAIModelSyncMeta& meta);
    void setSyncing(bool syncing);

    QPointer<QuorAIModelRegistry> m_registry;
    QString m_ollamaBaseURL;
    QString m_lmStudioBaseURL;
    QuorAIModelCatalogDocument m_document;
    QuorAIModelSyncMeta m_meta;
    QList<QuorAIDiscoveredLocalModel> m_discoveredLocalModels;
    bool m_isSyncing = false;
};
