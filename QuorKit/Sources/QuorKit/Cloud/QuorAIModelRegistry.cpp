#include "QuorKit/Cloud/QuorAIModelRegistry.h"

#include "QuorKit/Cloud/QuorReplySizeLimit.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorKit/Utilities/QuorRegularFile.h"
#include "QuorKit/Utilities/QuorSettings.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QUrl>
#include <QtConcurrent>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using Current = QuorAIModelRegistry::Current;
using SyncResult = QuorAIModelRegistry::SyncResult;

constexpr int catalogTimeoutMs = 8000;
constexpr int localServerTimeoutMs = 1400;
constexpr qint64 freshnessFloorSeconds = 300;

// ---- files (run on worker threads) ----

// Only a regular file is read: a FIFO or a device in a cache file's place is passed over.
std::optional<QByteArray> readSmallFile(const QString& path, qint64 limit)
{
    QuorRegularFile::ReadResult read = QuorRegularFile::read(path, limit);
    if (!read.ok()) {
        return std::nullopt;
    }
    return std::move(read.bytes);
}

void logCatalog(const QString& message)
{
    QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::catalog, message);
}

// A catalog worth keeping: it decodes and lists at least one model. `source` names a downloaded
// one, whose refusal goes to the log.
std::optional<QuorAIModelCatalogDocument> usableCatalog(const QByteArray& bytes, const QString& source = {})
{
    try {
        QuorAIModelCatalogDocument document = QuorAIModelCatalogDocument::decode(bytes);
        if (!document.models.isEmpty()) {
            return document;
        }
        if (!source.isEmpty()) {
            logCatalog(QStringLiteral("The catalog from %1 lists no models; the current one is kept").arg(source));
        }
    } catch (const QuorError& error) {
        if (!source.isEmpty()) {
            logCatalog(QStringLiteral("The catalog from %1 could not be read (%2); the current one is kept: %3")
                           .arg(source, QString::fromUtf8(error.what()), QuorSupportLog::excerpt(bytes)));
        }
    }
    return std::nullopt;
}

Current readCache(const QString& modelsPath, const QString& metaPath, const QString& catalogURL)
{
    std::optional<QuorAIModelSyncMeta> stored;
    if (const auto bytes = readSmallFile(metaPath, QuorAIModelRegistry::maximumCatalogBytes)) {
        try {
            stored = QuorAIModelSyncMeta::fromJson(QuorJson::parseObject(*bytes));
        } catch (const QuorError&) {
        }
    }
    if (const auto bytes = readSmallFile(modelsPath, QuorAIModelRegistry::maximumCatalogBytes)) {
        if (std::optional<QuorAIModelCatalogDocument> document = usableCatalog(*bytes)) {
            QuorAIModelSyncMeta meta;
            if (stored) {
                meta = *stored;
            } else {
                meta.sourceUrl = catalogURL;
                meta.catalogVersion = document->catalogVersion;
                meta.origin = QuorAICatalogOrigin::localCache;
            }
            return {std::move(*document), meta};
        }
    }
    // A stored record describes a cache that is no longer usable, so it is not carried over.
    QuorAIModelCatalogDocument fallback = QuorAIModelRegistry::loadBundledFallback();
    QuorAIModelSyncMeta meta;
    meta.sourceUrl = catalogURL;
    meta.catalogVersion = fallback.catalogVersion;
    meta.origin = QuorAICatalogOrigin::bundled;
    return {std::move(fallback), meta};
}

bool persistMeta(const QString& metaPath, const QuorAIModelSyncMeta& meta)
{
    return QuorAtomicFile::write(metaPath, QuorJson::pretty(meta.toJson())).ok;
}

// The body is kept as received, so fields this version does not know survive for a later one. The
// record is written only after the document: a record naming an entity tag whose document never
// reached the disk would make the next start keep the old catalog as "not modified".
void persistCatalog(const QString& modelsPath, const QByteArray& body, const QString& metaPath,
                    const QuorAIModelSyncMeta& meta)
{
    if (QuorAtomicFile::write(modelsPath, body).ok) {
        persistMeta(metaPath, meta);
    }
}

// ---- network ----

struct HttpAnswer {
    int status = 0;
    QByteArray body;
    QByteArray etag;
};

std::optional<QUrl> httpUrl(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return std::nullopt;
    }
    return url;
}

