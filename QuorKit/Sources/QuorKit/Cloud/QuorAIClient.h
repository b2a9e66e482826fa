#pragma once

#include "QuorKit/Cloud/QuorAIClientError.h"
#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"

#include <QByteArray>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QPointer>
#include <QString>

#include <QCoro/QCoroAsyncGenerator>
#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QuorCreditsAccountManager;

// The balance the credits gateway reports with an answer: US dollars and credits, each when known.
struct QuorAIBillingBalance {
    std::optional<double> availableUSD;
    std::optional<double> creditsAvailable;

    bool hasValue() const { return availableUSD.has_value() || creditsAvailable.has_value(); }
    bool operator==(const QuorAIBillingBalance& other) const = default;
};

// Sends one chat completion (a system prompt and a user prompt) to the backend a QuorAIConfig names,
// plain or streamed, and passes on the balance the credits gateway reports with each answer. A small
// value: copy it freely; each call keeps its own copy, so a call outlives the client it came from.
// Lives and is used on the GUI thread; the network never blocks it.
struct QuorAIClient {
    // Receives every balance echo of the credits gateway instead of the shared credits store.
    using BillingUpdate =
        std::function<QCoro::Task<>(std::optional<double> availableUSD, std::optional<double> creditsAvailable)>;

    // A stream's error answer is read no further than this; a server cannot make the client hold more.
    static constexpr qint64 maxErrorBodyBytes = 8192;
    // A whole plain answer (an error answer included), or one line of a stream, may not grow beyond this.
    static constexpr qint64 maxAnswerBytes = 16 * 1024 * 1024;

    // How long a call may take before it ends as timed out.
    struct Deadlines {
        // A plain answer, from the request to the last byte.
        std::chrono::milliseconds wholeAnswer{std::chrono::seconds(90)};
        // A stream between two pieces of its body (and before the first).
        std::chrono::milliseconds streamIdle{std::chrono::seconds(180)};
    };

    // `session` and `accountManager` are not owned; a call made after either is gone fails cleanly.
    QuorAIClient(QNetworkAccessManager* session, QuorCreditsAccountManager* accountManager,
                 BillingUpdate onBillingUpdate = {});

    QPointer<QNetworkAccessManager> session;
    QPointer<QuorCreditsAccountManager> accountManager;
    BillingUpdate onBillingUpdate;
    Deadlines deadlines;

    // The assistant's answer, trimmed. Throws QuorAIClientError, QuorTransferError for transport
    // failures (no connection, the answer's deadline passed, an answer over maxAnswerBytes) and
    // QuorCancelledError when `cancel` fires.
    QCoro::Task<QString> complete(QString systemPrompt, QString userPrompt, QuorAIConfig config,
                                  std::optional<QString> apiKey, QuorCancellationToken cancel = {}) const;

    // The answer piece by piece, as the backend produces it (newline-delimited JSON from Ollama,
    // server-sent events from the others). Every failure, a bad endpoint or a missing key included,
    // arrives as the error that ends the iteration. Dropping the generator, or cancelling `cancel`,
    // stops the request at once; a cancelled stream simply ends. Iterate with QCORO_FOREACH.
    QCoro::AsyncGenerator<QString> completeStreaming(QString systemPrompt, QString userPrompt, QuorAIConfig config,
                                                     std::optional<QString> apiKey,
                                                     QuorCancellationToken cancel = {}) const;

    // The error a failed status and its body mean.
    static QuorAIClientError parseHTTPError(int statusCode, const QByteArray& data);
    // The balance from a gateway answer's "tallowmer_billing" object, then from its headers; the body wins.
    static QuorAIBillingBalance extractBillingBalance(const QNetworkReply* http,
                                                      const std::optional<QJsonObject>& jsonObject);

private:
    struct PreparedRequest {
        QNetworkRequest request;
        QByteArray body;
    };

    static QCoro::Task<PreparedRequest> buildRequest(QuorAIClient client, QString systemPrompt, QString userPrompt,
                                                     QuorAIConfig config, std::optional<QString> apiKey, bool stream);
    // `epoch` is the shared credits store's account epoch when the request began.
    static QCoro::Task<> notifyBillingUpdate(QuorAIClient client, QuorAIBillingBalance balance, quint64 epoch);
    static QCoro::Task<QString> completeWith(QuorAIClient client, QString systemPrompt, QString userPrompt,
                                             QuorAIConfig config, std::optional<QString> apiKey,
                                             QuorCancellationToken cancel);
    static QCoro::AsyncGenerator<QString> streamWith(QuorAIClient client, QString systemPrompt, QString userPrompt,
                                                     QuorAIConfig config, std::optional<QString> apiKey,
                                                     QuorCancellationToken cancel);

    static std::optional<QString> extractNonStreamingContent(const QJsonObject& object);
    static std::optional<QString> extractOllamaStreamDelta(const QJsonObject& object);
    static std::optional<QString> extractOpenAIStreamDelta(const QJsonObject& object);
};
