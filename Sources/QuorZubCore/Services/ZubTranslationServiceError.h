#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QString>

// Failures of the keyless web translation. Network transport failures (no connection, time-out,
// cancellation) are not among them: they keep their own error type.
class ZubTranslationServiceError : public QuorError {
public:
    enum class Kind { networkFailure, emptyInput, invalidURL, parseFailure, textTooLong };

    // The server answered with something other than success; `message` is shown as it is.
    static ZubTranslationServiceError networkFailure(const QString& message);
    static ZubTranslationServiceError emptyInput();
    static ZubTranslationServiceError invalidURL();
    static ZubTranslationServiceError parseFailure();
    // The text is longer than one web translation takes; translating a part of it would let
    // "Replace" overwrite the whole selection with a partial translation.
    static ZubTranslationServiceError textTooLong(qsizetype characters, qsizetype limit);

    Kind kind() const { return m_kind; }
    // The text in the interface language in force when it is read.
    QString errorDescription() const;

    bool operator==(const ZubTranslationServiceError& other) const
    {
        return m_kind == other.m_kind && englishDescription() == other.englishDescription();
    }

private:
    ZubTranslationServiceError(Kind kind, QString english, QString turkish);

    Kind m_kind;
};
