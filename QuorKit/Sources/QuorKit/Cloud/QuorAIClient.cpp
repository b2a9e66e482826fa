#include "QuorKit/Cloud/QuorAIClient.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorCredentialRoute.h"
#include "QuorKit/Cloud/QuorReplySizeLimit.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Cloud/QuorSendOnce.h"
#include "QuorKit/Cloud/QuorTransferError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

#include <QCoro/QCoroSignal>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

namespace {
// ---------------------------------------------------------------------------------------------------
// The support trace: failures of the credits gateway under "gateway", of other AI backends under "ai".

QString logCategory(const QuorAIConfig& config)
{
    return config.provider == QuorAIProvider::tallowmerCredits ? QuorSupportLog::gateway : QStringLiteral("ai");
}

QString callName(const QuorAIConfig& config)
{
    return QStringLiteral("POST ") + QuorSupportLog::address(QUrl(config.endpointURL));
}

// A failed status: the log gets the status and the body (masked, as far as an error body is worth
// reading), the caller the error a person reads (the server's words only from a JSON error or a
// short plain-text answer).
QuorAIClientError failedStatus(const QuorAIConfig& config, int status, const QByteArray& body)
{
    QuorSupportLog::write(QuorLogLevel::warn, logCategory(config),
                          QStringLiteral("%1 answered HTTP %2: %3")
                              .arg(callName(config), QString::number(status),
                                   QuorSupportLog::excerpt(body, QuorAIClient::maxErrorBodyBytes)));
    return QuorAIClient::parseHTTPError(status, body);
}

void logTransferFailure(const QuorAIConfig& config, const QuorTransferError& error)
{
    QuorSupportLog::write(QuorLogLevel::warn, logCategory(config),
                          callName(config) + QStringLiteral(" failed: ") + QString::fromUtf8(error.what()));
}

QCoro::Task<QString> reportingTransferFailures(QCoro::Task<QString> call, QuorAIConfig config)
{
    try {
        co_return co_await std::move(call);
    } catch (const QuorTransferError& error) {
        logTransferFailure(config, error);
        throw;
    }
}

std::optional<QJsonObject> parseObject(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

// A body cut at a byte limit may end inside a character; drop that partial character so the rest
// still reads as text.
QByteArray withoutPartialCharacter(QByteArray bytes)
{
    qsizetype start = bytes.size();
    int continuation = 0;
    while (start > 0 && continuation < 3 && (static_cast<uchar>(bytes[start - 1]) & 0xC0) == 0x80) {
        --start;
        ++continuation;
    }
    if (start == 0) {
        return bytes;
    }
    const auto lead = static_cast<uchar>(bytes[start - 1]);
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length > 1 && continuation + 1 < length) {
        bytes.truncate(start - 1);
    }
    return bytes;
}

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

// Only web addresses: a "file:" endpoint would read local files, a relative one has no server.
std::optional<QUrl> webEndpoint(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.isRelative() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return std::nullopt;
    }
    return url;
}

