#include "QuorKit/Cloud/QuorCreditAccountProfile.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QJsonArray>

#include <cmath>
#include <limits>

namespace {
constexpr qint64 int64Max = std::numeric_limits<qint64>::max();
constexpr qint64 int64Min = std::numeric_limits<qint64>::min();

qint64 saturatingAdd(qint64 left, qint64 right)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(left, right, &sum)) {
        return right > 0 ? int64Max : int64Min;
    }
    return sum;
}

qint64 effectiveUnit(qint64 unit)
{
    return unit < 1 ? 1 : unit;
}

std::optional<double> finite(std::optional<double> value)
{
    if (value && std::isfinite(*value)) {
        return value;
    }
    return std::nullopt;
}

template <typename T>
std::optional<QList<T>> decodeList(const QJsonObject& object, const QString& key)
{
    const auto array = QuorJson::optionalArray(object, key);
    if (!array) {
        return std::nullopt;
    }
    QList<T> items;
    items.reserve(array->size());
    for (const QJsonValue& value : *array) {
        if (!value.isObject()) {
            throw QuorDecodingError(QStringLiteral("an element of \"%1\" is not an object").arg(key));
        }
        items.append(T::fromJson(value.toObject()));
    }
    return items;
}

template <typename T>
QJsonArray encodeList(const QList<T>& items)
{
    QJsonArray array;
    for (const T& item : items) {
        array.append(item.toJson());
    }
    return array;
}
} // namespace

double QuorCreditAccountProfile::creditsAvailable() const
{
    return static_cast<double>(availableMicros) / static_cast<double>(effectiveUnit(creditUnitMicros));
}

double QuorCreditAccountProfile::creditsHeld() const
{
    return static_cast<double>(heldMicros) / static_cast<double>(effectiveUnit(creditUnitMicros));
}

double QuorCreditAccountProfile::availableUSD() const
{
    return static_cast<double>(availableMicros) / 1'000'000.0;
}

qint64 QuorCreditAccountProfile::nonNegativeMicros(double amount)
{
    const double rounded = std::round(amount); // halves away from zero
    if (!(rounded > 0)) { // negative, zero or not a number
        return 0;
    }
    // 2^63 is the first double past the range; comparing before converting keeps the cast defined.
    if (rounded >= 9223372036854775808.0) {
        return int64Max;
    }
    return static_cast<qint64>(rounded);
}

QuorCreditAccountProfile QuorCreditAccountProfile::updatingBalance(std::optional<double> availableUSD,
                                                                   std::optional<double> creditsAvailable) const
{
    const qint64 unit = effectiveUnit(creditUnitMicros);
    const auto dollars = finite(availableUSD);
    const auto credits = finite(creditsAvailable);
    QuorCreditAccountProfile updated = *this;
    if (!dollars && !credits) {
        return updated;
    }
    const double amount = dollars ? *dollars * 1'000'000.0 : *credits * static_cast<double>(unit);
    // A product of finite values can still overflow to infinity; that saturates like any large value.
    const qint64 available = nonNegativeMicros(amount);

    updated.availableMicros = available;
    updated.balanceMicros = saturatingAdd(available, heldMicros);
    updated.creditUnitMicros = unit;
    const double threshold = lowBalanceThresholdCredits.value_or(2000);
    updated.lowBalance = available == 0 || static_cast<double>(available) / static_cast<double>(unit) < threshold;
    return updated;
}

QuorCreditAccountProfile QuorCreditAccountProfile::fromJson(const QJsonObject& object)
{
    QuorCreditAccountProfile profile;
    profile.userId = QuorJson::optionalString(object, QStringLiteral("user_id"));
    profile.email = QuorJson::optionalString(object, QStringLiteral("email"));
    profile.name = QuorJson::optionalString(object, QStringLiteral("name"));
    profile.availableMicros = QuorJson::optionalInt64(object, QStringLiteral("available_micros")).value_or(0);
    profile.heldMicros = QuorJson::optionalInt64(object, QStringLiteral("held_micros")).value_or(0);
    if (const auto balance = QuorJson::optionalInt64(object, QStringLiteral("balance_micros"))) {
        profile.balanceMicros = *balance;
    } else if (__builtin_add_overflow(profile.heldMicros, profile.availableMicros, &profile.balanceMicros)) {
        throw QuorDecodingError(QStringLiteral("held and available micros exceed the 64-bit range"));
    }
    profile.creditUnitMicros =
        effectiveUnit(QuorJson::optionalInt64(object, QStringLiteral("credit_unit_micros")).value_or(1000));
    profile.lowBalance = QuorJson::optionalBool(object, QStringLiteral("low_balance")).value_or(false);
    profile.portalUrl = QuorJson::optionalString(object, QStringLiteral("portal_url"))
                            .value_or(QuorCreditsAccountManager::defaultPortalURL);
    profile.lowBalanceThresholdCredits =
        QuorJson::optionalDouble(object, QStringLiteral("low_balance_threshold_credits"));
    profile.appBudgets = decodeList<QuorAppBudgetStatus>(object, QStringLiteral("app_budgets"));
    if (const auto current = QuorJson::optionalObject(object, QStringLiteral("current_app_budget"))) {
        profile.currentAppBudget = QuorAppBudgetStatus::fromJson(*current);
    }
    profile.budgetWarnings = decodeList<QuorBudgetWarning>(object, QStringLiteral("budget_warnings"));
    return profile;
}

QJsonObject QuorCreditAccountProfile::toJson() const
{
    QJsonObject object{
        {QStringLiteral("balance_micros"), balanceMicros},
        {QStringLiteral("held_micros"), heldMicros},
        {QStringLiteral("available_micros"), availableMicros},
        {QStringLiteral("credit_unit_micros"), creditUnitMicros},
        {QStringLiteral("low_balance"), lowBalance},
        {QStringLiteral("portal_url"), portalUrl},
    };
    if (userId) {
        object.insert(QStringLiteral("user_id"), *userId);
    }
    if (email) {
        object.insert(QStringLiteral("email"), *email);
    }
    if (name) {
        object.insert(QStringLiteral("name"), *name);
    }
    if (lowBalanceThresholdCredits) {
        object.insert(QStringLiteral("low_balance_threshold_credits"), *lowBalanceThresholdCredits);
    }
    if (appBudgets) {
        object.insert(QStringLiteral("app_budgets"), encodeList(*appBudgets));
    }
    if (currentAppBudget) {
        object.insert(QStringLiteral("current_app_budget"), currentAppBudget->toJson());
    }
    if (budgetWarnings) {
        object.insert(QStringLiteral("budget_warnings"), encodeList(*budgetWarnings));
    }
    return object;
}
