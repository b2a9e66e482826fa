#pragma once

#include "QuorKit/Cloud/QuorAppBudgetStatus.h"
#include "QuorKit/Cloud/QuorCreditAccountProfile.h"
#include "QuorKit/Cloud/QuorDevicePollResult.h"
#include "QuorKit/Cloud/QuorDeviceSignInStart.h"
#include "QuorKit/Cloud/QuorGatewayAIModelsResponse.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"

#include <QMap>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QuorAppLogger;

// The credits account's one worker: the account token files, the gateway address, every HTTP call to
// the credits gateway and the browser sign-in exchange. Lives on the GUI thread; its asynchronous
// members are coroutines. Token file work runs on one private worker thread in call order, so reads
// and writes of the account files never interleave.
class QuorCreditsAccountManager : public QObject {
    Q_OBJECT
public:
    // Opens a URL in the user's browser; false when nothing could open it.
    using URLOpener = std::function<bool(const QUrl&)>;
    using MapOfTexts = QMap<QString, QString>;

    static const QString defaultGatewayURL;     // "https://api.tallowmer.com"
    static const QString defaultPortalURL;      // "https://tallowmer.com"
    static const QString gatewayURLDefaultsKey; // "com.tallowmer.creditsGatewayURL"
    static const QString accountFileName;       // "account.json"

    // The process-wide manager: no account directory, no legacy directory, no gateway override.
    static QuorCreditsAccountManager& shared();
    // The running application's log, where the account files' repairs are noted (any thread).
    static std::shared_ptr<QuorAppLogger> logger();

    // `session` (not owned) carries the gateway calls; without one the manager makes its own.
    explicit QuorCreditsAccountManager(std::optional<QString> accountDirectory = std::nullopt,
                                       std::optional<QString> legacyFennimarDirectory = std::nullopt,
                                       std::optional<QString> gatewayURLOverride = std::nullopt,
                                       QNetworkAccessManager* session = nullptr, QObject* parent = nullptr);
    ~QuorCreditsAccountManager() override;

    QString primaryAccountFile() const { return m_primaryAccountFile; }
    std::optional<QString> legacyFennimarAccountFile() const { return m_legacyFennimarAccountFile; }
    std::optional<QString> gatewayURLOverride() const { return m_gatewayURLOverride; }
    QNetworkAccessManager* session() const { return m_session; }

    // --- Token files (never throw) ---
    QCoro::Task<std::optional<QString>> savedToken();
    // True when the primary account file now holds the token; a blank token saves nothing.
    QCoro::Task<bool> saveToken(QString token);
    QCoro::Task<> clearLocalToken();
    // The folder of the primary account file.
    QString accountFolder() const;

    // --- Addresses and identification (any thread) ---
    static QString resolvedGatewayURL(std::optional<QString> override = std::nullopt);
    static QString currentAppHeader();
    static std::optional<QUrl> topUpURL(const QString& portalBase, QuorLanguage language);
    static std::optional<QUrl> budgetsURL(const QString& portalBase, QuorLanguage language);

    // --- Gateway calls (throw QuorCreditsError, QuorTransferError, QuorDecodingError or
    //     QuorCancelledError when `cancel` fires) ---
    QCoro::Task<QuorDeviceSignInStart> startDeviceSignIn(QString clientName, QuorCancellationToken cancel = {});
    QCoro::Task<QuorDevicePollResult> pollDeviceSignIn(QString deviceCode, QuorCancellationToken cancel = {});
    QCoro::Task<QString> redeemConnectCode(QString code, QString codeVerifier, QuorCancellationToken cancel = {});
    QCoro::Task<QuorCreditAccountProfile> fetchProfile(std::optional<QString> tokenOverride = std::nullopt,
                                                       QuorCancellationToken cancel = {});
    QCoro::Task<std::optional<QuorAppBudgetStatus>> saveAppBudget(QString app, std::optional<double> dailyLimitCredits,
                                                                  std::optional<double> monthlyLimitCredits,
                                                                  std::optional<double> lowBalanceThresholdCredits,
                                                                  std::optional<QString> tokenOverride = std::nullopt,
                                                                  QuorCancellationToken cancel = {});
    QCoro::Task<> deleteAppBudget(QString app, std::optional<QString> tokenOverride = std::nullopt,
                                  QuorCancellationToken cancel = {});
    QCoro::Task<QuorGatewayAIModelsResponse> fetchAvailableAIProviders(std::optional<QString> tokenOverride = std::nullopt,
                                                                       QuorCancellationToken cancel = {});
    // Tells the gateway (best effort) and always removes the local token. Never throws.
    QCoro::Task<> signOut();

    // --- Browser sign-in ---
    // The whole exchange: PKCE values, loopback listener, connect page, callback, code redemption and the
    // browser's result page. Returns the token, which is already saved.
    QCoro::Task<QString> startOneClickSignIn(QString portalBase, double timeoutSeconds, bool openBrowser,
                                             bool syncSharedStore,
                                             std::function<void(const QUrl&)> onConnectURLReady = {},
                                             QuorCancellationToken cancel = {});

    // Whether `url` is an http or https address with a host: the only kind a server may have opened.
    static bool isWebAddress(const QUrl& url);
    // Opens a URL that came from a server, but only an http or https one with a host. Everything the
    // credits account shows in the browser goes through here. True once it was handed over: the
    // desktop's launcher may still fail afterwards.
    bool openServerURL(const QUrl& url) const;
    // The same, and tells `outcome` (on the GUI thread, while `context` lives) whether the page
    // really opened: the desktop's launcher, or the opener set here, decides.
    void openServerURL(const QUrl& url, QObject* context, std::function<void(bool opened)> outcome) const;
    // Replaces the browser (tests play it); an empty opener restores the desktop's.
    void setURLOpener(URLOpener opener);
    // The longest any gateway call waits for its answer (tests shorten it); none keeps each call's own.
    void setAnswerTimeout(std::optional<std::chrono::milliseconds> timeout) { m_answerTimeout = timeout; }

private:
    struct Answer {
        int status = 0;
        QByteArray body;
        QString call; // "GET https://gateway/v1/me", for the log
    };
    enum class Auth { none, token };

    QString currentTokenKey() const;
    // Saves a token the gateway just gave; throws tokenNotSaved when the primary file could not keep it.
    QCoro::Task<> keepToken(QString token);
    QCoro::Task<QString> requireToken(std::optional<QString> tokenOverride);
    QUrl gatewayAddress(const QString& path) const;
    QCoro::Task<Answer> send(QByteArray method, QUrl url, std::chrono::milliseconds timeout, Auth auth,
                             QString token, std::optional<QByteArray> jsonBody, QuorCancellationToken cancel);
    QCoro::Task<Answer> sendTokenCall(QByteArray method, QString path, std::chrono::milliseconds timeout,
                                      std::optional<QString> tokenOverride, std::optional<QByteArray> jsonBody,
                                      QuorCancellationToken cancel);

    QString m_primaryAccountFile;
    std::optional<QString> m_legacyFennimarAccountFile;
    // Neither the caller nor the environment named the folders: the files are where the suite keeps them.
    bool m_defaultLocations = false;
    std::optional<QString> m_gatewayURLOverride;
    QPointer<QNetworkAccessManager> m_session;
    URLOpener m_urlOpener;
    std::optional<std::chrono::milliseconds> m_answerTimeout;
    QThreadPool m_fileQueue; // one thread: token file operations run one at a time, in call order
};
