#include "QuorKit/UI/AI/QuorUnifiedModelRowItem.h"

#include "QuorKit/Localization/QuorLocalization.h"

#include <cmath>

namespace {
bool contains(const QString& haystack, const QString& needle)
{
    return haystack.toLower().contains(needle);
}

bool passes(const QuorUnifiedModelRowItem& row, QuorAIModelFilterCategory category)
{
    switch (category) {
    case QuorAIModelFilterCategory::all:
        return true;
    case QuorAIModelFilterCategory::tallowmer:
        return row.isTallowmerManaged;
    case QuorAIModelFilterCategory::cloud:
        return !row.isLocal;
    case QuorAIModelFilterCategory::local:
        return row.isLocal;
    case QuorAIModelFilterCategory::installed:
        return row.isInstalledLocally;
    case QuorAIModelFilterCategory::reasoning:
        return row.supportsReasoning;
    case QuorAIModelFilterCategory::vision:
        return row.supportsVision;
    }
    return false;
}

double usablePrice(const std::optional<double>& price)
{
    const double value = price.value_or(0);
    return std::isfinite(value) && value > 0 ? value : 0;
}

// A dollar amount with cents; a positive amount below half a cent would print as "$0.00", which
// reads as free.
QString money(double amount)
{
    if (amount > 0 && amount < 0.005) {
        return QStringLiteral("<$0.01");
    }
    return QLatin1Char('$') + QString::number(amount, 'f', 2);
}
} // namespace

bool QuorUnifiedModelRowItem::matches(QuorAIModelFilterCategory category, const QString& query) const
{
    if (!passes(*this, category)) {
        return false;
    }
    const QString needle = query.trimmed().toLower();
    if (needle.isEmpty()) {
        return true;
    }
    for (const QString* field : {&displayName, &apiModelId, &vendor, &providerId, &summaryText}) {
        if (contains(*field, needle)) {
            return true;
        }
    }
    for (const QString& tag : tags) {
        if (contains(tag, needle)) {
            return true;
        }
    }
    return false;
}

QString QuorUnifiedModelRowItem::priceText(QuorLanguage language) const
{
    if (isLocal) {
        return quorText(QStringLiteral("Free · Local"), QStringLiteral("Ücretsiz · Yerel"), {}, language);
    }
    if (isManagedAutoRouter) {
        return quorText(QStringLiteral("Auto · Credits"), QStringLiteral("Otomatik · Kredi"), {}, language);
    }
    if (pricing) {
        const double input = usablePrice(pricing->inputPer1M);
        const double output = usablePrice(pricing->outputPer1M);
        if (input == 0 && output == 0) {
            return quorText(QStringLiteral("Free"), QStringLiteral("Ücretsiz"), {}, language);
        }
        return money(input) + QLatin1Char('/') + money(output) + QStringLiteral(" / 1M");
    }
    return quorText(QStringLiteral("Credits / BYO"), QStringLiteral("Kredi / API"), {}, language);
}

QString QuorUnifiedModelRowItem::ramRequirementText() const
{
    if (!minRamGb || !std::isfinite(*minRamGb) || *minRamGb <= 0) {
        return {};
    }
    // Rounded as a double and printed without decimals: no conversion to an integer type, so no
    // figure in the catalog can overflow one.
    return QString::number(std::round(*minRamGb), 'f', 0) + QStringLiteral("+ GB RAM");
}
