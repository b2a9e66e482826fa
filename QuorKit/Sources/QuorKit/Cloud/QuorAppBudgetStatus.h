#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The spending budget of one application, in credits.
struct QuorAppBudgetStatus {
    QString app;
    std::optional<double> dailyLimitCredits;
    std::optional<double> monthlyLimitCredits;
    double spentTodayCredits = 0;
    double spentMonthCredits = 0;
    std::optional<double> dailyRatio;
    std::optional<double> monthlyRatio;
    bool nearLimit = false;
    bool exceeded = false;
    std::optional<double> lowBalanceThresholdCredits;

    QString id() const { return app; }
    // The gateway's ratio when it sent one, else spending over a positive limit.
    std::optional<double> effectiveDailyRatio() const;
    std::optional<double> effectiveMonthlyRatio() const;
    bool hasAnyLimit() const;

    // "app" is required; throws QuorDecodingError.
    static QuorAppBudgetStatus fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    bool operator==(const QuorAppBudgetStatus& other) const = default;
};
