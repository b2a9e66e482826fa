#pragma once

// Shared pieces of the chat client tests: a local server that plays the AI backends, a credits
// account whose gateway is that server, and a recorder for balance echoes.

#include "QuorKit/Cloud/QuorAIClient.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <exception>
#include <memory>

struct BillingCall {
    std::optional<double> availableUSD;
    std::optional<double> creditsAvailable;
    bool operator==(const BillingCall& other) const = default;
};

inline QCoro::Task<> finishedTask()
{
    co_return;
}

// One client against one local server, with its own account folder and balance recorder.
class AIBackendFixture {
public:
    // The account's gateway is the server, so its port must be known first: members start in order.
    AIBackendFixture()
        : accountManager(accountFolder.path(), std::nullopt, server.baseUrl().toString(), &session),
          billingCalls(std::make_shared<QList<BillingCall>>())
    {
    }

    QuorAIClient client(bool recordBilling = true)
    {
        if (!recordBilling) {
            return QuorAIClient(&session, &accountManager);
        }
        auto calls = billingCalls;
        return QuorAIClient(&session, &accountManager, [calls](std::optional<double> usd, std::optional<double> credits) {
            calls->append({usd, credits});
            return finishedTask();
        });
    }

    QuorAIConfig config(QuorAIProvider provider, const QString& path = QStringLiteral("/chat")) const
    {
        return QuorAIConfig(provider, server.url(path).toString(), QStringLiteral("test-model"));
    }

    struct ListeningServer : QuorTestHttpServer {
        ListeningServer() { start(); }
    };

    ListeningServer server;
    QNetworkAccessManager session;
    QTemporaryDir accountFolder;
    QuorCreditsAccountManager accountManager;
    std::shared_ptr<QList<BillingCall>> billingCalls;
};

inline QJsonObject bodyOf(const QuorTestHttpRequest& request)
{
    return QJsonDocument::fromJson(request.body).object();
}

// Runs `task` to its end and hands back the error it threw (null when it succeeded).
template <typename T>
std::exception_ptr errorOf(QCoro::Task<T>&& task, std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    try {
        quorAwait(std::move(task), timeout);
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// The client error in `error`; fails the calling test's QVERIFY when it is something else.
inline std::optional<QuorAIClientError> clientError(const std::exception_ptr& error)
{
    try {
        if (error) {
            std::rethrow_exception(error);
        }
    } catch (const QuorAIClientError& clientError) {
        return clientError;
    } catch (...) {
    }
    return std::nullopt;
}

// The kind of transfer failure in `error`; nothing when it holds no transfer error.
inline std::optional<QuorTransferError::Kind> transferKind(const std::exception_ptr& error)
{
    try {
        if (error) {
            std::rethrow_exception(error);
        }
    } catch (const QuorTransferError& transferError) {
        return transferError.kind();
    } catch (...) {
    }
    return std::nullopt;
}
