#include "QuorKit/UI/Credits/QuorBudgetEditorPresentation.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Credits/QuorBudgetEditorUIState.h"
#include "QuorKit/UI/Credits/QuorCreditsUIFormatter.h"

#include <cmath>

namespace {
QString t(const QString& en, const QString& tr, QuorLanguage language)
{
    return quorText(en, tr, {}, language);
}

bool isCap(std::optional<double> limit)
{
    return limit && std::isfinite(*limit) && *limit > 0;
}
} // namespace

QuorBudgetEditorPresentation QuorBudgetEditorPresentation::make(const QuorBudgetEditorUIState& state,
                                                                const std::optional<QuorAppBudgetStatus>& budget,
                                                                bool isSavingBudget, QuorLanguage language)
{
    QuorBudgetEditorPresentation p;
    p.title = t(QStringLiteral("App Spending Caps"), QStringLiteral("Uygulama Harcama Limitleri"), language);
    p.disclosureSymbol = state.isExpanded() ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right");
    p.toggleText = state.isExpanded() ? t(QStringLiteral("Hide"), QStringLiteral("Gizle"), language)
                                      : t(QStringLiteral("Edit"), QStringLiteral("Düzenle"), language);
    p.showsPanel = state.isExpanded();
    p.dailyCaption = t(QStringLiteral("Daily Cap (cr)"), QStringLiteral("Günlük Limit (kr)"), language);
    p.monthlyCaption = t(QStringLiteral("Monthly Cap (cr)"), QStringLiteral("Aylık Limit (kr)"), language);
    p.placeholder = t(QStringLiteral("Unlimited"), QStringLiteral("Limitsiz"), language);
    if (const auto& error = state.validationError()) {
        p.message = Message{*error, QuorGlassTokens::danger()};
    } else if (const auto& notice = state.savedNotice()) {
        p.message = Message{*notice, QuorGlassTokens::success()};
    }
    p.saveTitle = t(QStringLiteral("Save Caps"), QStringLiteral("Limitleri Kaydet"), language);
    p.saveBusy = isSavingBudget;
    p.saveEnabled = !isSavingBudget;
    p.showsClear = budget && (isCap(budget->dailyLimitCredits) || isCap(budget->monthlyLimitCredits));
    p.clearTitle = t(QStringLiteral("Clear"), QStringLiteral("Kaldır"), language);
    p.clearEnabled = !isSavingBudget;
    return p;
}

QuorBudgetEditorPresentation::Caps QuorBudgetEditorPresentation::caps(const QString& dailyText,
                                                                       const QString& monthlyText, QuorLanguage language)
{
    using QuorCreditsUIFormatter::parseLimitInput;
    const auto daily = parseLimitInput(dailyText);
    const auto monthly = parseLimitInput(monthlyText);
    if (!daily.valid || !monthly.valid) {
        return {t(QStringLiteral("Enter valid non-negative numbers (or leave blank for unlimited)."),
                  QStringLiteral("Geçerli, negatif olmayan sayılar girin (limitsiz için boş bırakın)."), language),
                std::nullopt, std::nullopt};
    }
    return {std::nullopt, daily.value, monthly.value};
}

QString QuorBudgetEditorPresentation::savedNotice(QuorLanguage language)
{
    return t(QStringLiteral("App limits updated."), QStringLiteral("Uygulama limitleri güncellendi."), language);
}

QString QuorBudgetEditorPresentation::removedNotice(QuorLanguage language)
{
    return t(QStringLiteral("Caps removed."), QStringLiteral("Limitler kaldırıldı."), language);
}