QByteArray requestBody(const QString& systemPrompt, const QString& userPrompt, const QuorAIConfig& config,
                       bool stream)
{
    QJsonObject body{
        {QStringLiteral("model"), config.model},
        {QStringLiteral("messages"),
         QJsonArray{
             QJsonObject{{QStringLiteral("role"), QStringLiteral("system")}, {QStringLiteral("content"), systemPrompt}},
             QJsonObject{{QStringLiteral("role"), QStringLiteral("user")}, {QStringLiteral("content"), userPrompt}},
         }},
    };
    if (stream) {
        body.insert(QStringLiteral("stream"), true);
    } else if (config.provider == QuorAIProvider::ollamaLocal) {
        body.insert(QStringLiteral("stream"), false);
    }
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

// ---------------------------------------------------------------------------------------------------
// A reply being read by a coroutine: wakes it on every sign of progress, aborts on cancellation, and
// aborts and releases the request when the reader is gone. The network layer holds little of the
// body ahead of the reader, and with `limit` a body announced longer is refused before it is read.
// A body the network layer cannot inflate ends the reply at once.

class ReplyWatch {
public:
    ReplyWatch(QNetworkReply* reply, const QuorCancellationToken& cancel, std::optional<qint64> limit)
        : m_reply(reply), m_refusal(QuorReplySizeLimit::bound(reply, limit))
    {
        // At most one wake-up per wait: the signal awaiter of QCoro 0.8 must not be fired twice
        // before it resumes, and one is all the reader needs.
        const auto wake = [this] {
            if (!m_signalled) {
                m_signalled = true;
                m_relay.fire();
            }
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &m_relay, wake);
        QObject::connect(reply, &QIODevice::readyRead, &m_relay, wake);
        QObject::connect(reply, &QNetworkReply::finished, &m_relay, wake);
        // The session may take its replies down with it.
        QObject::connect(reply, &QObject::destroyed, &m_relay, wake);
        cancel.onCancel(&m_relay, [this] {
            if (m_reply) {
                m_reply->abort();
            }
        });
    }

    ReplyWatch(const ReplyWatch&) = delete;
    ReplyWatch& operator=(const ReplyWatch&) = delete;

    ~ReplyWatch()
    {
        if (m_reply) {
            QObject::disconnect(m_reply, nullptr, &m_relay, nullptr);
            m_reply->abort();
            m_reply->deleteLater();
        }
    }

    // Ends the transfer once `limit` has passed: counted from now, or, with `idle`, from the latest
    // bytes of the body.
    void setDeadline(std::chrono::milliseconds limit, bool idle)
    {
        m_deadline.setSingleShot(true);
        m_deadline.setInterval(limit);
        QObject::connect(&m_deadline, &QTimer::timeout, &m_relay, [this] {
            m_timedOut = true;
            // Aborting wakes the reader, which may end this watch: not from inside the timer's signal.
            QMetaObject::invokeMethod(
                &m_relay,
                [this] {
                    if (m_reply) {
                        m_reply->abort();
                    }
                },
                Qt::QueuedConnection);
        });
        if (idle && m_reply) {
            QObject::connect(m_reply, &QIODevice::readyRead, &m_deadline, [this] { m_deadline.start(); });
        }
        m_deadline.start();
    }

    bool timedOut() const { return m_timedOut; }
    // The headers announced a body over the limit: the reply was aborted before its body was read.
    bool refused() const { return *m_refusal == QuorReplySizeLimit::Refusal::tooLarge; }
    // The network layer gave up inflating the body: the reply was ended, and what was read of it is
    // no answer.
    bool unreadable() const { return *m_refusal == QuorReplySizeLimit::Refusal::unreadable; }
    QNetworkReply* reply() const { return m_reply.data(); }
    bool gone() const { return m_reply.isNull(); }
    bool finished() const { return gone() || (m_reply->isFinished() && m_reply->bytesAvailable() == 0); }

    std::optional<int> status() const
    {
        if (gone()) {
            return std::nullopt;
        }
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        return status.isValid() ? std::optional<int>(status.toInt()) : std::nullopt;
    }

    // Resumes once the reply has made progress since the last call (at once if it already has).
    QCoro::Task<> next()
    {
        if (!m_signalled) {
            co_await qCoro(&m_relay, &quor::detail::SignalRelay::fired);
        }
        m_signalled = false;
    }

    // Waits until body bytes are there or the reply has ended: its final status is known by then,
    // whatever redirects came first.
    QCoro::Task<> waitForBody()
    {
        while (!gone() && m_reply->bytesAvailable() == 0 && !m_reply->isFinished()) {
            co_await next();
        }
    }

    // Reads until the body ends or `limit` bytes are in hand, whichever comes first.
    QCoro::Task<QByteArray> readUpTo(qint64 limit)
    {
        QByteArray body;
        const std::optional<qint64> announced = gone() ? std::nullopt : QuorReplySizeLimit::announcedLength(m_reply);
        if (announced) {
            body.reserve(std::min(*announced, limit));
        }
        while (!gone()) {
            if (m_reply->bytesAvailable() > 0) {
                QuorReplySizeLimit::append(body, m_reply->read(limit - body.size()), limit);
            }
            if (body.size() >= limit || finished()) {
                break;
            }
            co_await next();
        }
        co_return body;
    }

    // What ended the transfer when no usable HTTP status came with it.
    [[noreturn]] void throwTransferError() const
    {
        if (m_timedOut) {
            throw QuorTransferError::fromReply(QNetworkReply::TimeoutError, QString());
        }
        if (refused()) {
            throw QuorTransferError::answerTooLarge();
        }
        if (unreadable()) {
            throw QuorTransferError::answerUnreadable(gone() ? QString() : m_reply->errorString());
        }
        if (gone()) {
            throw QuorTransferError::fromReply(QNetworkReply::UnknownNetworkError,
                                               QStringLiteral("the network session ended"));
        }
        throw QuorTransferError::fromReply(m_reply->error(), m_reply->errorString());
    }

private:
    QPointer<QNetworkReply> m_reply;
    std::shared_ptr<const QuorReplySizeLimit::Refusal> m_refusal;
    quor::detail::SignalRelay m_relay;
    QTimer m_deadline;
    bool m_signalled = false;
    bool m_timedOut = false;
};

QNetworkReply* post(const QPointer<QNetworkAccessManager>& session, const QNetworkRequest& request,
                    const QByteArray& body)
{
    if (!session) {
        throw QuorTransferError::fromReply(QNetworkReply::UnknownNetworkError, QStringLiteral("no network session"));
    }
    // An answer is paid for or at least worked for: the request goes out once.
    return QuorSendOnce::send(*session, request, "POST", body);
}

// ---------------------------------------------------------------------------------------------------
// Streams: lines end at LF, CRLF or CR, wherever the chunks of the body happen to split them.

class LineSplitter {
public:
    // The lines completed by `bytes`. Throws when one line outgrows the answer limit.
    QList<QByteArray> push(const QByteArray& bytes)
    {
        QList<QByteArray> lines;
        qsizetype start = 0;
        if (m_skipLineFeed && !bytes.isEmpty()) {
            m_skipLineFeed = false;
            if (bytes.front() == '\n') {
                start = 1;
            }
        }
        for (qsizetype i = start; i < bytes.size(); ++i) {
            const char byte = bytes[i];
            if (byte != '\n' && byte != '\r') {
                continue;
            }
            m_pending.append(bytes.constData() + start, i - start);
            lines.append(std::exchange(m_pending, QByteArray()));
            if (byte == '\r') {
                if (i + 1 < bytes.size()) {
                    if (bytes[i + 1] == '\n') {
                        ++i;
                    }
                } else {
                    m_skipLineFeed = true;
                }
            }
            start = i + 1;
        }
        m_pending.append(bytes.constData() + start, bytes.size() - start);
        if (m_pending.size() > QuorAIClient::maxAnswerBytes) {
            throw QuorTransferError::answerTooLarge();
        }
        return lines;
    }

    // The last line when the body ends without a line break.
    std::optional<QByteArray> finish()
    {
        if (m_pending.isEmpty()) {
            return std::nullopt;
        }
        return std::exchange(m_pending, QByteArray());
    }

private:
    QByteArray m_pending;
    bool m_skipLineFeed = false;
};

struct LineOutcome {
    std::optional<QString> payload; // an SSE payload or an NDJSON line, trimmed
    bool done = false;              // "[DONE]"
};

// The part of a server-sent event line that carries data; comments and other fields carry none.
LineOutcome readEventLine(const QString& line)
{
    static const QStringList ignoredPrefixes{QStringLiteral(":"), QStringLiteral("event:"), QStringLiteral("id:"),
                                             QStringLiteral("retry:")};
    for (const QString& prefix : ignoredPrefixes) {
        if (line.startsWith(prefix)) {
            return {};
        }
    }
    QString payload;
    if (line.startsWith(QLatin1String("data:"))) {
        payload = line.mid(5).trimmed();
    } else if (line.startsWith(QLatin1Char('{'))) {
        payload = line;
    } else {
        return {};
    }
    if (payload == QLatin1String("[DONE]")) {
        return {std::nullopt, true};
    }
    return {payload, false};
}
} // namespace

