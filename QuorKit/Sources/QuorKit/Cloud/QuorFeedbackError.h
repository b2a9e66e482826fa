#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QString>

#include <optional>

// Why a feedback note was not sent. Each case has an English and a Turkish text; a rejection carries
// the server's own text, which reads the same in every language.
class QuorFeedbackError : public QuorError {
public:
    enum class Kind {
        tooManyScreenshots,
        screenshotTooLarge,
        serverRejected,
        networkFailure,
        invalidEndpoint,
        invalidEmail,
        messageTooShort,
    };

    static QuorFeedbackError tooManyScreenshots(int max);
    static QuorFeedbackError screenshotTooLarge(int maxMB);
    static QuorFeedbackError serverRejected(const QString& text);
    static QuorFeedbackError networkFailure(const QString& detail);
    static QuorFeedbackError invalidEndpoint();
    static QuorFeedbackError invalidEmail();
    static QuorFeedbackError messageTooShort();

    Kind kind() const { return m_kind; }
    int limit() const { return m_limit; }    // the count or the megabytes of the two limit cases
    QString text() const { return m_text; }  // the rejection's text, the failure's detail

    QString englishDescription() const override;
    QString turkishDescription() const override;
    // The text in `language` (the interface language when none is given); a rejection's text as it is.
    QString errorDescription(std::optional<QuorLanguage> language = std::nullopt) const;

    bool operator==(const QuorFeedbackError& other) const
    {
        return m_kind == other.m_kind && m_limit == other.m_limit && m_text == other.m_text;
    }

private:
    explicit QuorFeedbackError(Kind kind, int limit = 0, QString text = {})
        : m_kind(kind), m_limit(limit), m_text(std::move(text))
    {
    }

    Kind m_kind;
    int m_limit;
    QString m_text;
};
