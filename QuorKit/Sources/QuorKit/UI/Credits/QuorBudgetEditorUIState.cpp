#include "QuorKit/UI/Credits/QuorBudgetEditorUIState.h"

#include "QuorKit/UI/Credits/QuorCreditsUIFormatter.h"

void QuorBudgetEditorUIState::hydrate(const std::optional<QuorAppBudgetStatus>& budget)
{
    using QuorCreditsUIFormatter::editableNumberText;
    setDailyLimitText(editableNumberText(budget ? budget->dailyLimitCredits : std::nullopt));
    setMonthlyLimitText(editableNumberText(budget ? budget->monthlyLimitCredits : std::nullopt));
    setValidationError(std::nullopt);
}

// Out of line: inlined into callers that pass std::nullopt, g++ 12 warns of an uninitialized QString.
void QuorBudgetEditorUIState::setValidationError(const std::optional<QString>& text)
{
    assign(m_validationError, text);
}

void QuorBudgetEditorUIState::setSavedNotice(const std::optional<QString>& text)
{
    assign(m_savedNotice, text);
}
