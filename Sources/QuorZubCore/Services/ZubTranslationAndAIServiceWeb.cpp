// The keyless web translation route of ZubTranslationAndAIService.
#include "QuorZubCore/Services/ZubTranslationAndAIService.h"

#include "QuorKit/Cloud/QuorReplySizeLimit.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "QuorKit/Utilities/QuorGraphemeBoundaries.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorZubCore/Services/ZubTranslationServiceError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <QCoro/QCoroNetworkReply>

#include <algorithm>
#include <memory>

namespace {

const QString userAgent = QStringLiteral("QuorZub/1.0");
const QString chunkSeparator = QStringLiteral("\n\n");
// Far above any real answer for one chunk; a server sending more is not a translation service.
constexpr qint64 answerLimit = 8 * 1024 * 1024;

bool startsWithWhiteSpace(QStringView grapheme)
{
    return !grapheme.isEmpty() && QChar::isSpace(QuorGraphemes::firstScalar(grapheme));
}

QString encoded(const QString& value)
{
    // Everything but the unreserved characters, so "+", "&" and "=" arrive as typed.
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

std::optional<QUrl> webTranslationURL(const QUrl& base, const QString& text, const QString& targetCode)
{
    const QString scheme = base.scheme();
    if (!base.isValid() || base.host().isEmpty() || (scheme != u"https" && scheme != u"http")) {
        return std::nullopt;
    }
    QString path = base.path();
    while (path.endsWith(u'/')) {
        path.chop(1);
    }
    QUrl url = base;
    url.setPath(path + QStringLiteral("/translate_a/single"));
    url.setFragment({});
    url.setQuery(QStringLiteral("client=gtx&sl=auto&tl=") + encoded(targetCode) + QStringLiteral("&dt=t&q=")
                     + encoded(text),
                 QUrl::StrictMode);
    if (!url.isValid()) {
        return std::nullopt;
    }
    return url;
}

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

} // namespace

QUrl ZubTranslationAndAIService::defaultWebTranslationBaseURL()
{
    return QUrl(QStringLiteral("https://translate.googleapis.com"));
}

QString ZubTranslationAndAIService::webSearchURL(const QString& text)
{
    return QStringLiteral("https://www.google.com/search?q=") + encoded(text);
}

QStringList ZubTranslationAndAIService::splitTextForWebTranslation(const QString& input, qsizetype maxChunkLength,
                                                                   qsizetype maxTotalCharacters)
{
    const QuorGraphemeBoundaries bounds(input);
    const qsizetype totalCap = std::max<qsizetype>(0, maxTotalCharacters);
    const qsizetype count = std::min(bounds.count(), totalCap);
    const QString text = input.left(bounds.offset(count));
    const qsizetype limit = std::max(webMinimumChunkLength, maxChunkLength);
    if (limit >= count) {
        return count == 0 ? QStringList{} : QStringList{text};
    }

    const auto grapheme = [&](qsizetype i) {
        return QStringView(text).mid(bounds.offset(i), bounds.offset(i + 1) - bounds.offset(i));
    };
    const auto isLineFeed = [&](qsizetype i) { return grapheme(i) == u"\n"; };
    const auto piece = [&](qsizetype from, qsizetype to) {
        const qsizetype start = bounds.offset(from);
        return text.mid(start, bounds.offset(to) - start).trimmed();
    };

    QStringList chunks;
    qsizetype position = 0;
    while (position < count) {
        if (count - position <= limit) {
            const QString rest = piece(position, count);
            if (!rest.isEmpty()) {
                chunks.append(rest);
            }
            break;
        }
        const qsizetype windowEnd = position + limit;
        qsizetype cut = -1;
        for (qsizetype i = windowEnd - 2; i >= position && cut < 0; --i) {
            if (isLineFeed(i) && isLineFeed(i + 1)) {
                cut = i + 2;
            }
        }
        for (qsizetype i = windowEnd - 1; i > position && cut < 0; --i) {
            if (isLineFeed(i)) {
                cut = i + 1;
            }
        }
        for (qsizetype i = windowEnd - 1; i > position && cut < 0; --i) {
            if (startsWithWhiteSpace(grapheme(i))) {
                cut = i + 1;
            }
        }
        if (cut < 0) {
            cut = windowEnd;
        }
        const QString chunk = piece(position, cut);
        if (!chunk.isEmpty()) {
            chunks.append(chunk);
        }
        position = cut;
    }
    return chunks;
}

std::optional<ZubTranslationAndAIService::WebTranslation>
ZubTranslationAndAIService::parseGoogleTranslatePayload(const QByteArray& body)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return std::nullopt;
    }
    const QJsonArray root = document.array();
    if (root.isEmpty() || !root.first().isArray()) {
        return std::nullopt;
    }
    QString translated;
    for (const QJsonValue& segment : root.first().toArray()) {
        const QJsonArray parts = segment.toArray();
        if (segment.isArray() && !parts.isEmpty() && parts.first().isString()) {
            translated += parts.first().toString();
        }
    }
    translated = translated.trimmed();
    if (translated.isEmpty()) {
        return std::nullopt;
    }
    std::optional<QString> detected;
    if (root.size() >= 3 && root.at(2).isString()) {
        detected = root.at(2).toString();
    }
    return WebTranslation{translated, detected};
}

