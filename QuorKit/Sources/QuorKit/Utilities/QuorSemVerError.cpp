#include "QuorKit/Utilities/QuorSemVerError.h"

QuorSemVerError::QuorSemVerError(Kind kind, const QString& english, const QString& turkish)
    : QuorError(english, turkish), m_kind(kind)
{
}

QuorSemVerError QuorSemVerError::invalidFormat(const QString& input)
{
    const QString text = QStringLiteral("Invalid SemVer 2.0.0 string: '") + input
        + QStringLiteral("' (expected MAJOR.MINOR.PATCH).");
    QuorSemVerError error(Kind::invalidFormat, text, text);
    error.m_input = input;
    return error;
}

QuorSemVerError QuorSemVerError::downgradeNotAllowed(const QString& from, const QString& to)
{
    const QString text = QStringLiteral("Version downgrade blocked: ") + from + QStringLiteral(" -> ") + to
        + QLatin1Char('.');
    QuorSemVerError error(Kind::downgradeNotAllowed, text, text);
    error.m_from = from;
    error.m_to = to;
    return error;
}

QuorSemVerError QuorSemVerError::multiStepJumpBlocked(const QString& from, const QString& to)
{
    const QString text = QStringLiteral("Multi-step version jump blocked by Tallowmer policy: ") + from
        + QStringLiteral(" -> ") + to + QStringLiteral(". Only +1 increments are permitted.");
    QuorSemVerError error(Kind::multiStepJumpBlocked, text, text);
    error.m_from = from;
    error.m_to = to;
    return error;
}

QuorSemVerError QuorSemVerError::unexpectedBumpKind(QuorVersionBumpKind expected, const QString& from,
                                                    const QString& to)
{
    const QString text = QStringLiteral("Transition ") + from + QStringLiteral(" -> ") + to
        + QStringLiteral(" does not match requested '") + QuorVersionBumpKinds::rawValue(expected)
        + QStringLiteral("' bump.");
    QuorSemVerError error(Kind::unexpectedBumpKind, text, text);
    error.m_expected = expected;
    error.m_from = from;
    error.m_to = to;
    return error;
}

QuorSemVerError QuorSemVerError::componentOverflow(QuorVersionBumpKind kind, const QString& from)
{
    const QString raw = QuorVersionBumpKinds::rawValue(kind);
    QuorSemVerError error(Kind::componentOverflow,
                          QStringLiteral("Version ") + from + QStringLiteral(" cannot take a '") + raw
                              + QStringLiteral("' bump: that component is already at its largest value."),
                          from + QStringLiteral(" sürümüne '") + raw
                              + QStringLiteral("' artışı uygulanamaz: o bileşen zaten en büyük değerinde."));
    error.m_expected = kind;
    error.m_from = from;
    return error;
}

bool QuorSemVerError::operator==(const QuorSemVerError& other) const
{
    return m_kind == other.m_kind && m_input == other.m_input && m_from == other.m_from && m_to == other.m_to
        && m_expected == other.m_expected;
}
