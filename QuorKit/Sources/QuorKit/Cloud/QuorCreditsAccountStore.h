#pragma once

#include "QuorKit/Cloud/QuorAppBudgetStatus.h"
#include "QuorKit/Cloud/QuorBudgetWarning.h"
#include "QuorKit/Cloud/QuorCreditAccountProfile.h"
#include "QuorKit/Cloud/QuorCreditsHealthStatus.h"
#include "QuorKit/Cloud/QuorDeviceSignInStart.h"
#include "QuorKit/Cloud/QuorGatewayAIModelsResponse.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Utilities/QuorLogLevel.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

class QuorCreditsAccountManager;

// The observable face of the user's credits account on the GUI thread: signed-in state, profile,
// gateway providers, busy flags, the pending device code, the last sync time and the last error. It
// sequences the manager's work and publishes the results; nothing here throws.
class QuorCreditsAccountStore : public QObject {
    Q_OBJECT
public:
    enum class SignInKind { browser, device };

    static QuorCreditsAccountStore& shared();

    // Creation does no I/O and starts no refresh. `manager` must outlive the store.
    explicit QuorCreditsAccountStore(QuorCreditsAccountManager& manager, QObject* parent = nullptr);
    ~QuorCreditsAccountStore() override;

    bool isSignedIn() const { return m_isSignedIn; }
    const std::optional<QuorCreditAccountProfile>& profile() const { return m_profile; }
    const QList<QuorGatewayAIProvider>& activeAIProviders() const { return m_activeAIProviders; }
    bool isRefreshing() const { return m_isRefreshing; }
    bool isSigningIn() const { return m_isSigningIn; }
    bool isSavingBudget() const { return m_isSavingBudget; }
    const std::optional<QuorDeviceSignInStart>& pendingDeviceSignIn() const { return m_pendingDeviceSignIn; }
    const std::optional<QDateTime>& lastSyncedAt() const { return m_lastSyncedAt; }
    const std::optional<QString>& lastError() const { return m_lastError; }
    // Which sign-in flow runs (while isSigningIn), so the control that started it shows the wait.
    std::optional<SignInKind> signInKind() const { return m_signInKind; }
    // A sign-out waits for the gateway's answer (up to 8 s) before the account is gone.
    bool isSigningOut() const { return m_isSigningOut; }
    // A token is saved but the account could not be read (offline, timed out, a server error) and
    // no balance is held: signed in as far as this computer knows, with nothing to show.
    bool isBalanceUnreadable() const { return m_isBalanceUnreadable; }
    // A page the browser could not be given (the device page, the connect page, a portal page): the
    // views say so and offer the address to copy. Set once the desktop's launcher answered (a
    // launcher that started but failed counts as not opened); cleared by the next attempt.
    const std::optional<QUrl>& unopenedURL() const { return m_unopenedURL; }
    QuorCreditsAccountManager& manager() const { return m_manager; }

    QString currentAppName() const;
    std::optional<QuorAppBudgetStatus> currentAppBudget() const;
    QList<QuorBudgetWarning> budgetWarnings() const;
    QuorCreditsHealthStatus healthStatus() const;
    bool hasWarningOrAlert() const;

    // Returns at once while a refresh runs.
    QCoro::Task<> refresh();
    // After a token was saved (a sign-in, a pasted token): reads the account with it, also when a
    // refresh for the token before is on its way (that one's answer is dropped), and returns once
    // the new token's outcome is published.
    QCoro::Task<> refreshWithNewToken();
    QCoro::Task<> refreshIfStale(double maxAgeSeconds);
    // `app` absent or blank means the current application. True on success.
    QCoro::Task<bool> saveAppBudget(std::optional<QString> app, std::optional<double> dailyLimitCredits,
                                    std::optional<double> monthlyLimitCredits,
                                    std::optional<double> lowBalanceThresholdCredits);
    QCoro::Task<bool> deleteAppBudget(std::optional<QString> app);
    // Opens a page of the account (the device page, a portal page) in the browser; when it did not
    // open, the page is published as unopenedURL() for the views to offer.
    void openPage(const QUrl& url);
    void openTopUpPage(QuorLanguage language);
    void openBudgetsPage(QuorLanguage language);
    QCoro::Task<> signOut();
    // Rises with every sign-out. A request that reads it when it starts hands it back with its
    // answer's balance, so an answer that began before a sign-out cannot sign the account back in.
    quint64 accountEpoch() const { return m_accountEpoch; }
    // The balance an AI answer reported; values that are absent, infinite or NaN are ignored, and
    // so is the whole echo when a sign-out came after `startedAtEpoch` (the answer's request began).
    void applyLiveBillingBalance(std::optional<double> availableUSD, std::optional<double> creditsAvailable,
                                 std::optional<quint64> startedAtEpoch = std::nullopt);

