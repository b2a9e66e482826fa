#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QString>

#include <optional>

// Why a chat completion failed before or after reaching the AI backend. Each case has an English and
// a Turkish text; "httpError" with the server's message reads the same in every language, without
// one it says "The server answered with an error (HTTP n)." in the interface language.
class QuorAIClientError : public QuorError {
public:
    enum class Kind {
        appBudgetExceeded,   // 402 naming "app_budget_exceeded": this app's spending limit was reached
        insufficientCredits, // any other 402
        httpError,           // any other status outside 200 to 299
        invalidEndpoint,     // the configured endpoint is not an http or https address
        missingAPIKey,       // the provider needs a key or token and none is at hand
        emptyResponse,       // no HTTP answer, or a successful answer without content
        insecureEndpoint,    // a key or token would go over plain http beyond the private network
        foreignCreditsEndpoint, // the account token would go to a host other than the credits gateway
    };

    static QuorAIClientError appBudgetExceeded(std::optional<QString> app, std::optional<QString> detail);
    static QuorAIClientError insufficientCredits(std::optional<QString> detail);
    static QuorAIClientError httpError(int statusCode, QString message);
    static QuorAIClientError invalidEndpoint();
    static QuorAIClientError missingAPIKey();
    static QuorAIClientError emptyResponse();
    static QuorAIClientError insecureEndpoint();
    // `gatewayHost` is the host the token belongs to, named in the text.
    static QuorAIClientError foreignCreditsEndpoint(QString gatewayHost);

    Kind kind() const { return m_kind; }
    const std::optional<QString>& app() const { return m_app; }       // appBudgetExceeded
    const std::optional<QString>& detail() const { return m_detail; } // the two credit cases
    int statusCode() const { return m_statusCode; }                   // httpError
    // httpError's message; the gateway's host for foreignCreditsEndpoint.
    const QString& message() const { return m_message; }

    QString englishDescription() const override;
    QString turkishDescription() const override;

    // The text in `language`: fixed texts go through the interface text lookup, an HTTP error's text is
    // returned as it is.
    QString localizedDescription(QuorLanguage language) const;
    // localizedDescription() in the current interface language.
    QString errorDescription() const;

    bool operator==(const QuorAIClientError& other) const
    {
        return m_kind == other.m_kind && m_app == other.m_app && m_detail == other.m_detail
            && m_statusCode == other.m_statusCode && m_message == other.m_message;
    }

private:
    explicit QuorAIClientError(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    std::optional<QString> m_app;
    std::optional<QString> m_detail;
    int m_statusCode = 0;
    QString m_message;
};
