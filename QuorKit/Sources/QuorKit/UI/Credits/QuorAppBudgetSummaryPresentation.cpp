#include "QuorKit/UI/Credits/QuorAppBudgetSummaryPresentation.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Credits/QuorCreditsUIFormatter.h"

#include <algorithm>
#include <cmath>

namespace {
using P = QuorAppBudgetSummaryPresentation;

QString t(const QString& en, const QString& tr, QuorLanguage language)
{
    return quorText(en, tr, {}, language);
}

// The ratio as a whole percentage, at most 999 (a ratio of 12 reads 999%, never 1200%).
int percentage(double ratio)
{
    return static_cast<int>(std::round(std::clamp(ratio * 100.0, 0.0, 999.0)));
}
} // namespace

P::SpendRow QuorAppBudgetSummaryPresentation::spendRow(const QString& label, double spent, std::optional<double> limit,
                                                       std::optional<double> ratio, bool exceeded, QuorLanguage language)
{
    using namespace QuorCreditsUIFormatter;
    const bool hasCap = limit && std::isfinite(*limit) && *limit > 0;
    double shownRatio = 0;
    if (ratio) {
        shownRatio = *ratio;
    } else if (hasCap) {
        shownRatio = spent / *limit;
    }
    // NaN reads as nothing spent, infinity as far over the cap.
    shownRatio = std::isnan(shownRatio) ? 0.0 : std::clamp(shownRatio, -1e6, 1e6);
    const bool rowExceeded = exceeded && shownRatio >= 1;

    SpendRow row;
    row.label = label;
    row.hasCap = hasCap;
    row.ratio = shownRatio;
    if (shownRatio >= 1 || rowExceeded) {
        row.tint = QuorGlassTokens::danger();
    } else if (shownRatio >= 0.8) {
        row.tint = QuorGlassTokens::warning();
    } else {
        row.tint = QuorGlassTokens::success();
    }
    if (hasCap) {
        row.amountText = formatCredits(spent, language) + QStringLiteral(" / ") + creditsWithUnit(*limit, language) +
                         QStringLiteral(" (") + QString::number(percentage(shownRatio)) + QStringLiteral("%)");
    } else {
        row.amountText = creditsWithUnit(spent, language) + QStringLiteral(" · ") +
                         t(QStringLiteral("No cap"), QStringLiteral("Limitsiz"), language);
    }
    return row;
}

QuorAppBudgetSummaryPresentation QuorAppBudgetSummaryPresentation::make(const QString& appName,
                                                                        const std::optional<QuorAppBudgetStatus>& budget,
                                                                        const QList<QuorBudgetWarning>& warnings,
                                                                        QuorLanguage language)
{
    P p;
    p.title = t(appName + QStringLiteral(" Spending"), appName + QStringLiteral(" Harcaması"), language);
    if (budget) {
        if (budget->exceeded) {
            p.badge = Badge{t(QStringLiteral("Cap Reached"), QStringLiteral("Limit Doldu"), language), QuorGlassTokens::danger()};
        } else if (budget->nearLimit) {
            p.badge = Badge{t(QStringLiteral("Near Cap"), QStringLiteral("Limite Yakın"), language), QuorGlassTokens::warning()};
        }
        p.rows = {spendRow(t(QStringLiteral("Today"), QStringLiteral("Bugün"), language), budget->spentTodayCredits,
                           budget->dailyLimitCredits, budget->dailyRatio, budget->exceeded, language),
                  spendRow(t(QStringLiteral("This Month"), QStringLiteral("Bu Ay"), language), budget->spentMonthCredits,
                           budget->monthlyLimitCredits, budget->monthlyRatio, budget->exceeded, language)};
    } else {
        p.noBudgetText = t(QStringLiteral("No spending cap configured for ") + appName + QStringLiteral(" yet."),
                           appName + QStringLiteral(" için henüz harcama limiti tanımlanmadı."), language);
    }
    for (const QuorBudgetWarning& warning : warnings) {
        const bool critical = warning.isCritical();
        p.warnings.append({critical ? QStringLiteral("exclamationmark.octagon.fill") : QStringLiteral("exclamationmark.triangle.fill"),
                           critical ? QuorGlassTokens::danger() : QuorGlassTokens::warning(), warning.message});
    }
    return p;
}
