#include "QuorKit/Utilities/QuorSemVer.h"

#include "QuorKit/Utilities/QuorJson.h"

#include <QHashFunctions>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace {
constexpr qint64 largest = std::numeric_limits<qint64>::max();

// higher - lower >= 2 without overflow, also for decoded values that may be negative.
bool atLeastTwoAbove(qint64 higher, qint64 lower)
{
    return higher > lower && static_cast<quint64>(higher) - static_cast<quint64>(lower) >= 2;
}

// An optional single sign, then one or more ASCII digits; the value must fit 64 bits and not be
// below 0 ("-0" reads as 0).
std::optional<qint64> component(const QString& piece)
{
    qsizetype position = 0;
    bool negative = false;
    if (!piece.isEmpty() && (piece.front() == QLatin1Char('+') || piece.front() == QLatin1Char('-'))) {
        negative = piece.front() == QLatin1Char('-');
        position = 1;
    }
    if (position == piece.size()) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (; position < piece.size(); ++position) {
        const char16_t unit = piece.at(position).unicode();
        if (unit < u'0' || unit > u'9') {
            return std::nullopt;
        }
        const int digit = unit - u'0';
        if (value > (largest - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    if (negative && value != 0) {
        return std::nullopt;
    }
    return value;
}
} // namespace

QuorSemVer::QuorSemVer(qint64 major, qint64 minor, qint64 patch)
    : major{std::max<qint64>(major, 0)}, minor{std::max<qint64>(minor, 0)}, patch{std::max<qint64>(patch, 0)}
{
}

std::optional<QuorSemVer> QuorSemVer::fromString(const QString& text)
{
    QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('v')) || trimmed.startsWith(QLatin1Char('V'))) {
        trimmed.remove(0, 1);
    }
    const QStringList pieces = trimmed.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (pieces.size() != 3) {
        return std::nullopt;
    }
    const auto major = component(pieces.at(0));
    const auto minor = component(pieces.at(1));
    const auto patch = component(pieces.at(2));
    if (!major || !minor || !patch) {
        return std::nullopt;
    }
    return QuorSemVer(*major, *minor, *patch);
}

QuorSemVer QuorSemVer::parse(const QString& text)
{
    const auto version = fromString(text);
    if (!version) {
        throw QuorSemVerError::invalidFormat(text);
    }
    return *version;
}

std::optional<QuorSemVer> QuorSemVer::checkedBump(QuorVersionBumpKind kind) const
{
    switch (kind) {
    case QuorVersionBumpKind::build:
        return QuorSemVer(major, minor, patch);
    case QuorVersionBumpKind::patch:
        return patch == largest ? std::nullopt : std::optional(QuorSemVer(major, minor, patch + 1));
    case QuorVersionBumpKind::minor:
        return minor == largest ? std::nullopt : std::optional(QuorSemVer(major, minor + 1, 0));
    case QuorVersionBumpKind::major:
        return major == largest ? std::nullopt : std::optional(QuorSemVer(major + 1, 0, 0));
    }
    return std::nullopt;
}

QuorSemVer QuorSemVer::bumped(QuorVersionBumpKind kind) const
{
    const auto next = checkedBump(kind);
    if (!next) {
        throw QuorSemVerError::componentOverflow(kind, description());
    }
    return *next;
}

void QuorSemVer::validateTransition(const QuorSemVer& from, const QuorSemVer& to, QuorVersionBumpKind kind)
{
    if (to < from) {
        throw QuorSemVerError::downgradeNotAllowed(from.description(), to.description());
    }
    // A step that cannot be represented is never the requested one; the checks below still say why.
    if (const auto next = from.checkedBump(kind); next && to == *next) {
        return;
    }
    const bool sameMajor = to.major == from.major;
    const bool multiStep = atLeastTwoAbove(to.major, from.major) || (sameMajor && atLeastTwoAbove(to.minor, from.minor))
        || (sameMajor && to.minor == from.minor && atLeastTwoAbove(to.patch, from.patch));
    if (multiStep) {
        throw QuorSemVerError::multiStepJumpBlocked(from.description(), to.description());
    }
    throw QuorSemVerError::unexpectedBumpKind(kind, from.description(), to.description());
}

QString QuorSemVer::description() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
}

QuorSemVer QuorSemVer::fromJson(const QJsonObject& object)
{
    QuorSemVer version;
    version.major = QuorJson::requireInt64(object, QStringLiteral("major"));
    version.minor = QuorJson::requireInt64(object, QStringLiteral("minor"));
    version.patch = QuorJson::requireInt64(object, QStringLiteral("patch"));
    return version;
}

QJsonObject QuorSemVer::toJson() const
{
    return {{QStringLiteral("major"), major}, {QStringLiteral("minor"), minor}, {QStringLiteral("patch"), patch}};
}

size_t qHash(const QuorSemVer& version, size_t seed) noexcept
{
    return qHashMulti(seed, version.major, version.minor, version.patch);
}
