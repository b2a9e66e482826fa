#include "QuorKit/Cloud/QuorCreditsAccountStore.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorFeedbackService.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Utilities/QuorBundle.h"

#include <QCoro/QCoroSignal>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
const QString fallbackAppName = QStringLiteral("Tallowmer");

QDateTime now()
{
    return QDateTime::currentDateTimeUtc();
}

std::optional<double> finite(std::optional<double> value)
{
    return value && std::isfinite(*value) ? value : std::nullopt;
}

bool reachesWarningLevel(std::optional<double> fraction)
{
    return fraction && *fraction >= 0.8; // NaN compares false, so it counts as below
}

QString capText(std::optional<double> credits)
{
    return credits ? QString::number(*credits) : QStringLiteral("none");
}
} // namespace

QString QuorCreditsAccountStore::resolvedAppName()
{
    return QuorFeedbackService::resolvedCurrentAppName(QuorBundle::main(), fallbackAppName);
}

void QuorCreditsAccountStore::logAccount(QuorLogLevel level, const QString& message)
{
    QuorSupportLog::write(level, QuorSupportLog::account, message);
}

QuorCreditsAccountStore& QuorCreditsAccountStore::shared()
{
    // Never destroyed: flows and the AI client may still reach it while the application winds down.
    static auto* const instance = new QuorCreditsAccountStore(QuorCreditsAccountManager::shared());
    return *instance;
}

QuorCreditsAccountStore::QuorCreditsAccountStore(QuorCreditsAccountManager& manager, QObject* parent)
    : QObject(parent), m_manager(manager)
{
}

QuorCreditsAccountStore::~QuorCreditsAccountStore()
{
    if (m_activeSignIn) {
        m_activeSignIn->cancel.cancel();
    }
}

// ---------------------------------------------------------------------------------------------------
// Derived values

QString QuorCreditsAccountStore::currentAppName() const
{
    if (m_profile && m_profile->currentAppBudget && !m_profile->currentAppBudget->app.isEmpty()) {
        return m_profile->currentAppBudget->app;
    }
    return resolvedAppName();
}

std::optional<QuorAppBudgetStatus> QuorCreditsAccountStore::currentAppBudget() const
{
    if (!m_profile) {
        return std::nullopt;
    }
    if (m_profile->currentAppBudget) {
        return m_profile->currentAppBudget;
    }
    const QString name = resolvedAppName();
    for (const QuorAppBudgetStatus& budget : m_profile->appBudgets.value_or(QList<QuorAppBudgetStatus>())) {
        if (budget.app.compare(name, Qt::CaseInsensitive) == 0) {
            return budget;
        }
    }
    return std::nullopt;
}

QList<QuorBudgetWarning> QuorCreditsAccountStore::budgetWarnings() const
{
    return m_profile ? m_profile->budgetWarnings.value_or(QList<QuorBudgetWarning>()) : QList<QuorBudgetWarning>();
}

QuorCreditsHealthStatus QuorCreditsAccountStore::healthStatus() const
{
    if (!m_isSignedIn || !m_profile) {
        return QuorCreditsHealthStatus::disconnected;
    }
    if (m_profile->availableMicros <= 0) {
        return QuorCreditsHealthStatus::critical;
    }
    const auto budget = currentAppBudget();
    if (budget && budget->exceeded) {
        return QuorCreditsHealthStatus::critical;
    }
    const QList<QuorBudgetWarning> warnings = budgetWarnings();
    if (std::any_of(warnings.cbegin(), warnings.cend(), [](const QuorBudgetWarning& warning) { return warning.isCritical(); })) {
        return QuorCreditsHealthStatus::critical;
    }
    if (budget) {
        if (reachesWarningLevel(budget->effectiveDailyRatio()) || reachesWarningLevel(budget->effectiveMonthlyRatio())
            || budget->nearLimit || m_profile->lowBalance) {
            return QuorCreditsHealthStatus::warning;
        }
    } else if (m_profile->lowBalance) {
        return QuorCreditsHealthStatus::warning;
    }
    if (!warnings.isEmpty()) {
        return QuorCreditsHealthStatus::warning;
    }
    return QuorCreditsHealthStatus::healthy;
}

