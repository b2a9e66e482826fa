#pragma once

#include "QuorKit/Cloud/QuorAppBudgetStatus.h"
#include "QuorKit/Cloud/QuorBudgetWarning.h"
#include "QuorKit/Localization/QuorLanguage.h"

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

// What the running application's budget summary shows: its spending today and this month against
// the caps, a badge when a cap is near or reached, and the account's budget warnings.
struct QuorAppBudgetSummaryPresentation {
    struct Badge {
        QString text;
        QColor color;
        bool operator==(const Badge& other) const = default;
    };

    struct SpendRow {
        QString label;
        QString amountText;   // "12.5 / 100 cr (13%)" with a cap, "12.5 cr · No cap" without
        bool hasCap = false;  // the amount is then primary text and a bar follows
        double ratio = 0;     // finite, for the bar
        QColor tint;
        bool operator==(const SpendRow& other) const = default;
    };

    struct Warning {
        QString symbol;
        QColor color;
        QString message;
        bool operator==(const Warning& other) const = default;
    };

    QString title;
    std::optional<Badge> badge;
    QList<SpendRow> rows;         // today and this month, with a budget
    std::optional<QString> noBudgetText;
    QList<Warning> warnings;

    bool operator==(const QuorAppBudgetSummaryPresentation& other) const = default;

    static QuorAppBudgetSummaryPresentation make(const QString& appName, const std::optional<QuorAppBudgetStatus>& budget,
                                                 const QList<QuorBudgetWarning>& warnings, QuorLanguage language);
    // One row from the server's figures, which are never trusted to be finite or in range: a cap
    // counts only when finite and above zero, and the percentage shown is 0 to 999.
    static SpendRow spendRow(const QString& label, double spent, std::optional<double> limit,
                             std::optional<double> ratio, bool exceeded, QuorLanguage language);
};
