#include "QuorKit/Cloud/QuorAppBudgetStatus.h"

#include "QuorKit/Utilities/QuorJson.h"

namespace {
std::optional<double> effectiveRatio(std::optional<double> ratio, std::optional<double> limit, double spent)
{
    if (ratio) {
        return ratio;
    }
    if (limit && *limit > 0) {
        return spent / *limit;
    }
    return std::nullopt;
}

void insertOptional(QJsonObject& object, const QString& key, std::optional<double> value)
{
    if (value) {
        object.insert(key, *value);
    }
}
} // namespace

std::optional<double> QuorAppBudgetStatus::effectiveDailyRatio() const
{
    return effectiveRatio(dailyRatio, dailyLimitCredits, spentTodayCredits);
}

std::optional<double> QuorAppBudgetStatus::effectiveMonthlyRatio() const
{
    return effectiveRatio(monthlyRatio, monthlyLimitCredits, spentMonthCredits);
}

bool QuorAppBudgetStatus::hasAnyLimit() const
{
    return (dailyLimitCredits && *dailyLimitCredits > 0) || (monthlyLimitCredits && *monthlyLimitCredits > 0);
}

QuorAppBudgetStatus QuorAppBudgetStatus::fromJson(const QJsonObject& object)
{
    QuorAppBudgetStatus status;
    status.app = QuorJson::requireString(object, QStringLiteral("app"));
    status.dailyLimitCredits = QuorJson::optionalDouble(object, QStringLiteral("daily_limit_credits"));
    status.monthlyLimitCredits = QuorJson::optionalDouble(object, QStringLiteral("monthly_limit_credits"));
    status.spentTodayCredits = QuorJson::optionalDouble(object, QStringLiteral("spent_today_credits")).value_or(0);
    status.spentMonthCredits = QuorJson::optionalDouble(object, QStringLiteral("spent_month_credits")).value_or(0);
    status.dailyRatio = QuorJson::optionalDouble(object, QStringLiteral("daily_ratio"));
    status.monthlyRatio = QuorJson::optionalDouble(object, QStringLiteral("monthly_ratio"));
    status.nearLimit = QuorJson::optionalBool(object, QStringLiteral("near_limit")).value_or(false);
    status.exceeded = QuorJson::optionalBool(object, QStringLiteral("exceeded")).value_or(false);
    status.lowBalanceThresholdCredits = QuorJson::optionalDouble(object, QStringLiteral("low_balance_threshold_credits"));
    return status;
}

QJsonObject QuorAppBudgetStatus::toJson() const
{
    QJsonObject object{
        {QStringLiteral("app"), app},
        {QStringLiteral("spent_today_credits"), spentTodayCredits},
        {QStringLiteral("spent_month_credits"), spentMonthCredits},
        {QStringLiteral("near_limit"), nearLimit},
        {QStringLiteral("exceeded"), exceeded},
    };
    insertOptional(object, QStringLiteral("daily_limit_credits"), dailyLimitCredits);
    insertOptional(object, QStringLiteral("monthly_limit_credits"), monthlyLimitCredits);
    insertOptional(object, QStringLiteral("daily_ratio"), dailyRatio);
    insertOptional(object, QStringLiteral("monthly_ratio"), monthlyRatio);
    insertOptional(object, QStringLiteral("low_balance_threshold_credits"), lowBalanceThresholdCredits);
    return object;
}
