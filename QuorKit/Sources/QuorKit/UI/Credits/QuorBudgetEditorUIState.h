#pragma once

#include "QuorKit/Cloud/QuorAppBudgetStatus.h"
#include "QuorKit/UI/Credits/QuorViewState.h"

#include <QString>

#include <optional>

// The cap editor's own state: open or closed, the two fields' texts and the message under them.
class QuorBudgetEditorUIState : public QuorViewState {
    Q_OBJECT
public:
    using QuorViewState::QuorViewState;

    bool isExpanded() const { return m_isExpanded; }
    void setExpanded(bool expanded) { assign(m_isExpanded, expanded); }
    QString dailyLimitText() const { return m_dailyLimitText; }
    void setDailyLimitText(const QString& text) { assign(m_dailyLimitText, text); }
    QString monthlyLimitText() const { return m_monthlyLimitText; }
    void setMonthlyLimitText(const QString& text) { assign(m_monthlyLimitText, text); }
    const std::optional<QString>& validationError() const { return m_validationError; }
    void setValidationError(const std::optional<QString>& text);
    const std::optional<QString>& savedNotice() const { return m_savedNotice; }
    void setSavedNotice(const std::optional<QString>& text);

    // Fills the fields from a stored budget (empty for no cap) and drops the validation message.
    void hydrate(const std::optional<QuorAppBudgetStatus>& budget);

private:
    bool m_isExpanded = false;
    QString m_dailyLimitText;
    QString m_monthlyLimitText;
    std::optional<QString> m_validationError;
    std::optional<QString> m_savedNotice;
};