QCoro::Task<ZubTranslationAndAIService::WebTranslation>
ZubTranslationAndAIService::fetchFreeWebTranslation(QPointer<QNetworkAccessManager> network, QUrl baseURL, QString text,
                                                    QString targetCode, QuorCancellationToken cancel,
                                                    std::chrono::milliseconds deadline)
{
    const QDeadlineTimer whole(deadline);
    const qsizetype length = QuorGraphemes::count(text);
    if (length > webMaxTotalCharacters) {
        throw ZubTranslationServiceError::textTooLong(length, webMaxTotalCharacters);
    }
    const QStringList chunks = splitTextForWebTranslation(text, webMaxChunkLength, webMaxTotalCharacters);
    if (chunks.isEmpty()) {
        throw ZubTranslationServiceError::emptyInput();
    }
    std::unique_ptr<QNetworkAccessManager> ownNetwork;
    if (!network) {
        ownNetwork = std::make_unique<QNetworkAccessManager>();
    }
    QStringList translated;
    std::optional<QString> detected;
    for (const QString& chunk : chunks) {
        QNetworkAccessManager* const manager = ownNetwork ? ownNetwork.get() : network.data();
        if (!manager) {
            throw QuorCancelledError(); // the shared network went away: the application is closing
        }
        if (whole.hasExpired()) {
            throw QuorTransferError::fromReply(QNetworkReply::TimeoutError, QString());
        }
        const WebTranslation part =
            co_await fetchSingleWebTranslationChunk(manager, baseURL, chunk, targetCode, cancel, whole);
        translated.append(part.translated);
        if (!detected) {
            detected = part.detectedLanguage;
        }
    }
    co_return WebTranslation{translated.join(chunkSeparator), detected};
}

QCoro::Task<ZubTranslationAndAIService::WebTranslation>
ZubTranslationAndAIService::fetchSingleWebTranslationChunk(QNetworkAccessManager* network, QUrl baseURL, QString text,
                                                           QString targetCode, QuorCancellationToken cancel,
                                                           QDeadlineTimer deadline)
{
    const auto url = webTranslationURL(baseURL, text, targetCode);
    if (!url) {
        throw ZubTranslationServiceError::invalidURL();
    }
    QNetworkRequest request(*url);
    request.setTransferTimeout(static_cast<int>(std::chrono::milliseconds(webRequestTimeout).count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    cancel.throwIfCancelled();

    const std::unique_ptr<QNetworkReply, ReplyDeleter> reply(network->get(QuorReplySizeLimit::prepared(request)));
    QNetworkReply* const raw = reply.get();
    const std::shared_ptr<const QuorReplySizeLimit::Body> body = QuorReplySizeLimit::gather(raw, answerLimit);
    cancel.onCancel(raw, [raw] { raw->abort(); });
    // The idle timer above restarts with every byte; this one does not.
    bool timedOut = false;
    QTimer deadlineTimer;
    deadlineTimer.setSingleShot(true);
    QObject::connect(&deadlineTimer, &QTimer::timeout, raw, [raw, &timedOut] {
        timedOut = true;
        // Aborting resumes this coroutine, which ends the timer: not from inside the timer's signal.
        QMetaObject::invokeMethod(raw, [raw] { raw->abort(); }, Qt::QueuedConnection);
    });
    deadlineTimer.start(std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime())));
    co_await raw;
    cancel.throwIfCancelled();
    if (timedOut) {
        throw QuorTransferError::fromReply(QNetworkReply::TimeoutError, QString());
    }
    if (body->exceeded) {
        throw QuorTransferError::answerTooLarge();
    }

    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool isHTTP = statusAttribute.isValid();
    const int status = isHTTP ? statusAttribute.toInt() : -1;
    const bool success = status >= 200 && status <= 299;
    if (reply->error() != QNetworkReply::NoError && (!isHTTP || success)) {
        throw QuorTransferError::fromReply(reply->error(), reply->errorString());
    }
    if (!success) {
        throw ZubTranslationServiceError::networkFailure(QStringLiteral("HTTP %1").arg(status));
    }
    const auto parsed = parseGoogleTranslatePayload(body->bytes);
    if (!parsed) {
        throw ZubTranslationServiceError::parseFailure();
    }
    co_return *parsed;
}
