#pragma once

#include "QuorKit/Utilities/QuorSemVerError.h"
#include "QuorKit/Utilities/QuorVersionBumpKind.h"

#include <QJsonObject>
#include <QString>

#include <compare>
#include <optional>

// A three-part version MAJOR.MINOR.PATCH, ordered numerically component by component.
struct QuorSemVer {
    qint64 major = 0;
    qint64 minor = 0;
    qint64 patch = 0;

    QuorSemVer() = default;
    // A negative component becomes 0.
    QuorSemVer(qint64 major, qint64 minor, qint64 patch);

    // Trims white space, drops one leading "v" or "V", then needs exactly three dot-separated
    // decimal numbers (an optional sign, ASCII digits, within 64 bits, not below 0).
    static std::optional<QuorSemVer> fromString(const QString& text);
    // As fromString(), throwing QuorSemVerError::invalidFormat with the text as given.
    static QuorSemVer parse(const QString& text);

    // The next version for `kind`. Throws QuorSemVerError::componentOverflow when the component to
    // raise already holds the largest 64-bit value, rather than wrapping around.
    QuorSemVer bumped(QuorVersionBumpKind kind) const;

    // Accepts exactly one step of `kind` (or an unchanged version for `build`); throws
    // downgradeNotAllowed, multiStepJumpBlocked or unexpectedBumpKind otherwise.
    static void validateTransition(const QuorSemVer& from, const QuorSemVer& to, QuorVersionBumpKind kind);

    // "2.10.0"
    QString description() const;

    // {"major": .., "minor": .., "patch": ..}, all three required; values are taken as they are.
    static QuorSemVer fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    bool operator==(const QuorSemVer& other) const = default;
    std::strong_ordering operator<=>(const QuorSemVer& other) const = default;

private:
    std::optional<QuorSemVer> checkedBump(QuorVersionBumpKind kind) const;
};

size_t qHash(const QuorSemVer& version, size_t seed = 0) noexcept;
