#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QString>

// Evaluates everyday arithmetic as people select it: "12,5 × (3 + 4) =", "200 + 15%". Unicode
// operator signs, decimal commas, thousands separators, percentages of the running total, implicit
// multiplication before a parenthesis and one trailing equals sign. Stateless; any thread.
class ZubMathEvaluator {
public:
    struct EvaluationOutput {
        double value = 0;
        QString formatted;
        bool operator==(const EvaluationOutput& other) const = default;
    };

    // The evaluator's failures. Their texts are English in every interface language.
    class MathError : public QuorError {
    public:
        enum class Kind { invalidCharacter, emptyExpression, unexpectedToken, unmatchedParenthesis, divisionByZero,
                          nonFiniteResult };

        explicit MathError(Kind kind, QString character = {});

        Kind kind() const { return m_kind; }
        // The offending character of invalidCharacter (empty for the other kinds).
        QString character() const { return m_character; }
        QString errorDescription() const { return englishDescription(); }

        bool operator==(const MathError& other) const
        {
            return m_kind == other.m_kind && m_character == other.m_character;
        }

    private:
        Kind m_kind;
        QString m_character;
    };

    // Throws MathError.
    static EvaluationOutput evaluate(const QString& expression);

    // Without locale: "." as decimal point, no grouping, at most six decimals, no trailing zeros.
    static QString formatNumber(double value);

    ZubMathEvaluator() = delete;
};
