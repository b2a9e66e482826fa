#pragma once

#include "QuorKit/Cloud/QuorAIDiscoveredLocalModel.h"
#include "QuorKit/Cloud/QuorAIModelCatalogDocument.h"
#include "QuorKit/Cloud/QuorAIModelSyncMeta.h"
#include "QuorKit/Utilities/QuorBundle.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

class QNetworkAccessManager;

// Owns the AI model catalog on this computer: loads it from the cache under the data folder's
// "Tallowmer/AI", keeps it current against the published catalog (entity tags and a time-to-live
// of at least five minutes), falls back to the kit's "ai-models-default.json" when nothing usable
// is cached, and lists the models installed in local Ollama and LM Studio servers.
//
// Lives on the GUI thread; file reads, decoding and writes run on worker threads in between. No
// operation throws or reports an error: every failure degrades to the catalog already at hand.
class QuorAIModelRegistry : public QObject {
    Q_OBJECT
public:
    struct Current {
        QuorAIModelCatalogDocument document;
        QuorAIModelSyncMeta meta;
        bool operator==(const Current&) const = default;
    };
    struct SyncResult {
        QuorAIModelCatalogDocument document;
        QuorAIModelSyncMeta meta;
        bool updated = false;
        bool operator==(const SyncResult&) const = default;
    };

    // Answers longer than these are dropped like a failed transfer: a misbehaving server must not
    // make the app hold an unbounded body in memory (or on disk).
    static constexpr qint64 maximumCatalogBytes = 8 * 1024 * 1024;
    static constexpr qint64 maximumLocalListBytes = 4 * 1024 * 1024;

    // Without a cache folder, QuorPaths::tallowmerDirectory() + "/AI"; without a session, one of
    // its own. Nothing is read or created here.
    explicit QuorAIModelRegistry(const std::optional<QString>& cacheDirectory = std::nullopt,
                                 const std::optional<QString>& remoteURLOverride = std::nullopt,
                                 QNetworkAccessManager* session = nullptr, QObject* parent = nullptr);

    // The process-wide registry over the default folder and its own session (GUI thread).
    static QuorAIModelRegistry& shared();

    // "https://tallowmer.com/api/v1/ai/models.json".
    static QString defaultCatalogURL();
    // "com.tallowmer.aiModelsURL": a user-defaults override of the catalog address.
    static QString catalogURLDefaultsKey();
    // The first non-blank of `override`, $TALLOWMER_AI_MODELS_URL and the user-defaults override,
    // trimmed; else defaultCatalogURL(). Not validated here.
    static QString resolvedCatalogURL(const std::optional<QString>& override);

    QString cacheDirectory() const { return m_cacheDirectory; }
    std::optional<QString> remoteURLOverride() const { return m_remoteURLOverride; }
    QNetworkAccessManager* session() const;
    QString modelsFileURL() const; // cacheDirectory + "/models.json"
    QString metaFileURL() const;   // cacheDirectory + "/sync-meta.json"

    // The document in force and its record: from memory once held, else from the cache (a cache
    // without models counts as missing), else the fallback resource.
    QCoro::Task<Current> loadCurrent();

    // The kit's fallback catalog; an empty built-in document when the resource is missing or bad.
    static QuorAIModelCatalogDocument loadBundledFallback(const QuorBundle& bundle = QuorBundle::main());

    // Checks the published catalog unless the last check is younger than max(ttlSeconds, 300)
    // seconds (`force` skips that test and the entity tag). `updated` is true only when a new
    // usable document arrived.
    QCoro::Task<SyncResult> syncIfNeeded(bool force);

    // Asks Ollama ("/api/tags") and then LM Studio ("/models") under the given base addresses,
    // 1.4 seconds each, and matches what they list against the catalog. A server that is down or
    // answers nonsense contributes nothing.
    QCoro::Task<QList<QuorAIDiscoveredLocalModel>> discoverLocalModels(QString ollamaBaseURL, QString lmStudioBaseURL);

private:
    QString m_cacheDirectory;
    std::optional<QString> m_remoteURLOverride;
    QPointer<QNetworkAccessManager> m_session;
    std::optional<QuorAIModelCatalogDocument> m_inMemoryDocument;
    std::optional<QuorAIModelSyncMeta> m_inMemoryMeta;
};
