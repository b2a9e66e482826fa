#pragma once

#include "QuorKit/Cloud/QuorAIClient.h"
#include "QuorZubCore/Services/ZubAIChatClient.h"

// The application's AI client behind the actions' chat interface.
class ZubQuorAIChatClient : public ZubAIChatClient {
public:
    explicit ZubQuorAIChatClient(QuorAIClient client) : m_client(std::move(client)) {}

    QCoro::Task<QString> complete(QString systemPrompt, QString userPrompt, QuorAIConfig config,
                                  std::optional<QString> apiKey, QuorCancellationToken cancel) override
    {
        // The client copies itself into the call, so the call may outlive this object.
        return m_client.complete(std::move(systemPrompt), std::move(userPrompt), std::move(config), std::move(apiKey),
                                 std::move(cancel));
    }

private:
    QuorAIClient m_client;
};
