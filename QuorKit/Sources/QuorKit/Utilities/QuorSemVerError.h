#pragma once

#include "QuorKit/Utilities/QuorVersionBumpKind.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QString>

#include <optional>

// Why a version text or a release step was refused. The policy texts read the same in every
// interface language; only the overflow text, which has no fixed wording elsewhere, is translated.
class QuorSemVerError : public QuorError {
public:
    enum class Kind {
        invalidFormat,        // input(): the text exactly as the caller passed it
        downgradeNotAllowed,  // from(), to()
        multiStepJumpBlocked, // from(), to()
        unexpectedBumpKind,   // expected(), from(), to()
        componentOverflow,    // expected(), from(): the component to raise is at its largest value
    };

    static QuorSemVerError invalidFormat(const QString& input);
    static QuorSemVerError downgradeNotAllowed(const QString& from, const QString& to);
    static QuorSemVerError multiStepJumpBlocked(const QString& from, const QString& to);
    static QuorSemVerError unexpectedBumpKind(QuorVersionBumpKind expected, const QString& from, const QString& to);
    static QuorSemVerError componentOverflow(QuorVersionBumpKind kind, const QString& from);

    Kind kind() const { return m_kind; }
    QString input() const { return m_input; }
    QString from() const { return m_from; }
    QString to() const { return m_to; }
    std::optional<QuorVersionBumpKind> expected() const { return m_expected; }

    // The English text (the policy texts are the same in every language).
    QString errorDescription() const { return englishDescription(); }

    // Equal when the case and its payload are equal.
    bool operator==(const QuorSemVerError& other) const;

private:
    QuorSemVerError(Kind kind, const QString& english, const QString& turkish);

    Kind m_kind;
    QString m_input;
    QString m_from;
    QString m_to;
    std::optional<QuorVersionBumpKind> m_expected;
};
