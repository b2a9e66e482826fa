#pragma once

#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"

#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

// The one chat completion the AI-powered actions need: a system prompt and a user prompt sent to
// the provider a configuration names, answered with the reply text. The application passes the
// shared AI client; tests pass a scripted one.
class ZubAIChatClient {
public:
    virtual ~ZubAIChatClient() = default;

    // Throws the client's own errors (each a QuorError with its English and Turkish text), transport
    // errors, and QuorCancelledError when `cancel` fires. Called on the thread that awaits it.
    virtual QCoro::Task<QString> complete(QString systemPrompt, QString userPrompt, QuorAIConfig config,
                                          std::optional<QString> apiKey, QuorCancellationToken cancel) = 0;
};
