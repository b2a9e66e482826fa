#include "QuorKit/UI/Credits/QuorCreditsUIFormatter.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <QLocale>

#include <cmath>

namespace {
bool nearWhole(double value, double tolerance)
{
    return std::fabs(value - std::round(value)) < tolerance;
}

// The value with at most `maxFraction` decimals, trailing zeros dropped down to `minFraction`.
QString localized(double value, int minFraction, int maxFraction, const QLocale& locale)
{
    QString text = locale.toString(value, 'f', maxFraction);
    const QString point = locale.decimalPoint();
    const qsizetype dot = text.lastIndexOf(point);
    if (dot < 0) {
        return text;
    }
    const QString zero = locale.zeroDigit();
    qsizetype fraction = text.size() - dot - point.size();
    while (fraction > minFraction && text.endsWith(zero)) {
        text.chop(zero.size());
        --fraction;
    }
    if (fraction == 0) {
        text.chop(point.size());
    }
    return text;
}
} // namespace

namespace QuorCreditsUIFormatter {

QString formatCredits(double amount, QuorLanguage language)
{
    double value = std::isfinite(amount) ? amount : 0;
    value = std::max(value, 0.0);
    const QLocale locale(QuorLanguages::rawValue(language));
    if (value >= 100) {
        // Ties go to the even neighbour, as a number formatter rounds by default.
        return localized(std::nearbyint(value), 0, 0, locale);
    }
    if (nearWhole(value, 0.005)) {
        return localized(value, 0, 1, locale);
    }
    return localized(value, 1, 2, locale);
}

QString creditUnit(QuorLanguage language)
{
    return quorText(QStringLiteral("cr"), QStringLiteral("kr"), {}, language);
}

QString creditsWithUnit(double amount, QuorLanguage language)
{
    return formatCredits(amount, language) + QLatin1Char(' ') + creditUnit(language);
}

QString dollars(double amount, QuorLanguage language)
{
    const double shown = std::isfinite(amount) && amount > 0 ? amount : 0.0;
    // Beside credits written "12,5 kr", the dollar amount takes the same decimal mark.
    return QLatin1Char('$') + QLocale(QuorLanguages::rawValue(language)).toString(shown, 'f', 2);
}

QString formatContextWindow(qint64 tokens)
{
    if (tokens < 1) {
        return {};
    }
    if (tokens < 1000) {
        return QString::number(tokens) + QStringLiteral(" ctx");
    }
    if (tokens < 1000000) {
        return QString::number(tokens / 1000) + QStringLiteral("K ctx");
    }
    const double millions = static_cast<double>(tokens) / 1000000.0;
    if (nearWhole(millions, 0.05)) {
        return QString::number(std::round(millions), 'f', 0) + QStringLiteral("M ctx");
    }
    return QString::asprintf("%.1fM ctx", millions);
}

QString formatBytes(qint64 bytes)
{
    if (bytes <= 0) {
        return {};
    }
    const double gigabytes = static_cast<double>(bytes) / 1073741824.0;
    if (gigabytes >= 1) {
        return QString::asprintf("%.1f GB", gigabytes);
    }
    return QString::asprintf("%.0f MB", static_cast<double>(bytes) / 1048576.0);
}

LimitInput parseLimitInput(const QString& text)
{
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return {true, std::nullopt};
    }
    trimmed.remove(QLatin1Char(' '));
    trimmed.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || std::isnan(value) || std::isinf(value) || value < 0) {
        return {false, std::nullopt};
    }
    if (value == 0) {
        return {true, std::nullopt};
    }
    return {true, value};
}

QString editableNumberText(std::optional<double> value)
{
    if (!value || std::isnan(*value) || std::isinf(*value) || *value <= 0) {
        return {};
    }
    if (nearWhole(*value, 0.005)) {
        return QString::number(std::round(*value), 'f', 0);
    }
    return QString::asprintf("%.2f", *value);
}

} // namespace QuorCreditsUIFormatter