bool QuorCreditsAccountStore::hasWarningOrAlert() const
{
    const QuorCreditsHealthStatus status = healthStatus();
    return status == QuorCreditsHealthStatus::warning || status == QuorCreditsHealthStatus::critical;
}

// ---------------------------------------------------------------------------------------------------
// Refresh

QCoro::Task<> QuorCreditsAccountStore::refresh()
{
    if (m_isRefreshing) {
        co_return;
    }
    setRefreshing(true);
    // A new attempt: the outcome of the last one no longer stands beside it. A page a running
    // sign-in could not open stays offered while that sign-in waits.
    setLastError(std::nullopt);
    if (!m_isSigningIn) {
        setUnopenedURL(std::nullopt);
    }
    const QPointer<QuorCreditsAccountStore> self(this);
    QuorCreditsAccountManager* const manager = &m_manager;
    const quint64 epoch = m_accountEpoch;

    // A token saved while this runs makes the answers on their way stale: they are dropped and the
    // account is read again with the new token.
    for (bool current = false; !current;) {
        const quint64 generation = m_tokenGeneration;
        const std::optional<QString> token = co_await manager->savedToken();
        if (!self) {
            co_return;
        }
        if (epoch != m_accountEpoch) {
            break;
        }
        if (generation != m_tokenGeneration) {
            continue;
        }
        if (!token) {
            publishSignedOut();
            m_confirmedTokenGeneration = generation;
            break;
        }

        std::optional<QuorCreditAccountProfile> profile;
        std::optional<QString> failure;
        bool unauthorized = false;
        try {
            profile = co_await manager->fetchProfile();
        } catch (const std::exception& error) {
            failure = QuorCreditsError::describe(error);
            const auto* credits = dynamic_cast<const QuorCreditsError*>(&error);
            unauthorized = credits && credits->kind() == QuorCreditsError::Kind::unauthorized;
        }
        if (!self) {
            co_return;
        }
        if (epoch != m_accountEpoch) { // signed out meanwhile: this answer belongs to the old session
            break;
        }
        if (generation != m_tokenGeneration) { // the answer for the token before
            continue;
        }
        if (!profile) {
            if (unauthorized) {
                setSignedIn(false);
                setProfile(std::nullopt);
            }
            // Still signed in as far as this computer knows, but with no balance to show.
            setBalanceUnreadable(!unauthorized && !m_profile);
            setLastError(failure);
            m_confirmedTokenGeneration = generation;
            break;
        }
        setProfile(profile);
        setSignedIn(true);
        setBalanceUnreadable(false);
        setLastSyncedAt(now());
        setLastError(std::nullopt);
        m_confirmedTokenGeneration = generation;

        std::optional<QList<QuorGatewayAIProvider>> providers;
        try {
            providers = (co_await manager->fetchAvailableAIProviders()).providers;
        } catch (const std::exception&) {
            // The provider list is a nicety; the previous one stays.
        }
        if (!self) {
            co_return;
        }
        current = generation == m_tokenGeneration;
        if (providers && current && epoch == m_accountEpoch) {
            setActiveAIProviders(*providers);
        }
    }
    setRefreshing(false);
}

QCoro::Task<> QuorCreditsAccountStore::refreshWithNewToken()
{
    const quint64 generation = ++m_tokenGeneration;
    const QPointer<QuorCreditsAccountStore> self(this);
    // A refresh already on its way notices the new token and reads the account with it.
    while (m_isRefreshing) {
        co_await qCoro(this, &QuorCreditsAccountStore::isRefreshingChanged);
        if (!self) {
            co_return;
        }
    }
    if (m_confirmedTokenGeneration < generation) {
        co_await refresh();
    }
}

QCoro::Task<> QuorCreditsAccountStore::refreshIfStale(double maxAgeSeconds)
{
    if (m_isRefreshing) {
        co_return;
    }
    if (!m_lastSyncedAt || static_cast<double>(m_lastSyncedAt->msecsTo(now())) / 1000.0 >= maxAgeSeconds) {
        co_await refresh();
        co_return;
    }
    // Fresh, but another application sharing the token file may have signed in or out.
    const QPointer<QuorCreditsAccountStore> self(this);
    const std::optional<QString> token = co_await m_manager.savedToken();
    if (!self) {
        co_return;
    }
    if (token.has_value() != m_isSignedIn) {
        co_await refresh();
    }
}