// True for replies that carry an HTTP status of the server's choosing (2xx, 3xx, 4xx, 5xx); false
// for connection, time-out, proxy and protocol failures, whose bodies are not answers.
bool isHttpAnswer(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::NoError
        || (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
        || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

// Sends a GET and waits for the whole answer. Nothing when the transfer failed, the answer was not
// HTTP, or its body grew beyond `limit` (the transfer is aborted as soon as it does) or would not
// inflate. With `report`, those failures are written to the catalog's log lines (local servers that
// are not running are not).
QCoro::Task<std::optional<HttpAnswer>> fetch(QPointer<QNetworkAccessManager> network, QNetworkRequest request,
                                             qint64 limit, bool report = false)
{
    if (!network) {
        co_return std::nullopt;
    }
    const QPointer<QNetworkReply> reply = network->get(QuorReplySizeLimit::prepared(request));
    const auto release = qScopeGuard([reply] {
        if (reply) {
            reply->deleteLater();
        }
    });
    QNetworkReply* const raw = reply.data();
    const std::shared_ptr<const QuorReplySizeLimit::Body> body = QuorReplySizeLimit::gather(raw, limit);
    if (!raw->isFinished()) {
        co_await qCoro(raw).waitForFinished();
    }
    const QString source = QuorSupportLog::address(request.url());
    if (!reply || body->exceeded || body->unreadable || !isHttpAnswer(reply->error())) {
        if (report && reply) {
            const QString why =
                body->exceeded     ? QStringLiteral("the answer grew past %1 bytes").arg(limit)
                : body->unreadable ? QStringLiteral("the answer could not be read (%1)").arg(reply->errorString())
                                   : QString::fromUtf8(QuorTransferError::fromReply(reply->error(), reply->errorString()).what())
                                         + QStringLiteral(" (") + reply->errorString() + QLatin1Char(')');
            logCatalog(QStringLiteral("Catalog sync from %1 failed: %2").arg(source, why));
        }
        co_return std::nullopt;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        if (report) {
            logCatalog(QStringLiteral("Catalog sync from %1 got no HTTP answer").arg(source));
        }
        co_return std::nullopt;
    }
    HttpAnswer answer;
    answer.status = status.toInt();
    answer.body = body->bytes;
    if (report && answer.status != 304 && (answer.status < 200 || answer.status > 299)) {
        logCatalog(QStringLiteral("Catalog sync from %1 answered HTTP %2: %3")
                       .arg(source, QString::number(answer.status), QuorSupportLog::excerpt(answer.body)));
    }
    answer.etag = reply->rawHeader("ETag");
    co_return answer;
}

// ---- local discovery ----

enum class LocalServer { ollama, lmStudio };

QString trimSlashes(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char('/')) {
        ++begin;
    }
    while (end > begin && text.at(end - 1) == QLatin1Char('/')) {
        --end;
    }
    return text.mid(begin, end - begin);
}

// A reported size as a whole number of bytes; a value no 64-bit integer can hold is left out
// rather than converted (such a conversion is undefined).
std::optional<qint64> reportedSize(const QJsonValue& value)
{
    if (!value.isDouble()) {
        return std::nullopt;
    }
    if (const std::optional<qint64> exact = QuorJson::int64Value(value)) {
        return exact;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || number <= -9223372036854775808.0 || number >= 9223372036854775808.0) {
        return std::nullopt;
    }
    return static_cast<qint64>(number);
}

// The array under `key` when every element is an object; nothing otherwise.
std::optional<QJsonArray> arrayOfObjects(const QByteArray& body, const QString& key)
{
    const QJsonDocument json = QJsonDocument::fromJson(body);
    if (!json.isObject()) {
        return std::nullopt;
    }
    const QJsonValue value = json.object().value(key);
    if (!value.isArray()) {
        return std::nullopt;
    }
    const QJsonArray array = value.toArray();
    const bool allObjects = std::all_of(array.begin(), array.end(), [](const QJsonValue& entry) { return entry.isObject(); });
    if (!allObjects) {
        return std::nullopt;
    }
    return array;
}

QuorAIDiscoveredLocalModel discovered(const QString& providerId, const QString& name, std::optional<qint64> size,
                                      const QString& suffix, const QuorAIModelCatalogDocument& document)
{
    const QString qualified = providerId + QLatin1Char('/') + name;
    std::optional<QuorAIModelSpec> match = document.model(qualified);
    if (!match) {
        match = document.model(name);
    }
    QuorAIDiscoveredLocalModel model;
    model.id = qualified;
    model.providerId = providerId;
    model.apiModelId = name;
    model.displayName = match ? match->displayName : name + suffix;
    model.sizeBytes = size;
    model.catalogMatch = std::move(match);
    return model;
}

QList<QuorAIDiscoveredLocalModel> parseLocalList(const QByteArray& body, LocalServer server,
                                                 const QuorAIModelCatalogDocument& document)
{
    const bool ollama = server == LocalServer::ollama;
    const std::optional<QJsonArray> entries = arrayOfObjects(body, ollama ? QStringLiteral("models") : QStringLiteral("data"));
    QList<QuorAIDiscoveredLocalModel> models;
    if (!entries) {
        return models;
    }
    for (const QJsonValue& value : *entries) {
        const QJsonObject entry = value.toObject();
        const QJsonValue name = entry.value(ollama ? QStringLiteral("name") : QStringLiteral("id"));
        if (!name.isString() || name.toString().isEmpty()) {
            continue;
        }
        if (ollama) {
            models.append(discovered(QStringLiteral("ollama"), name.toString(), reportedSize(entry.value(QStringLiteral("size"))),
                                     QStringLiteral(" (Ollama)"), document));
        } else {
            models.append(discovered(QStringLiteral("lmstudio"), name.toString(), std::nullopt,
                                     QStringLiteral(" (LM Studio)"), document));
        }
    }
    return models;
}

QCoro::Task<QList<QuorAIDiscoveredLocalModel>> askLocalServer(QPointer<QNetworkAccessManager> network, QString address,
                                                              LocalServer server, QuorAIModelCatalogDocument document)
{
    const std::optional<QUrl> url = httpUrl(address);
    if (!url) {
        co_return {};
    }
    QNetworkRequest request(*url);
    request.setTransferTimeout(localServerTimeoutMs);
    const std::optional<HttpAnswer> answer = co_await fetch(network, request, QuorAIModelRegistry::maximumLocalListBytes);
    if (!answer || answer->status < 200 || answer->status > 299) {
        co_return {};
    }
    co_return co_await QtConcurrent::run(&parseLocalList, answer->body, server, document);
}

bool isFresh(const Current& current)
{
    if (!current.meta.lastCheckedAt) {
        return false;
    }
    const std::optional<QDateTime> checked = QuorJson::parseIsoDate(*current.meta.lastCheckedAt);
    if (!checked) {
        return false;
    }
    // A check stamped in the future counts as fresh until that time has passed.
    const double elapsedSeconds = static_cast<double>(checked->msecsTo(QDateTime::currentDateTimeUtc())) / 1000.0;
    const qint64 lifetime = std::max(current.document.ttlSeconds, freshnessFloorSeconds);
    return elapsedSeconds < static_cast<double>(lifetime);
}

} // namespace

