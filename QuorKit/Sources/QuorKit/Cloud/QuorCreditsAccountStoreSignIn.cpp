#include "QuorKit/Cloud/QuorCreditsAccountStore.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <algorithm>
#include <climits>
#include <utility>

// The store's sign-in flows: by device code, through the browser, and with a pasted token.

namespace {
// `seconds` of the device flow in real time, saturating at the longest single timer Qt accepts.
std::chrono::milliseconds deviceFlowSpan(qint64 seconds, std::chrono::milliseconds second)
{
    const double milliseconds = static_cast<double>(seconds) * static_cast<double>(second.count());
    return std::chrono::milliseconds(static_cast<qint64>(std::clamp(milliseconds, 0.0, static_cast<double>(INT_MAX))));
}

QString deviceDeniedMessage()
{
    return quorText(QStringLiteral("Device connection was denied."), QStringLiteral("Cihaz bağlantısı reddedildi."));
}

QString deviceExpiredMessage()
{
    return quorText(QStringLiteral("Device approval code expired."), QStringLiteral("Onay kodunun süresi doldu."));
}

QString flowName(bool browserFlow)
{
    return browserFlow ? QStringLiteral("Browser sign-in") : QStringLiteral("Device sign-in");
}
} // namespace

qint64 QuorCreditsAccountStore::slowedDownInterval(qint64 interval)
{
    return std::min<qint64>(interval, 17) + 3;
}

quint64 QuorCreditsAccountStore::beginSignInFlow(QuorCancellationToken cancel, SignInKind kind)
{
    cancelPendingSignIn();
    setSigningIn(true);
    setSignInKind(kind);
    setLastError(std::nullopt);
    forgetUnopenedPage();
    m_activeSignIn = SignInFlow{++m_lastFlowId, std::move(cancel)};
    logAccount(QuorLogLevel::info, flowName(kind == SignInKind::browser) + QStringLiteral(" started"));
    return m_activeSignIn->id;
}

bool QuorCreditsAccountStore::isActiveFlow(quint64 flowId) const
{
    return m_activeSignIn && m_activeSignIn->id == flowId;
}

// A flow that is no longer the active one (cancelled, or replaced by a newer flow) publishes
// nothing: its late failure or end step must not touch the state of the flow that replaced it.
void QuorCreditsAccountStore::failSignInFlow(quint64 flowId, const std::exception& error, bool browserFlow)
{
    if (!isActiveFlow(flowId) || dynamic_cast<const QuorCancelledError*>(&error) != nullptr) {
        return;
    }
    const auto* credits = dynamic_cast<const QuorCreditsError*>(&error);
    if (browserFlow && credits && credits->kind() == QuorCreditsError::Kind::signInCancelled) {
        return;
    }
    logAccount(QuorLogLevel::warn, flowName(browserFlow) + QStringLiteral(" failed: ") + QString::fromUtf8(error.what()));
    setLastError(QuorCreditsError::describe(error));
}

void QuorCreditsAccountStore::endSignInFlow(quint64 flowId, bool deviceFlow)
{
    if (!isActiveFlow(flowId)) {
        return;
    }
    setSigningIn(false);
    setSignInKind(std::nullopt);
    if (deviceFlow) {
        setPendingDeviceSignIn(std::nullopt);
    }
    m_activeSignIn.reset();
    // The page the flow could not open is of no use once the flow is over.
    forgetUnopenedPage();
    logAccount(QuorLogLevel::info, flowName(!deviceFlow) + (m_isSignedIn ? QStringLiteral(" finished: signed in")
                                                                       : QStringLiteral(" ended without signing in")));
}

void QuorCreditsAccountStore::cancelPendingSignIn()
{
    // Forgotten before it is cancelled: a flow that unwinds at once inside cancel() already finds
    // itself replaced and leaves the state alone.
    const std::optional<SignInFlow> flow = std::exchange(m_activeSignIn, std::nullopt);
    if (flow) {
        flow->cancel.cancel();
        logAccount(QuorLogLevel::info, QStringLiteral("Sign-in cancelled"));
        forgetUnopenedPage();
    }
    setSigningIn(false);
    setSignInKind(std::nullopt);
    setPendingDeviceSignIn(std::nullopt);
}

void QuorCreditsAccountStore::startDeviceSignIn()
{
    QuorCancellationToken cancel;
    const quint64 flowId = beginSignInFlow(cancel, SignInKind::device);
    runDeviceSignIn(QPointer<QuorCreditsAccountStore>(this), &m_manager, flowId, cancel, m_deviceFlowSecond);
}

void QuorCreditsAccountStore::startOneClickSignIn()
{
    QuorCancellationToken cancel;
    const quint64 flowId = beginSignInFlow(cancel, SignInKind::browser);
    runOneClickSignIn(QPointer<QuorCreditsAccountStore>(this), &m_manager, flowId, cancel, portalBase(),
                      m_browserSignInTimeout);
}

