#pragma once

#include <QString>

#include <exception>

// Base of every error this system throws. Each error carries its text in English and Turkish;
// the kit's localization turns that pair into the interface language's text.
class QuorError : public std::exception {
public:
    QuorError() = default;
    QuorError(QString english, QString turkish);
    // `logDetail` is what a person cannot act on but support can (a parser's position, an errno
    // text): it goes to the log through what(), never into the two descriptions.
    QuorError(QString english, QString turkish, QString logDetail);
    ~QuorError() override = default;

    virtual QString englishDescription() const;
    virtual QString turkishDescription() const;
    QString logDetail() const { return m_logDetail; }

    // English, as UTF-8, with the log detail in parentheses: for logs and uncaught-exception reports.
    const char* what() const noexcept override;

private:
    QString m_english;
    QString m_turkish;
    QString m_logDetail;
    mutable QByteArray m_what;
};

// Thrown when work is abandoned because its cancellation token was cancelled.
class QuorCancelledError : public QuorError {
public:
    QuorCancelledError();
};