// ---------------------------------------------------------------------------------------------------

QuorAIClient::QuorAIClient(QNetworkAccessManager* session, QuorCreditsAccountManager* accountManager,
                           BillingUpdate onBillingUpdate)
    : session(session), accountManager(accountManager), onBillingUpdate(std::move(onBillingUpdate))
{
}

QCoro::Task<QString> QuorAIClient::complete(QString systemPrompt, QString userPrompt, QuorAIConfig config,
                                            std::optional<QString> apiKey, QuorCancellationToken cancel) const
{
    QuorAIConfig used = config;
    return reportingTransferFailures(completeWith(*this, std::move(systemPrompt), std::move(userPrompt), std::move(config),
                                                  std::move(apiKey), std::move(cancel)),
                                     std::move(used));
}

QCoro::AsyncGenerator<QString> QuorAIClient::completeStreaming(QString systemPrompt, QString userPrompt,
                                                               QuorAIConfig config, std::optional<QString> apiKey,
                                                               QuorCancellationToken cancel) const
{
    return streamWith(*this, std::move(systemPrompt), std::move(userPrompt), std::move(config), std::move(apiKey),
                      std::move(cancel));
}

QCoro::Task<QuorAIClient::PreparedRequest> QuorAIClient::buildRequest(QuorAIClient client, QString systemPrompt,
                                                                      QString userPrompt, QuorAIConfig config,
                                                                      std::optional<QString> apiKey, bool stream)
{
    const std::optional<QUrl> url = webEndpoint(config.endpointURL);
    if (!url) {
        throw QuorAIClientError::invalidEndpoint();
    }
    const QString key = apiKey ? apiKey->trimmed() : QString();
    std::optional<QString> credential;
    if (config.provider == QuorAIProvider::openAI) {
        // A server on this computer or the private network (a local runtime, a home server) is used
        // without a key when none is given for it; anywhere else a key is required.
        if (!key.isEmpty()) {
            credential = key;
        } else if (!QuorCredentialRoute::isPrivateNetwork(*url)) {
            throw QuorAIClientError::missingAPIKey();
        }
    } else if (config.provider == QuorAIProvider::tallowmerCredits) {
        if (!key.isEmpty()) {
            credential = key;
        } else {
            std::optional<QString> token;
            std::optional<QString> gatewayOverride;
            if (client.accountManager) {
                gatewayOverride = client.accountManager->gatewayURLOverride();
                token = co_await client.accountManager->savedToken();
            }
            if (!token || token->isEmpty()) {
                throw QuorAIClientError::missingAPIKey();
            }
            // The account token belongs to one gateway; an endpoint edited or taken from elsewhere
            // must not receive it.
            const QUrl gateway(QuorCreditsAccountManager::resolvedGatewayURL(gatewayOverride));
            if (!QuorCredentialRoute::sameOrigin(*url, gateway)) {
                throw QuorAIClientError::foreignCreditsEndpoint(gateway.host());
            }
            credential = token;
        }
    }
    if (credential && !QuorCredentialRoute::maySendCredential(*url)) {
        throw QuorAIClientError::insecureEndpoint();
    }

    // Bounded by the answer cap (a stream by its line cap) as it inflates, not by Qt's own check.
    PreparedRequest prepared{QuorReplySizeLimit::prepared(QNetworkRequest(*url)),
                             requestBody(systemPrompt, userPrompt, config, stream)};
    QNetworkRequest& request = prepared.request;
    request.setRawHeader("Content-Type", "application/json");
    if (stream && config.provider != QuorAIProvider::ollamaLocal) {
        request.setRawHeader("Accept", "text/event-stream");
    }
    if (credential) {
        request.setRawHeader("Authorization", "Bearer " + credential->toUtf8());
    }
    if (config.provider == QuorAIProvider::tallowmerCredits) {
        request.setRawHeader("X-Quorbel-App", QuorCreditsAccountManager::currentAppHeader().toUtf8());
    }
    // A key or token must never reach another server: with one, redirects are followed only within
    // the same scheme, host and port.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         credential ? QNetworkRequest::SameOriginRedirectPolicy
                                    : QNetworkRequest::NoLessSafeRedirectPolicy);
    co_return prepared;
}