    // --- Sign-in (one flow at a time; starting one cancels the previous) ---
    void startOneClickSignIn();
    void startDeviceSignIn();
    void cancelPendingSignIn();
    QCoro::Task<bool> saveManualToken(QString token);

    // The device flow's next polling interval after a "slow down" answer, in seconds.
    static qint64 slowedDownInterval(qint64 interval);

    // How long one second of the device flow's timing lasts (tests shorten it).
    void setDeviceFlowSecond(std::chrono::milliseconds second) { m_deviceFlowSecond = second; }
    // The browser flow's wait for its callback, in seconds (180 unless a test shortens it).
    void setBrowserSignInTimeout(double seconds) { m_browserSignInTimeout = seconds; }

signals:
    void isSignedInChanged();
    void profileChanged();
    void activeAIProvidersChanged();
    void isRefreshingChanged();
    void isSigningInChanged();
    void isSavingBudgetChanged();
    void pendingDeviceSignInChanged();
    void lastSyncedAtChanged();
    void lastErrorChanged();
    void signInKindChanged();
    void isSigningOutChanged();
    void isBalanceUnreadableChanged();
    void unopenedURLChanged();
    // After any of the above.
    void changed();

private:
    struct SignInFlow {
        quint64 id = 0;
        QuorCancellationToken cancel;
    };

    // The running application's name, as the gateway is told it.
    static QString resolvedAppName();
    // A line of the account's support trace.
    static void logAccount(QuorLogLevel level, const QString& message);
    static QCoro::Task<> runDeviceSignIn(QPointer<QuorCreditsAccountStore> store, QuorCreditsAccountManager* manager,
                                         quint64 flowId, QuorCancellationToken cancel,
                                         std::chrono::milliseconds second);
    static QCoro::Task<> runOneClickSignIn(QPointer<QuorCreditsAccountStore> store, QuorCreditsAccountManager* manager,
                                           quint64 flowId, QuorCancellationToken cancel, QString portalBase,
                                           double timeoutSeconds);
    quint64 beginSignInFlow(QuorCancellationToken cancel, SignInKind kind);
    bool isActiveFlow(quint64 flowId) const;
    void failSignInFlow(quint64 flowId, const std::exception& error, bool browserFlow);
    void endSignInFlow(quint64 flowId, bool deviceFlow);
    QString portalBase() const;
    // No account: nothing signed in, no profile or providers, synced now, no error.
    void publishSignedOut();
    QCoro::Task<bool> writeBudget(std::optional<QString> app, bool remove, std::optional<double> daily,
                                  std::optional<double> monthly, std::optional<double> lowBalanceThreshold);

    void setSignedIn(bool value);
    void setProfile(std::optional<QuorCreditAccountProfile> value);
    void setActiveAIProviders(QList<QuorGatewayAIProvider> value);
    void setRefreshing(bool value);
    void setSigningIn(bool value);
    void setSavingBudget(bool value);
    void setPendingDeviceSignIn(std::optional<QuorDeviceSignInStart> value);
    void setLastSyncedAt(std::optional<QDateTime> value);
    void setLastError(std::optional<QString> value);
    void setSignInKind(std::optional<SignInKind> value);
    void setSigningOut(bool value);
    void setBalanceUnreadable(bool value);
    void setUnopenedURL(std::optional<QUrl> value);
    // Clears unopenedURL, and a browser's answer still to come for an earlier page stays unshown.
    void forgetUnopenedPage();

    bool m_isSignedIn = false;
    std::optional<QuorCreditAccountProfile> m_profile;
    QList<QuorGatewayAIProvider> m_activeAIProviders;
    bool m_isRefreshing = false;
    bool m_isSigningIn = false;
    bool m_isSavingBudget = false;
    std::optional<QuorDeviceSignInStart> m_pendingDeviceSignIn;
    std::optional<QDateTime> m_lastSyncedAt;
    std::optional<QString> m_lastError;
    std::optional<SignInKind> m_signInKind;
    bool m_isSigningOut = false;
    bool m_isBalanceUnreadable = false;
    std::optional<QUrl> m_unopenedURL;
    // Rises with every page handed to the browser and every offer put aside for good: the answer
    // for an older hand-off publishes nothing.
    quint64 m_pageHandOff = 0;
    QuorCreditsAccountManager& m_manager;
    std::optional<SignInFlow> m_activeSignIn;
    quint64 m_lastFlowId = 0;
    // Bumped by every sign-out: a refresh that began under an older value publishes nothing.
    quint64 m_accountEpoch = 0;
    // Rises with every saved token; a refresh publishes only what it read under the current one.
    quint64 m_tokenGeneration = 0;
    // The token generation whose outcome (an account, no token, a failure) is published.
    quint64 m_confirmedTokenGeneration = 0;
    std::chrono::milliseconds m_deviceFlowSecond{1000};
    double m_browserSignInTimeout = 180;
};
