#pragma once

#include "QuorKit/Cloud/QuorAppBudgetStatus.h"
#include "QuorKit/Cloud/QuorBudgetWarning.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The signed-in credits account as the gateway's "/v1/me" describes it. Amounts are micros
// (millionths of a US dollar); one credit is `creditUnitMicros` micros.
struct QuorCreditAccountProfile {
    std::optional<QString> userId;
    std::optional<QString> email;
    std::optional<QString> name;
    qint64 balanceMicros = 0;
    qint64 heldMicros = 0;
    qint64 availableMicros = 0;
    qint64 creditUnitMicros = 1000;
    bool lowBalance = false;
    QString portalUrl;
    std::optional<double> lowBalanceThresholdCredits;
    std::optional<QList<QuorAppBudgetStatus>> appBudgets;
    std::optional<QuorAppBudgetStatus> currentAppBudget;
    std::optional<QList<QuorBudgetWarning>> budgetWarnings;

    double creditsAvailable() const;
    double creditsHeld() const;
    double availableUSD() const;

    // A copy with the balance a live billing echo reports (dollars win over credits); unchanged when
    // neither value is a finite number. Amounts beyond the 64-bit range saturate.
    QuorCreditAccountProfile updatingBalance(std::optional<double> availableUSD,
                                             std::optional<double> creditsAvailable) const;

    // `amount` micros rounded half away from zero; negative amounts and NaN give 0, and amounts
    // beyond the 64-bit range (infinity included) give its largest value.
    static qint64 nonNegativeMicros(double amount);

    // Every member is optional; a missing balance is held plus available. Throws QuorDecodingError,
    // also when that sum does not fit in 64 bits.
    static QuorCreditAccountProfile fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    bool operator==(const QuorCreditAccountProfile& other) const = default;
};