QCoro::Task<QString> QuorAIClient::completeWith(QuorAIClient client, QString systemPrompt, QString userPrompt,
                                                QuorAIConfig config, std::optional<QString> apiKey,
                                                QuorCancellationToken cancel)
{
    cancel.throwIfCancelled();
    const quint64 epoch = QuorCreditsAccountStore::shared().accountEpoch();
    const PreparedRequest prepared =
        co_await buildRequest(client, std::move(systemPrompt), std::move(userPrompt), config, std::move(apiKey), false);
    cancel.throwIfCancelled();
    ReplyWatch watch(post(client.session, prepared.request, prepared.body), cancel, maxAnswerBytes);
    // One deadline for the whole answer: a server that dribbles its body cannot keep the call alive.
    watch.setDeadline(client.deadlines.wholeAnswer, false);

    co_await watch.waitForBody();
    // One byte over the limit tells an answer that is too large from one that just fits. An error
    // body is read as far as an answer may go, so a long JSON error still says what went wrong.
    // A body announced beyond the limit is not read at all.
    QByteArray body;
    if (!watch.refused()) {
        body = co_await watch.readUpTo(maxAnswerBytes + 1);
    }
    cancel.throwIfCancelled();
    if (watch.timedOut()) {
        watch.throwTransferError();
    }

    const std::optional<int> status = watch.status();
    if (status && !isSuccess(*status)) {
        // Also a redirect that was not followed: it is a status outside 200 to 299 like any other.
        throw failedStatus(config, *status, withoutPartialCharacter(body.left(maxAnswerBytes)));
    }
    if (body.size() > maxAnswerBytes || watch.refused()) {
        throw QuorTransferError::answerTooLarge();
    }
    if (watch.gone() || watch.reply()->error() != QNetworkReply::NoError) {
        watch.throwTransferError();
    }
    if (!status) {
        throw QuorAIClientError::emptyResponse();
    }

    const std::optional<QJsonObject> object = parseObject(body);
    if (config.provider == QuorAIProvider::tallowmerCredits) {
        const QuorAIBillingBalance balance = extractBillingBalance(watch.reply(), object);
        if (balance.hasValue()) {
            co_await notifyBillingUpdate(client, balance, epoch);
        }
    }
    if (object) {
        if (auto content = extractNonStreamingContent(*object)) {
            co_return *content;
        }
    }
    throw QuorAIClientError::emptyResponse();
}

