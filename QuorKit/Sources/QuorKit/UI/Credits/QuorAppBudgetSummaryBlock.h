#pragma once

#include "QuorKit/UI/Credits/QuorAppBudgetSummaryPresentation.h"

#include <QList>
#include <QWidget>

class QLabel;
class QVBoxLayout;
class QuorCompactProgressBar;
class QuorPlate;

// The running application's spending against its caps, read-only: a header with a badge when a cap
// is near or reached, a row each for today and this month, and the account's budget warnings.
class QuorAppBudgetSummaryBlock : public QWidget {
    Q_OBJECT
public:
    explicit QuorAppBudgetSummaryBlock(QWidget* parent = nullptr);

    void apply(const QuorAppBudgetSummaryPresentation& presentation);
    const QuorAppBudgetSummaryPresentation& presentation() const { return m_presentation; }

private:
    struct RowWidgets {
        QWidget* row = nullptr;
        QLabel* label = nullptr;
        QLabel* amount = nullptr;
        QuorCompactProgressBar* bar = nullptr;
    };

    RowWidgets makeRow(const QString& name);
    void applyWarnings(const QList<QuorAppBudgetSummaryPresentation::Warning>& warnings);

    QuorAppBudgetSummaryPresentation m_presentation;
    bool m_applied = false;
    QLabel* m_title = nullptr;
    QuorPlate* m_badge = nullptr;
    QLabel* m_badgeText = nullptr;
    QList<RowWidgets> m_rows;
    QLabel* m_noBudget = nullptr;
    QWidget* m_warnings = nullptr;
    QVBoxLayout* m_warningsLayout = nullptr;
};
