#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QString>

#include <exception>
#include <optional>

// The one error of the credits account: gateway calls, sign-in flows and the loopback callback
// throw it. Each case has an English and a Turkish text; "serverError" and "signInFailed" carry a
// text that reads the same in every language.
class QuorCreditsError : public QuorError {
public:
    enum class Kind {
        insufficientCredits,
        serverError,
        signInFailed,
        invalidGatewayURL,
        notSignedIn,
        unauthorized,
        signInTimedOut,
        signInCancelled,
    };

    static QuorCreditsError insufficientCredits(std::optional<qint64> availableMicros);
    static QuorCreditsError serverError(int status, const QString& message);
    static QuorCreditsError signInFailed(const QString& message);
    static QuorCreditsError invalidGatewayURL();
    static QuorCreditsError notSignedIn();
    static QuorCreditsError unauthorized();
    static QuorCreditsError signInTimedOut();
    static QuorCreditsError signInCancelled();

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }          // serverError
    QString message() const { return m_message; }    // serverError, signInFailed
    std::optional<qint64> availableMicros() const { return m_availableMicros; } // insufficientCredits

    QString englishDescription() const override;
    QString turkishDescription() const override;

    // The text in `language` (the interface language when none is given). Fixed texts go through the
    // interface text lookup; the server's and the sign-in's own messages are returned as they are.
    QString errorDescription(std::optional<QuorLanguage> language = std::nullopt) const;

    // The user-visible text of any error the credits account meets: errorDescription() for its own
    // errors, the localized description for every other.
    static QString describe(const std::exception& error);

    bool operator==(const QuorCreditsError& other) const
    {
        return m_kind == other.m_kind && m_status == other.m_status && m_message == other.m_message
            && m_availableMicros == other.m_availableMicros;
    }

private:
    explicit QuorCreditsError(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    int m_status = 0;
    QString m_message;
    std::optional<qint64> m_availableMicros;
};