QCoro::AsyncGenerator<QString> QuorAIClient::streamWith(QuorAIClient client, QString systemPrompt,
                                                        QString userPrompt, QuorAIConfig config,
                                                        std::optional<QString> apiKey, QuorCancellationToken cancel)
{
    const bool ollama = config.provider == QuorAIProvider::ollamaLocal;
    const bool credits = config.provider == QuorAIProvider::tallowmerCredits;
    try {
        cancel.throwIfCancelled();
        const quint64 epoch = QuorCreditsAccountStore::shared().accountEpoch();
        const PreparedRequest prepared =
            co_await buildRequest(client, std::move(systemPrompt), std::move(userPrompt), config, std::move(apiKey), true);
        cancel.throwIfCancelled();
        // A stream may run as long as it keeps coming; only one line of it is bounded.
        ReplyWatch watch(post(client.session, prepared.request, prepared.body), cancel, std::nullopt);
        // A stream may run long, but not silent.
        watch.setDeadline(client.deadlines.streamIdle, true);

        co_await watch.waitForBody();
        cancel.throwIfCancelled();
        const std::optional<int> status = watch.status();
        if (status && !isSuccess(*status)) {
            const QByteArray errorBody = co_await watch.readUpTo(maxErrorBodyBytes);
            throw failedStatus(config, *status, withoutPartialCharacter(errorBody));
        }
        if (!status) {
            if (watch.gone() || watch.reply()->error() != QNetworkReply::NoError) {
                watch.throwTransferError();
            }
            throw QuorAIClientError::emptyResponse();
        }

        QuorAIBillingBalance running;
        if (credits) {
            running = extractBillingBalance(watch.reply(), std::nullopt);
        }
        LineSplitter splitter;
        bool reachedEnd = false;
        while (!reachedEnd) {
            QList<QByteArray> lines;
            if (!watch.gone() && watch.reply()->bytesAvailable() > 0) {
                lines = splitter.push(watch.reply()->readAll());
            } else if (watch.finished()) {
                cancel.throwIfCancelled();
                // A body cut off by a transport failure ends with that failure, not with its last piece.
                if (watch.gone() || watch.reply()->error() != QNetworkReply::NoError) {
                    watch.throwTransferError();
                }
                if (auto last = splitter.finish()) {
                    lines.append(*last);
                }
                reachedEnd = true;
            } else {
                co_await watch.next();
                continue;
            }
            for (const QByteArray& raw : std::as_const(lines)) {
                cancel.throwIfCancelled();
                const QString line = QString::fromUtf8(raw).trimmed();
                if (line.isEmpty()) {
                    continue;
                }
                if (ollama) {
                    const auto object = parseObject(line.toUtf8());
                    if (!object) {
                        continue;
                    }
                    if (auto delta = extractOllamaStreamDelta(*object); delta && !delta->isEmpty()) {
                        co_yield *delta;
                    }
                    const QJsonValue done = object->value(QStringLiteral("done"));
                    if (done.isBool() && done.toBool()) {
                        co_return;
                    }
                    continue;
                }
                const LineOutcome event = readEventLine(line);
                if (event.done) {
                    reachedEnd = true;
                    break;
                }
                const auto object = event.payload ? parseObject(event.payload->toUtf8()) : std::nullopt;
                if (!object) {
                    continue;
                }
                if (credits) {
                    const QuorAIBillingBalance echoed = extractBillingBalance(nullptr, object);
                    running.availableUSD = echoed.availableUSD ? echoed.availableUSD : running.availableUSD;
                    running.creditsAvailable = echoed.creditsAvailable ? echoed.creditsAvailable : running.creditsAvailable;
                }
                if (auto delta = extractOpenAIStreamDelta(*object); delta && !delta->isEmpty()) {
                    co_yield *delta;
                }
            }
        }
        if (credits && running.hasValue()) {
            co_await notifyBillingUpdate(client, running, epoch);
        }
    } catch (const QuorCancelledError&) {
        // A cancelled stream simply ends.
    } catch (const QuorTransferError& error) {
        logTransferFailure(config, error);
        throw;
    }
}