// ---------------------------------------------------------------------------------------------------
// Budgets

QCoro::Task<bool> QuorCreditsAccountStore::saveAppBudget(std::optional<QString> app,
                                                         std::optional<double> dailyLimitCredits,
                                                         std::optional<double> monthlyLimitCredits,
                                                         std::optional<double> lowBalanceThresholdCredits)
{
    co_return co_await writeBudget(app, false, dailyLimitCredits, monthlyLimitCredits, lowBalanceThresholdCredits);
}

QCoro::Task<bool> QuorCreditsAccountStore::deleteAppBudget(std::optional<QString> app)
{
    co_return co_await writeBudget(app, true, std::nullopt, std::nullopt, std::nullopt);
}

QCoro::Task<bool> QuorCreditsAccountStore::writeBudget(std::optional<QString> app, bool remove,
                                                       std::optional<double> daily, std::optional<double> monthly,
                                                       std::optional<double> lowBalanceThreshold)
{
    if (m_isSavingBudget) {
        co_return false;
    }
    setSavingBudget(true);
    setLastError(std::nullopt);
    setUnopenedURL(std::nullopt);
    const QPointer<QuorCreditsAccountStore> self(this);
    QuorCreditsAccountManager* const manager = &m_manager;
    QString target = app.value_or(QString()).trimmed();
    if (target.isEmpty()) {
        target = currentAppName();
    }
    const QString change = remove ? QStringLiteral("App cap removal for %1").arg(target)
                                  : QStringLiteral("App cap save for %1 (daily %2, monthly %3)")
                                        .arg(target, capText(daily), capText(monthly));

    std::optional<QString> failure;
    try {
        if (remove) {
            co_await manager->deleteAppBudget(target);
        } else {
            co_await manager->saveAppBudget(target, daily, monthly, lowBalanceThreshold);
        }
    } catch (const std::exception& error) {
        failure = QuorCreditsError::describe(error);
        logAccount(QuorLogLevel::warn, change + QStringLiteral(" failed: ") + QString::fromUtf8(error.what()));
    }
    if (!self) {
        co_return false;
    }
    if (failure) {
        setLastError(failure);
        setSavingBudget(false);
        co_return false;
    }
    logAccount(QuorLogLevel::info, change + QStringLiteral(" done"));
    setLastError(std::nullopt);
    co_await refresh();
    if (!self) {
        co_return true;
    }
    setSavingBudget(false);
    co_return true;
}

// ---------------------------------------------------------------------------------------------------
// Portal pages, sign-out and the live balance

QString QuorCreditsAccountStore::portalBase() const
{
    return m_profile ? m_profile->portalUrl : QuorCreditsAccountManager::defaultPortalURL;
}

void QuorCreditsAccountStore::openPage(const QUrl& url)
{
    forgetUnopenedPage();
    // The launcher answers later; by then a newer page, a sign-out or the end of the sign-in that
    // opened it may have made the offer pointless.
    const quint64 handOff = m_pageHandOff;
    m_manager.openServerURL(url, this, [this, handOff, url](bool opened) {
        if (!opened && handOff == m_pageHandOff) {
            setUnopenedURL(url);
        }
    });
}

void QuorCreditsAccountStore::forgetUnopenedPage()
{
    ++m_pageHandOff;
    setUnopenedURL(std::nullopt);
}

void QuorCreditsAccountStore::openTopUpPage(QuorLanguage language)
{
    if (const auto url = QuorCreditsAccountManager::topUpURL(portalBase(), language)) {
        openPage(*url);
    }
}

void QuorCreditsAccountStore::openBudgetsPage(QuorLanguage language)
{
    if (const auto url = QuorCreditsAccountManager::budgetsURL(portalBase(), language)) {
        openPage(*url);
    }
}

QCoro::Task<> QuorCreditsAccountStore::signOut()
{
    cancelPendingSignIn();
    ++m_accountEpoch;
    setSigningOut(true);
    setLastError(std::nullopt);
    forgetUnopenedPage();
    const QPointer<QuorCreditsAccountStore> self(this);
    co_await m_manager.signOut();
    if (!self) {
        co_return;
    }
    // Again: a refresh that began while the token was still on disk must not sign the user back in.
    ++m_accountEpoch;
    publishSignedOut();
    setSigningOut(false);
}

