#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QString>

#include <exception>
#include <optional>

// The one error of the credits account: gateway calls, sign-in flows and the loopback callback
// throw it. Each case has an English and a Turkish text; "serverError" with a message and
// "signInFailed" carry a text that reads the same in every language.
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
        tokenNotSaved, // the gateway gave a token, but this computer could not store it
    };

    static QuorCreditsError insufficientCredits(std::optional<qint64> availableMicros);
    // A status with a message of this system's own ("Missing app identifier.").
    static QuorCreditsError serverError(int status, const QString& message);
    // A failed gateway answer: its message is the server's own when the body is a JSON error that
    // carries one, else empty, and the text then says "The server answered with an error (HTTP n)."
    // in the interface language. The body itself is for the log, not kept here.
    static QuorCreditsError serverAnswer(int status, const QByteArray& body);
    static QuorCreditsError signInFailed(const QString& message);
    static QuorCreditsError invalidGatewayURL();
    static QuorCreditsError notSignedIn();
    static QuorCreditsError unauthorized();
    static QuorCreditsError signInTimedOut();
    static QuorCreditsError signInCancelled();
    // `folder` is where the account file should have been written; it is named in the text.
    static QuorCreditsError tokenNotSaved(const QString& folder);

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }          // serverError
    QString message() const { return m_message; }    // serverError, signInFailed; tokenNotSaved's folder
    std::optional<qint64> availableMicros() const { return m_availableMicros; } // insufficientCredits

    QString englishDescription() const override;
    QString turkishDescription() const override;

    // The text in `language` (the interface language when none is given). Fixed texts go through the
    // interface text lookup; the server's and the sign-in's own messages are returned as they are.
    QString errorDescription(std::optional<QuorLanguage> language = std::nullopt) const;

    // The user-visible text of any error the credits account meets: errorDescription() for its own
    // errors, a sentence for an answer that could not be read (the parser's detail is the log's),
    // the localized description for every other.
    static QString describe(const std::exception& error);

    bool operator==(const QuorCreditsError& other) const
    {
        return m_kind == other.m_kind && m_status == other.m_status && m_message == other.m_message
            && m_availableMicros == other.m_availableMicros && m_fromServer == other.m_fromServer;
    }

private:
    explicit QuorCreditsError(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    int m_status = 0;
    QString m_message;
    std::optional<qint64> m_availableMicros;
    bool m_fromServer = false; // serverAnswer: an empty message reads as the status sentence
};