QuorAIModelRegistry::QuorAIModelRegistry(const std::optional<QString>& cacheDirectory,
                                         const std::optional<QString>& remoteURLOverride,
                                         QNetworkAccessManager* session, QObject* parent)
    : QObject(parent),
      m_cacheDirectory(cacheDirectory.value_or(QuorPaths::tallowmerDirectory() + QStringLiteral("/AI"))),
      m_remoteURLOverride(remoteURLOverride),
      m_session(session ? session : new QNetworkAccessManager(this))
{
}

QuorAIModelRegistry& QuorAIModelRegistry::shared()
{
    // Never destroyed: it must not outlive the application object in a static destructor.
    static QuorAIModelRegistry* const registry = new QuorAIModelRegistry();
    return *registry;
}

QString QuorAIModelRegistry::defaultCatalogURL()
{
    return QStringLiteral("https://tallowmer.com/api/v1/ai/models.json");
}

QString QuorAIModelRegistry::catalogURLDefaultsKey()
{
    return QStringLiteral("com.tallowmer.aiModelsURL");
}

QString QuorAIModelRegistry::resolvedCatalogURL(const std::optional<QString>& override)
{
    if (override && !override->trimmed().isEmpty()) {
        return override->trimmed();
    }
    const QString environment = qEnvironmentVariable("TALLOWMER_AI_MODELS_URL").trimmed();
    if (!environment.isEmpty()) {
        return environment;
    }
    const QString stored = QuorSettings::standard().string(catalogURLDefaultsKey()).value_or(QString()).trimmed();
    if (!stored.isEmpty()) {
        return stored;
    }
    return defaultCatalogURL();
}

QNetworkAccessManager* QuorAIModelRegistry::session() const
{
    return m_session.data();
}

QString QuorAIModelRegistry::modelsFileURL() const
{
    return m_cacheDirectory + QStringLiteral("/models.json");
}

QString QuorAIModelRegistry::metaFileURL() const
{
    return m_cacheDirectory + QStringLiteral("/sync-meta.json");
}

QuorAIModelCatalogDocument QuorAIModelRegistry::loadBundledFallback(const QuorBundle& bundle)
{
    if (const std::optional<QString> path = bundle.pathForResource(QStringLiteral("ai-models-default"), QStringLiteral("json"))) {
        if (const auto bytes = readSmallFile(*path, maximumCatalogBytes)) {
            try {
                return QuorAIModelCatalogDocument::decode(*bytes);
            } catch (const QuorError&) {
            }
        }
    }
    QuorAIModelCatalogDocument builtIn;
    builtIn.schemaVersion = 1;
    builtIn.catalogVersion = QStringLiteral("fallback");
    builtIn.updatedAt = QuorJson::isoDate(QDateTime::currentDateTimeUtc());
    builtIn.ttlSeconds = 21600;
    builtIn.source = defaultCatalogURL();
    return builtIn;
}