void QuorCreditsAccountStore::publishSignedOut()
{
    setSignedIn(false);
    setProfile(std::nullopt);
    setActiveAIProviders({});
    setBalanceUnreadable(false);
    setLastSyncedAt(now());
    setLastError(std::nullopt);
}

void QuorCreditsAccountStore::applyLiveBillingBalance(std::optional<double> availableUSD,
                                                      std::optional<double> creditsAvailable,
                                                      std::optional<quint64> startedAtEpoch)
{
    if (startedAtEpoch && *startedAtEpoch != m_accountEpoch) {
        return; // the session this answer was paid from has been signed out since
    }
    const auto dollars = finite(availableUSD);
    const auto credits = finite(creditsAvailable);
    if (!dollars && !credits) {
        return;
    }
    if (m_profile) {
        setProfile(m_profile->updatingBalance(dollars, credits));
    } else {
        const qint64 micros =
            QuorCreditAccountProfile::nonNegativeMicros(dollars ? *dollars * 1'000'000.0 : *credits * 1'000.0);
        QuorCreditAccountProfile provisional;
        provisional.balanceMicros = micros;
        provisional.availableMicros = micros;
        provisional.heldMicros = 0;
        provisional.creditUnitMicros = 1000;
        provisional.lowBalance = micros < 2'000'000;
        provisional.portalUrl = QuorCreditsAccountManager::defaultPortalURL;
        setProfile(provisional);
    }
    setSignedIn(true);
    setBalanceUnreadable(false);
    setLastSyncedAt(now());
}

// ---------------------------------------------------------------------------------------------------
// Published values

#define QUOR_PUBLISH(member, value, signal) \
    do {                                    \
        if (member == value) {              \
            return;                         \
        }                                   \
        member = std::move(value);          \
        emit signal();                      \
        emit changed();                     \
    } while (false)

void QuorCreditsAccountStore::setSignedIn(bool value) { QUOR_PUBLISH(m_isSignedIn, value, isSignedInChanged); }
void QuorCreditsAccountStore::setProfile(std::optional<QuorCreditAccountProfile> value) { QUOR_PUBLISH(m_profile, value, profileChanged); }
void QuorCreditsAccountStore::setActiveAIProviders(QList<QuorGatewayAIProvider> value) { QUOR_PUBLISH(m_activeAIProviders, value, activeAIProvidersChanged); }
void QuorCreditsAccountStore::setRefreshing(bool value) { QUOR_PUBLISH(m_isRefreshing, value, isRefreshingChanged); }
void QuorCreditsAccountStore::setSigningIn(bool value) { QUOR_PUBLISH(m_isSigningIn, value, isSigningInChanged); }
void QuorCreditsAccountStore::setSavingBudget(bool value) { QUOR_PUBLISH(m_isSavingBudget, value, isSavingBudgetChanged); }
void QuorCreditsAccountStore::setPendingDeviceSignIn(std::optional<QuorDeviceSignInStart> value) { QUOR_PUBLISH(m_pendingDeviceSignIn, value, pendingDeviceSignInChanged); }
void QuorCreditsAccountStore::setLastSyncedAt(std::optional<QDateTime> value) { QUOR_PUBLISH(m_lastSyncedAt, value, lastSyncedAtChanged); }
void QuorCreditsAccountStore::setLastError(std::optional<QString> value) { QUOR_PUBLISH(m_lastError, value, lastErrorChanged); }
void QuorCreditsAccountStore::setSignInKind(std::optional<SignInKind> value) { QUOR_PUBLISH(m_signInKind, value, signInKindChanged); }
void QuorCreditsAccountStore::setSigningOut(bool value) { QUOR_PUBLISH(m_isSigningOut, value, isSigningOutChanged); }
void QuorCreditsAccountStore::setBalanceUnreadable(bool value) { QUOR_PUBLISH(m_isBalanceUnreadable, value, isBalanceUnreadableChanged); }
void QuorCreditsAccountStore::setUnopenedURL(std::optional<QUrl> value) { QUOR_PUBLISH(m_unopenedURL, value, unopenedURLChanged); }

#undef QUOR_PUBLISH