QCoro::Task<> QuorCreditsAccountStore::runDeviceSignIn(QPointer<QuorCreditsAccountStore> store,
                                                       QuorCreditsAccountManager* manager, quint64 flowId,
                                                       QuorCancellationToken cancel, std::chrono::milliseconds second)
{
    if (!store) {
        co_return;
    }
    try {
        const QuorDeviceSignInStart start = co_await manager->startDeviceSignIn(resolvedAppName(), cancel);
        if (!store || !store->isActiveFlow(flowId)) {
            co_return;
        }
        store->setPendingDeviceSignIn(start);
        logAccount(QuorLogLevel::info, QStringLiteral("Device sign-in: a code was issued; waiting for approval"));
        // Only web pages open; the code stays on screen either way, and a page that did not open is
        // offered to copy.
        const QUrl complete(start.verificationURIComplete, QUrl::StrictMode);
        const QUrl plain(start.verificationURI, QUrl::StrictMode);
        const QUrl page = QuorCreditsAccountManager::isWebAddress(complete) ? complete : plain;
        if (QuorCreditsAccountManager::isWebAddress(page)) {
            store->openPage(page);
        }

        const auto deadline =
            std::chrono::steady_clock::now() + deviceFlowSpan(std::max<qint64>(start.expiresIn, 60), second);
        qint64 interval = std::max<qint64>(start.interval, 3);
        bool finished = false;
        while (!finished) {
            if (std::chrono::steady_clock::now() >= deadline) {
                logAccount(QuorLogLevel::info, QStringLiteral("Device sign-in: the code expired"));
                store->setLastError(deviceExpiredMessage());
                break;
            }
            cancel.throwIfCancelled();
            co_await quorSleep(deviceFlowSpan(interval, second), cancel);
            cancel.throwIfCancelled();
            const QuorDevicePollResult result = co_await manager->pollDeviceSignIn(start.deviceCode, cancel);
            if (!store || !store->isActiveFlow(flowId)) {
                co_return;
            }
            switch (result.kind) {
            case QuorDevicePollResult::Kind::pending:
                break;
            case QuorDevicePollResult::Kind::slowDown:
                interval = slowedDownInterval(interval);
                break;
            case QuorDevicePollResult::Kind::denied:
                logAccount(QuorLogLevel::info, QStringLiteral("Device sign-in: the code was denied"));
                store->setLastError(deviceDeniedMessage());
                finished = true;
                break;
            case QuorDevicePollResult::Kind::expired:
                logAccount(QuorLogLevel::info, QStringLiteral("Device sign-in: the code expired"));
                store->setLastError(deviceExpiredMessage());
                finished = true;
                break;
            case QuorDevicePollResult::Kind::approved:
                store->setPendingDeviceSignIn(std::nullopt);
                co_await store->refreshWithNewToken();
                if (!store) {
                    co_return;
                }
                finished = true;
                break;
            }
        }
    } catch (const std::exception& error) {
        if (store) {
            store->failSignInFlow(flowId, error, false);
        }
    }
    if (store) {
        store->endSignInFlow(flowId, true);
    }
}

QCoro::Task<> QuorCreditsAccountStore::runOneClickSignIn(QPointer<QuorCreditsAccountStore> store,
                                                         QuorCreditsAccountManager* manager, quint64 flowId,
                                                         QuorCancellationToken cancel, QString portalBase,
                                                         double timeoutSeconds)
{
    if (!store) {
        co_return;
    }
    try {
        // The connect page is opened here rather than by the manager, so that a browser that does
        // not open is reported with the page's address.
        const auto openConnectPage = [store](const QUrl& url) {
            if (store) {
                store->openPage(url);
            }
        };
        co_await manager->startOneClickSignIn(portalBase, timeoutSeconds, false, false, openConnectPage, cancel);
        if (!store || !store->isActiveFlow(flowId)) {
            co_return;
        }
        co_await store->refreshWithNewToken();
    } catch (const std::exception& error) {
        if (store) {
            store->failSignInFlow(flowId, error, true);
        }
    }
    if (store) {
        store->endSignInFlow(flowId, false);
    }
}

QCoro::Task<bool> QuorCreditsAccountStore::saveManualToken(QString token)
{
    const QString trimmed = token.trimmed();
    if (trimmed.isEmpty()) {
        setLastError(quorText(QStringLiteral("Please paste a valid Tallowmer token."),
                              QStringLiteral("Lütfen geçerli bir Tallowmer jetonu yapıştırın.")));
        co_return false;
    }
    cancelPendingSignIn();
    setLastError(std::nullopt);
    const QPointer<QuorCreditsAccountStore> self(this);
    QuorCreditsAccountManager* const manager = &m_manager;
    const bool saved = co_await manager->saveToken(trimmed);
    if (!self) {
        co_return false;
    }
    if (!saved) {
        logAccount(QuorLogLevel::error, QStringLiteral("Manual token: it could not be saved in ") + manager->accountFolder());
        setLastError(QuorCreditsError::tokenNotSaved(manager->accountFolder()).errorDescription());
        co_return false;
    }
    logAccount(QuorLogLevel::info, QStringLiteral("Manual token saved; reading the account"));
    co_await refreshWithNewToken();
    if (!self) {
        co_return false;
    }
    co_return m_isSignedIn;
}