QCoro::Task<QuorAIModelRegistry::Current> QuorAIModelRegistry::loadCurrent()
{
    if (m_inMemoryDocument && m_inMemoryMeta) {
        co_return Current{*m_inMemoryDocument, *m_inMemoryMeta};
    }
    const QPointer<QuorAIModelRegistry> self(this);
    Current loaded = co_await QtConcurrent::run(&readCache, modelsFileURL(), metaFileURL(),
                                                resolvedCatalogURL(m_remoteURLOverride));
    if (!self) {
        co_return loaded;
    }
    // Another load or a sync may have finished while the files were read; what it holds is newer.
    if (m_inMemoryDocument && m_inMemoryMeta) {
        co_return Current{*m_inMemoryDocument, *m_inMemoryMeta};
    }
    m_inMemoryDocument = loaded.document;
    m_inMemoryMeta = loaded.meta;
    co_return loaded;
}

QCoro::Task<QuorAIModelRegistry::SyncResult> QuorAIModelRegistry::syncIfNeeded(bool force)
{
    const QPointer<QuorAIModelRegistry> self(this);
    const Current current = co_await loadCurrent();
    const SyncResult unchanged{current.document, current.meta, false};
    if (!self || (!force && isFresh(current))) {
        co_return unchanged;
    }
    const QString address = resolvedCatalogURL(m_remoteURLOverride);
    const std::optional<QUrl> url = httpUrl(address);
    if (!url) {
        co_return unchanged;
    }
    QNetworkRequest request(*url);
    request.setTransferTimeout(catalogTimeoutMs);
    request.setRawHeader("Accept", "application/json");
    request.setRawHeader("User-Agent", "QuorKit-AICatalog/1.0");
    if (!force && current.meta.etag && !current.meta.etag->isEmpty()) {
        request.setRawHeader("If-None-Match", current.meta.etag->toUtf8());
    }
    const QString checkedAt = QuorJson::isoDate(QDateTime::currentDateTimeUtc());
    const QString modelsPath = modelsFileURL();
    const QString metaPath = metaFileURL();
    const std::optional<HttpAnswer> answer = co_await fetch(m_session, request, maximumCatalogBytes, true);
    if (!self || !answer) {
        co_return unchanged;
    }

    if (answer->status == 304) {
        QuorAIModelSyncMeta meta = current.meta;
        meta.lastCheckedAt = checkedAt;
        meta.sourceUrl = address;
        co_await QtConcurrent::run(&persistMeta, metaPath, meta);
        if (self) {
            m_inMemoryMeta = meta;
        }
        co_return SyncResult{current.document, meta, false};
    }
    if (answer->status < 200 || answer->status > 299) {
        co_return unchanged;
    }

    const std::optional<QuorAIModelCatalogDocument> fresh =
        co_await QtConcurrent::run(&usableCatalog, answer->body, QuorSupportLog::address(*url));
    if (!self || !fresh) {
        co_return unchanged;
    }
    QuorAIModelSyncMeta meta;
    meta.etag = answer->etag.isEmpty() ? current.meta.etag : std::optional<QString>(QString::fromUtf8(answer->etag));
    meta.lastSyncedAt = checkedAt;
    meta.lastCheckedAt = checkedAt;
    meta.sourceUrl = address;
    meta.catalogVersion = fresh->catalogVersion;
    meta.origin = QuorAICatalogOrigin::remote;
    co_await QtConcurrent::run(&persistCatalog, modelsPath, answer->body, metaPath, meta);
    if (self) {
        m_inMemoryDocument = *fresh;
        m_inMemoryMeta = meta;
    }
    co_return SyncResult{*fresh, meta, true};
}

QCoro::Task<QList<QuorAIDiscoveredLocalModel>> QuorAIModelRegistry::discoverLocalModels(QString ollamaBaseURL,
                                                                                         QString lmStudioBaseURL)
{
    const QPointer<QuorAIModelRegistry> self(this);
    const Current current = co_await loadCurrent();
    if (!self) {
        co_return {};
    }
    const QPointer<QNetworkAccessManager> network = m_session;
    QList<QuorAIDiscoveredLocalModel> found = co_await askLocalServer(
        network, trimSlashes(ollamaBaseURL) + QStringLiteral("/api/tags"), LocalServer::ollama, current.document);
    found += co_await askLocalServer(network, trimSlashes(lmStudioBaseURL) + QStringLiteral("/models"),
                                     LocalServer::lmStudio, current.document);
    co_return found;
}
