#pragma once

#include <QString>

#include <exception>

// Base of every error this system throws. Each error carries its text in English and Turkish;
// the kit's localization turns that pair into the interface language's text.
class QuorError : public std::exception {
public:
    QuorError() = default;
    QuorError(QString english, QString turkish);
    ~QuorError() override = default;

    virtual QString englishDescription() const;
    virtual QString turkishDescription() const;

    // English, as UTF-8, for logs and uncaught-exception reports.
    const char* what() const noexcept override;

private:
    QString m_english;
    QString m_turkish;
    mutable QByteArray m_what;
};

// Thrown when work is abandoned because its cancellation token was cancelled.
class QuorCancelledError : public QuorError {
public:
    QuorCancelledError();
};
