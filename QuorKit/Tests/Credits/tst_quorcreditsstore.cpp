#include "CreditsTestSupport.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "Support/QuorTestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <mutex>

using namespace std::chrono_literals;

namespace {
QuorTestHttpResponse delayed(QuorTestHttpResponse response, std::chrono::milliseconds delay)
{
    response.delay = delay;
    return response;
}

QuorTestHttpResponse deviceCodeAnswer(int expiresIn = 600, int interval = 3)
{
    return QuorTestHttpResponse::json(R"({"device_code":"dev-1","user_code":"WXYZ","verification_uri":"https:\/\/portal.example/device",)"
                                      R"("verification_uri_complete":"https:\/\/portal.example/device?code=WXYZ","expires_in":)"
                                      + QByteArray::number(expiresIn) + R"(,"interval":)" + QByteArray::number(interval) + "}");
}

QuorTestHttpResponse pollAnswer(const char* error)
{
    return QuorTestHttpResponse::json(QByteArray(R"({"error":")") + error + R"("})", 400);
}

QuorCreditAccountProfile profileWith(qint64 available, bool lowBalance = false)
{
    QuorCreditAccountProfile profile;
    profile.availableMicros = available;
    profile.balanceMicros = available;
    profile.lowBalance = lowBalance;
    profile.portalUrl = QStringLiteral("https://portal.example");
    return profile;
}
} // namespace

class TestQuorCreditsStore : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QuorTestHttpServer> m_server;
    std::unique_ptr<QuorCreditsAccountManager> m_manager;
    std::unique_ptr<QuorCreditsAccountStore> m_store;
    QList<QUrl> m_opened;

    QuorTestHttpServer& server() { return *m_server; }
    QuorCreditsAccountManager& manager() { return *m_manager; }
    QuorCreditsAccountStore& store() { return *m_store; }
    void saveToken(const QString& token = QStringLiteral("tok")) { quorAwait(manager().saveToken(token)); }

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<QuorTestHttpServer>();
        QVERIFY(m_server->start());
        m_manager = std::make_unique<QuorCreditsAccountManager>(m_folder->path(), std::nullopt, m_server->baseUrl().toString());
        m_opened.clear();
        m_manager->setURLOpener([this](const QUrl& url) {
            m_opened.append(url);
            return true;
        });
        m_store = std::make_unique<QuorCreditsAccountStore>(*m_manager);
        m_store->setDeviceFlowSecond(10ms);
        m_server->route("GET", "/v1/ai/models", modelsAnswer());
        m_server->route("POST", "/v1/logout", QuorTestHttpResponse::json("{}"));
    }

    void cleanup()
    {
        m_store->cancelPendingSignIn();
        QUOR_TRY_VERIFY(!m_store->isRefreshing() && !m_store->isSavingBudget());
        quorSpin(50ms); // let cancelled flows unwind before their store goes
        m_store.reset();
        m_manager.reset();
        m_server.reset();
        m_folder.reset();
    }

    // --- Refresh ---

    void refreshWithoutTokenSendsNothing()
    {
        store().applyLiveBillingBalance(5, std::nullopt);
        quorAwait(store().refresh());
        QVERIFY(!store().isSignedIn());
        QVERIFY(!store().profile());
        QVERIFY(store().lastSyncedAt());
        QVERIFY(!store().lastError());
        QCOMPARE(server().requestCount(), 0);
        QCOMPARE(store().healthStatus(), QuorCreditsHealthStatus::disconnected);
    }

    void refreshPublishesProfileAndProviders()
    {
        saveToken();
        server().route("GET", "/v1/me", profileAnswer(7'000'000));
        QSignalSpy refreshing(&store(), &QuorCreditsAccountStore::isRefreshingChanged);
        quorAwait(store().refresh());
        QVERIFY(store().isSignedIn());
        QCOMPARE(store().profile()->availableMicros, 7'000'000);
        QCOMPARE(store().activeAIProviders().size(), 1);
        QCOMPARE(store().healthStatus(), QuorCreditsHealthStatus::healthy);
        QCOMPARE(refreshing.size(), 2);

        // A failing provider list keeps the previous one; another failure keeps the state and sets the text.
        server().route("GET", "/v1/ai/models", QuorTestHttpResponse::text("no", 500));
        quorAwait(store().refresh());
        QCOMPARE(store().activeAIProviders().size(), 1);
        QVERIFY(!store().lastError());
        const QDateTime synced = *store().lastSyncedAt();
        server().route("GET", "/v1/me", QuorTestHttpResponse::text("maintenance", 503));
        quorAwait(store().refresh());
        QVERIFY(store().isSignedIn());
        QCOMPARE(store().lastError(), std::optional<QString>(QStringLiteral("The server answered with an error (HTTP 503).")));
        QCOMPARE(*store().lastSyncedAt(), synced);
    }

    void unauthorizedSignsOutTheInterfaceButKeepsTheToken()
    {
        saveToken();
        server().route("GET", "/v1/me", profileAnswer());
        quorAwait(store().refresh());
        server().route("GET", "/v1/me", QuorTestHttpResponse::json("{}", 401));
        quorAwait(store().refresh());
        QVERIFY(!store().isSignedIn());
        QVERIFY(!store().profile());
        QCOMPARE(store().activeAIProviders().size(), 1);
        QCOMPARE(store().lastError(), std::optional<QString>(QuorCreditsError::unauthorized().errorDescription()));
        QCOMPARE(quorAwait(manager().savedToken()), std::optional<QString>(QStringLiteral("tok")));
    }

    void concurrentRefreshIsRefused()
    {
        saveToken();
        server().route("GET", "/v1/me", delayed(profileAnswer(), 300ms));
        auto first = store().refresh();
        QVERIFY(store().isRefreshing());
        quorAwait(store().refresh()); // returns at once
        QVERIFY(store().isRefreshing());
        quorAwait(std::move(first));
        QCOMPARE(server().requests("/v1/me").size(), 1);
    }

    void staleRefreshNoticesOtherApplications()
    {
        server().route("GET", "/v1/me", profileAnswer());
        quorAwait(store().refresh()); // no token: signed out, synced now
        quorAwait(store().refreshIfStale(300));
        QCOMPARE(server().requestCount(), 0);

        // Another application wrote the shared token file.
        saveToken();
        quorAwait(store().refreshIfStale(300));
        QVERIFY(store().isSignedIn());
        QCOMPARE(server().requests("/v1/me").size(), 1);
        quorAwait(store().refreshIfStale(300));
        QCOMPARE(server().requests("/v1/me").size(), 1);
        quorAwait(store().refreshIfStale(0));
        QCOMPARE(server().requests("/v1/me").size(), 2);

        // ... and removed it again.
        quorAwait(manager().clearLocalToken());
        quorAwait(store().refreshIfStale(300));
        QVERIFY(!store().isSignedIn());
    }

    // --- Sign-out racing a refresh ---

    void signOutWinsOverARefreshInFlight()
    {
        saveToken();
        server().route("GET", "/v1/me", delayed(profileAnswer(), 600ms));
        auto refreshing = store().refresh();
        QUOR_TRY_COMPARE(server().requests("/v1/me").size(), 1);
        quorAwait(store().signOut());
        QVERIFY(!store().isSignedIn());
        quorAwait(std::move(refreshing));
        QVERIFY(!store().isSignedIn());
        QVERIFY(!store().profile());
        QVERIFY(store().activeAIProviders().isEmpty());
        QVERIFY(!store().lastError());
        QCOMPARE(quorAwait(manager().savedToken()), std::nullopt);
    }

    void refreshStartedDuringSignOutIsDropped()
    {
        saveToken();
        server().route("POST", "/v1/logout", delayed(QuorTestHttpResponse::json("{}"), 300ms));
        server().route("GET", "/v1/me", delayed(profileAnswer(), 700ms));
        auto signingOut = store().signOut();
        QUOR_TRY_COMPARE(server().requests("/v1/logout").size(), 1);
        auto refreshing = store().refresh(); // the token is still on disk
        quorAwait(std::move(signingOut));
        quorAwait(std::move(refreshing));
        QCOMPARE(server().requests("/v1/me").size(), 1);
        QVERIFY(!store().isSignedIn());
        QVERIFY(!store().profile());
    }

    // --- Budgets ---

    void budgetsAreSavedAndDeleted()
    {
        saveToken();
        server().route("GET", "/v1/me", profileAnswer());
        server().route("PUT", "/v1/app-budgets", QuorTestHttpResponse::json(R"({"app":"x"})"));
        QList<bool> savingDuringRefresh;
        connect(&store(), &QuorCreditsAccountStore::isRefreshingChanged, this,
                [&] { savingDuringRefresh.append(store().isSavingBudget()); });

        QVERIFY(quorAwait(store().saveAppBudget(QStringLiteral("   "), 10, 0, std::nullopt)));
        const QJsonObject body = QuorJson::parseObject(server().requests("/v1/app-budgets").last().body);
        QCOMPARE(body.value(QStringLiteral("app")).toString(), store().currentAppName());
        QVERIFY(body.value(QStringLiteral("monthly_limit_credits")).isNull());
        QCOMPARE(server().requests("/v1/me").size(), 1);
        QCOMPARE(savingDuringRefresh, (QList<bool>{true, true}));
        QVERIFY(!store().isSavingBudget());

        server().route("DELETE", "/v1/app-budgets/Other%20App", QuorTestHttpResponse::json("{}"));
        QVERIFY(quorAwait(store().deleteAppBudget(QStringLiteral("Other App"))));
        QCOMPARE(server().requests("/v1/me").size(), 2);

        // A failure reports its text, refreshes nothing and frees the flag; a second write is refused.
        server().route("PUT", "/v1/app-budgets", QuorTestHttpResponse::json(R"({"message":"limit too high"})", 422));
        QVERIFY(!quorAwait(store().saveAppBudget(QStringLiteral("A"), 1e9, std::nullopt, std::nullopt)));
        QCOMPARE(store().lastError(), std::optional<QString>(QStringLiteral("HTTP 422: limit too high")));
        QCOMPARE(server().requests("/v1/me").size(), 2);
        server().route("PUT", "/v1/app-budgets", delayed(QuorTestHttpResponse::json("{}"), 300ms));
        auto first = store().saveAppBudget(QStringLiteral("A"), 1, 1, std::nullopt);
        QVERIFY(!quorAwait(store().deleteAppBudget(QStringLiteral("A"))));
        QVERIFY(quorAwait(std::move(first)));
    }

    // --- Health and derived values ---

    void healthLevels()
    {
        const QuorCreditAccountProfile profile = profileWith(5'000'000);
        struct Case {
            const char* name;
            std::function<void(QuorCreditAccountProfile&)> shape;
            QuorCreditsHealthStatus expected;
        };
        const QuorAppBudgetStatus named{QStringLiteral("QUORZUB"), 100, std::nullopt, 80, 0};
        const QList<Case> cases{
            {"plain", [](QuorCreditAccountProfile&) {}, QuorCreditsHealthStatus::healthy},
            {"empty", [](QuorCreditAccountProfile& p) { p.availableMicros = 0; }, QuorCreditsHealthStatus::critical},
            {"exceeded", [](QuorCreditAccountProfile& p) {
                 p.currentAppBudget = QuorAppBudgetStatus{QStringLiteral("A")};
                 p.currentAppBudget->exceeded = true;
             }, QuorCreditsHealthStatus::critical},
            {"critical warning", [](QuorCreditAccountProfile& p) {
                 p.budgetWarnings = QList<QuorBudgetWarning>{{QStringLiteral("k"), QStringLiteral("Critical"), std::nullopt, QStringLiteral("m")}};
             }, QuorCreditsHealthStatus::critical},
            {"other warning", [](QuorCreditAccountProfile& p) {
                 p.budgetWarnings = QList<QuorBudgetWarning>{{QStringLiteral("k"), QStringLiteral("info"), std::nullopt, QStringLiteral("m")}};
             }, QuorCreditsHealthStatus::warning},
            {"80 of 100 today", [&](QuorCreditAccountProfile& p) { p.currentAppBudget = named; }, QuorCreditsHealthStatus::warning},
            {"limit of 0", [&](QuorCreditAccountProfile& p) {
                 p.currentAppBudget = named;
                 p.currentAppBudget->dailyLimitCredits = 0;
             }, QuorCreditsHealthStatus::healthy},
            {"low balance", [](QuorCreditAccountProfile& p) { p.lowBalance = true; }, QuorCreditsHealthStatus::warning},
        };
        for (const Case& testCase : cases) {
            QuorCreditAccountProfile shaped = profile;
            testCase.shape(shaped);
            // The store takes profiles only from the gateway: serve this one and refresh.
            saveToken();
            server().route("GET", "/v1/me", QuorTestHttpResponse::json(QuorJson::compact(shaped.toJson())));
            quorAwait(store().refresh());
            QVERIFY2(store().healthStatus() == testCase.expected, testCase.name);
        }
        // The application's budget is found among all budgets whatever its letter case.
        QuorCreditAccountProfile listed = profile;
        QuorAppBudgetStatus mine = named;
        mine.app = store().currentAppName().toUpper();
        listed.appBudgets = QList<QuorAppBudgetStatus>{{QStringLiteral("Else")}, mine};
        server().route("GET", "/v1/me", QuorTestHttpResponse::json(QuorJson::compact(listed.toJson())));
        quorAwait(store().refresh());
        QCOMPARE(store().currentAppBudget()->app, mine.app);
        QCOMPARE(store().healthStatus(), QuorCreditsHealthStatus::warning);

        quorAwait(store().signOut());
        QCOMPARE(store().healthStatus(), QuorCreditsHealthStatus::disconnected);
    }

    void liveBalance()
    {
        QSignalSpy synced(&store(), &QuorCreditsAccountStore::lastSyncedAtChanged);
        store().applyLiveBillingBalance(qQNaN(), qInf());
        store().applyLiveBillingBalance(std::nullopt, std::nullopt);
        QCOMPARE(synced.size(), 0);
        QVERIFY(!store().isSignedIn());

        store().applyLiveBillingBalance(1.5, std::nullopt);
        QVERIFY(store().isSignedIn());
        QCOMPARE(store().profile()->availableMicros, 1'500'000);
        QVERIFY(store().profile()->lowBalance);
        QCOMPARE(store().profile()->portalUrl, QuorCreditsAccountManager::defaultPortalURL);
        store().applyLiveBillingBalance(2.5, std::nullopt);
        QVERIFY(!store().profile()->lowBalance);

        // A sign-out wins over an answer that began before it, not over one that began after.
        const quint64 before = store().accountEpoch();
        quorAwait(store().signOut());
        store().applyLiveBillingBalance(4.0, std::nullopt, before);
        QVERIFY(!store().isSignedIn());
        QVERIFY(!store().profile());
        store().applyLiveBillingBalance(4.0, std::nullopt, store().accountEpoch());
        QVERIFY(store().isSignedIn());

        // A fresh store: credits count 1000 micros each, and absurd values saturate.
        QuorCreditsAccountStore other(manager());
        other.applyLiveBillingBalance(std::nullopt, 1e30);
        QCOMPARE(other.profile()->availableMicros, std::numeric_limits<qint64>::max());
        QCOMPARE(other.profile()->balanceMicros, std::numeric_limits<qint64>::max());
        other.applyLiveBillingBalance(1e300, std::nullopt);
        QCOMPARE(other.profile()->balanceMicros, std::numeric_limits<qint64>::max());
    }

    void portalPagesOpenOnlyWebAddresses()
    {
        store().openTopUpPage(QuorLanguage::tr);
        QCOMPARE(m_opened.last(), QUrl(QStringLiteral("https://tallowmer.com/kredi")));
        saveToken();
        server().route("GET", "/v1/me", QuorTestHttpResponse::json(R"({"portal_url":"https:\/\/portal.example/"})"));
        quorAwait(store().refresh());
        store().openBudgetsPage(QuorLanguage::en);
        QCOMPARE(m_opened.last(), QUrl(QStringLiteral("https://portal.example/en/usage")));

        server().route("GET", "/v1/me", QuorTestHttpResponse::json(R"({"portal_url":"file:\/\/\/home"})"));
        quorAwait(store().refresh());
        store().openTopUpPage(QuorLanguage::en);
        QCOMPARE(m_opened.size(), 2);
    }

    // --- Manual token ---

    void manualToken()
    {
        server().route("GET", "/v1/me", profileAnswer());
        server().route("POST", "/v1/device/code", deviceCodeAnswer());
        server().route("POST", "/v1/device/token", pollAnswer("authorization_pending"));
        store().setDeviceFlowSecond(1000ms);
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(store().pendingDeviceSignIn().has_value());

        QVERIFY(!quorAwait(store().saveManualToken(QStringLiteral(" \n\t "))));
        QCOMPARE(store().lastError(), std::optional<QString>(QStringLiteral("Please paste a valid Tallowmer token.")));
        QVERIFY(store().isSigningIn());
        QVERIFY(store().pendingDeviceSignIn());
        QCOMPARE(quorAwait(manager().savedToken()), std::nullopt);

        QVERIFY(quorAwait(store().saveManualToken(QStringLiteral("  pasted-token \n"))));
        QVERIFY(!store().isSigningIn());
        QVERIFY(!store().pendingDeviceSignIn());
        QCOMPARE(server().requests("/v1/me").last().header("authorization"), QByteArray("Bearer pasted-token"));

        // A token the gateway refuses is still stored; the refresh decides the answer.
        server().route("GET", "/v1/me", QuorTestHttpResponse::json("{}", 401));
        QVERIFY(!quorAwait(store().saveManualToken(QStringLiteral("stale"))));
        QCOMPARE(quorAwait(manager().savedToken()), std::optional<QString>(QStringLiteral("stale")));
    }

    // The answer on its way belongs to the token before: it is dropped, and the save is confirmed
    // by a refresh with the pasted token, whether another account or none was being read.
    void aTokenPastedDuringARefreshIsTheOneConfirmed()
    {
        server().setHandler([](const QuorTestHttpRequest& request) -> std::optional<QuorTestHttpResponse> {
            const QByteArray authorization = request.header("authorization");
            if (request.path != "/v1/me") {
                return std::nullopt;
            }
            if (authorization == "Bearer other-account") {
                return delayed(profileAnswer(1'000'000), 500ms);
            }
            if (authorization == "Bearer expired") {
                return delayed(QuorTestHttpResponse::json("{}", 401), 500ms);
            }
            return authorization == "Bearer new" ? profileAnswer(7'000'000) : QuorTestHttpResponse::json("{}", 401);
        });
        for (const QString& previous : {QStringLiteral("other-account"), QStringLiteral("expired")}) {
            saveToken(previous);
            const int before = server().requests("/v1/me").size();
            auto refreshing = store().refresh();
            QUOR_TRY_COMPARE(server().requests("/v1/me").size(), before + 1);
            QVERIFY(quorAwait(store().saveManualToken(QStringLiteral("new"))));
            QCOMPARE(store().profile()->availableMicros, 7'000'000);
            quorAwait(std::move(refreshing)); // the previous token's answer came and was dropped
            QVERIFY(store().isSignedIn());
            QCOMPARE(store().profile()->availableMicros, 7'000'000);
            QVERIFY(!store().lastError());
        }
    }

    // --- Device-code sign-in ---

    void deviceFlowApproval()
    {
        server().route("POST", "/v1/device/code", deviceCodeAnswer(600, 0));
        server().route("GET", "/v1/me", delayed(profileAnswer(), 100ms));
        std::mutex lock;
        QList<std::chrono::steady_clock::time_point> polls;
        int answered = 0;
        server().setHandler([&](const QuorTestHttpRequest& request) -> std::optional<QuorTestHttpResponse> {
            if (request.path != "/v1/device/token") {
                return std::nullopt;
            }
            const std::lock_guard guard(lock);
            polls.append(std::chrono::steady_clock::now());
            switch (answered++) {
            case 0: return pollAnswer("authorization_pending");
            case 1: return pollAnswer("slow_down");
            case 2: return pollAnswer("slow_down");
            default: return QuorTestHttpResponse::json(R"({"access_token":"device-token"})");
            }
        });
        QStringList events;
        connect(&store(), &QuorCreditsAccountStore::pendingDeviceSignInChanged, this,
                [&] { events.append(store().pendingDeviceSignIn() ? QStringLiteral("code") : QStringLiteral("no code")); });
        connect(&store(), &QuorCreditsAccountStore::isRefreshingChanged, this,
                [&] { events.append(store().isRefreshing() ? QStringLiteral("refreshing") : QStringLiteral("refreshed")); });
        connect(&store(), &QuorCreditsAccountStore::isSigningInChanged, this,
                [&] { events.append(store().isSigningIn() ? QStringLiteral("signing in") : QStringLiteral("done")); });

        store().setDeviceFlowSecond(20ms);
        const auto started = std::chrono::steady_clock::now();
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(!store().isSigningIn());

        QVERIFY(store().isSignedIn());
        QVERIFY(!store().lastError());
        QCOMPARE(quorAwait(manager().savedToken()), std::optional<QString>(QStringLiteral("device-token")));
        QCOMPARE(events, (QStringList{QStringLiteral("signing in"), QStringLiteral("code"), QStringLiteral("no code"),
                                      QStringLiteral("refreshing"), QStringLiteral("refreshed"), QStringLiteral("done")}));
        QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("https://portal.example/device?code=WXYZ"))});
        QCOMPARE(QuorJson::parseObject(server().requests("/v1/device/code").first().body).value(QStringLiteral("client")).toString(),
                 store().currentAppName() + QStringLiteral(" Linux"));

        // Interval 0 counts as 3; each slow-down adds 3 (at 20 ms per second). Waits only grow under load.
        const std::lock_guard guard(lock);
        QCOMPARE(polls.size(), 4);
        const auto gap = [](auto from, auto to) { return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count(); };
        QVERIFY(gap(started, polls[0]) >= 55);
        QVERIFY(gap(polls[0], polls[1]) >= 55);
        QVERIFY(gap(polls[1], polls[2]) >= 115);
        QVERIFY(gap(polls[2], polls[3]) >= 175);
    }

    void slowDownSteps()
    {
        QList<qint64> intervals{5};
        for (int step = 0; step < 6; ++step) {
            intervals.append(QuorCreditsAccountStore::slowedDownInterval(intervals.last()));
        }
        QCOMPARE(intervals, (QList<qint64>{5, 8, 11, 14, 17, 20, 20}));
        QCOMPARE(QuorCreditsAccountStore::slowedDownInterval(18), 20);
    }

    void deviceFlowEndings_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("denied") << QByteArray("access_denied") << QStringLiteral("Device connection was denied.");
        QTest::newRow("expired") << QByteArray("expired_token") << QStringLiteral("Device approval code expired.");
        QTest::newRow("invalid grant") << QByteArray("invalid_grant") << QStringLiteral("Device approval code expired.");
        QTest::newRow("unknown") << QByteArray("teapot") << QStringLiteral("HTTP 400: teapot");
    }

    void deviceFlowEndings()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, message);
        server().route("POST", "/v1/device/code", deviceCodeAnswer());
        server().route("POST", "/v1/device/token", pollAnswer(answer.constData()));
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(!store().isSigningIn());
        QCOMPARE(store().lastError(), std::optional<QString>(message));
        QVERIFY(!store().pendingDeviceSignIn());
        QVERIFY(!store().isSignedIn());
        QCOMPARE(server().requests("/v1/device/token").size(), 1);
    }

    void deviceFlowDeadline()
    {
        // expires_in 10 counts as 60: with 10 ms per second that is 600 ms of polls every 30 ms.
        server().route("POST", "/v1/device/code", deviceCodeAnswer(10, 0));
        server().route("POST", "/v1/device/token", pollAnswer("authorization_pending"));
        QElapsedTimer timer;
        timer.start();
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(!store().isSigningIn());
        QVERIFY(timer.elapsed() >= 590);
        QCOMPARE(store().lastError(), std::optional<QString>(QStringLiteral("Device approval code expired.")));
        const int polls = server().requests("/v1/device/token").size();
        QVERIFY2(polls >= 2 && polls <= 21, qPrintable(QString::number(polls)));
    }

    void deviceFlowFailuresAndUnopenableAddresses()
    {
        server().route("POST", "/v1/device/code", QuorTestHttpResponse::text("busy", 503));
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(!store().isSigningIn());
        QCOMPARE(store().lastError(), std::optional<QString>(QStringLiteral("The server answered with an error (HTTP 503).")));

        // Addresses that are not web pages are never opened; the code is shown and polling goes on.
        server().route("POST", "/v1/device/code",
                       QuorTestHttpResponse::json(R"json({"device_code":"d","user_code":"U","verification_uri":"file:\/\/\/etc/passwd",)json"
                                                  R"json("verification_uri_complete":"javascript:alert(1)","expires_in":600,"interval":3})json"));
        server().route("POST", "/v1/device/token", QuorTestHttpResponse::json(R"({"access_token":"t"})"));
        server().route("GET", "/v1/me", profileAnswer());
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(!store().isSigningIn());
        QVERIFY(m_opened.isEmpty());
        QVERIFY(store().isSignedIn());
    }

    void cancellingDuringTheSleepIsSilent()
    {
        server().route("POST", "/v1/device/code", deviceCodeAnswer());
        server().route("POST", "/v1/device/token", pollAnswer("authorization_pending"));
        store().setDeviceFlowSecond(1000ms);
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(store().pendingDeviceSignIn().has_value());
        store().cancelPendingSignIn();
        QVERIFY(!store().isSigningIn());
        QVERIFY(!store().pendingDeviceSignIn());
        quorSpin(100ms);
        QVERIFY(!store().lastError());
        QCOMPARE(server().requests("/v1/device/token").size(), 0);

        // Cancelling with nothing running only resets the flags; an earlier error text stays.
        QVERIFY(!quorAwait(store().saveManualToken(QString())));
        store().cancelPendingSignIn();
        QVERIFY(store().lastError());
    }

    void cancelledFlowLeavesTheNewerOneAlone()
    {
        // The first flow is still waiting for its code when the second starts; its late end must not
        // clear the second one's state, nor write an error over it.
        server().enqueue("POST", "/v1/device/code", delayed(QuorTestHttpResponse::text("late failure", 500), 400ms));
        server().enqueue("POST", "/v1/device/code", deviceCodeAnswer());
        server().route("POST", "/v1/device/token", pollAnswer("authorization_pending"));
        store().setDeviceFlowSecond(1000ms);
        store().startDeviceSignIn();
        QUOR_TRY_COMPARE(server().requests("/v1/device/code").size(), 1);
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(store().pendingDeviceSignIn().has_value());
        quorSpin(700ms); // the first request's late answer has come and gone
        QVERIFY(store().isSigningIn());
        QCOMPARE(store().pendingDeviceSignIn()->userCode, QStringLiteral("WXYZ"));
        QVERIFY(!store().lastError());
    }

    // A token the gateway grants but this computer cannot keep fails the sign-in in words, instead
    // of ending it silently signed out.
    void aTokenThatCannotBeSavedFailsTheSignIn()
    {
        // A folder under a regular file cannot be made, even by root.
        QFile blocker(m_folder->filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QuorCreditsAccountManager stuck(blocker.fileName() + QStringLiteral("/Tallowmer"), std::nullopt,
                                        server().baseUrl().toString());
        QuorCreditsAccountStore unsaved(stuck);
        unsaved.setDeviceFlowSecond(10ms);
        const QString expected = QuorCreditsError::tokenNotSaved(stuck.accountFolder()).errorDescription();
        QVERIFY(expected.contains(stuck.accountFolder()));

        server().route("POST", "/v1/device/code", deviceCodeAnswer());
        server().route("POST", "/v1/device/token", QuorTestHttpResponse::json(R"({"access_token":"granted"})"));
        server().route("GET", "/v1/me", profileAnswer());
        unsaved.startDeviceSignIn();
        QUOR_TRY_VERIFY(!unsaved.isSigningIn());
        QCOMPARE(unsaved.lastError(), std::optional<QString>(expected));
        QVERIFY(!unsaved.isSignedIn());

        QVERIFY(!quorAwait(unsaved.saveManualToken(QStringLiteral("pasted"))));
        QCOMPARE(unsaved.lastError(), std::optional<QString>(expected));
        QCOMPARE(server().requests("/v1/me").size(), 0);
    }

    // Each attempt starts without the outcome of the last one, and sign-out shows it is busy while
    // the gateway is told.
    void aNewAttemptClearsTheOldOutcome()
    {
        saveToken();
        server().route("GET", "/v1/me", QuorTestHttpResponse::json(R"({"message":"db down"})", 500));
        quorAwait(store().refresh());
        QCOMPARE(store().lastError(), std::optional<QString>(QStringLiteral("HTTP 500: db down")));
        QVERIFY(store().isBalanceUnreadable());
        QCOMPARE(store().healthStatus(), QuorCreditsHealthStatus::disconnected);

        server().route("GET", "/v1/me", delayed(profileAnswer(), 300ms));
        auto refreshing = store().refresh();
        QVERIFY(store().isRefreshing());
        QVERIFY(!store().lastError());
        quorAwait(std::move(refreshing));
        QVERIFY(store().isSignedIn() && !store().isBalanceUnreadable());

        server().route("POST", "/v1/logout", delayed(QuorTestHttpResponse::json("{}"), 300ms));
        auto signingOut = store().signOut();
        QVERIFY(store().isSigningOut());
        quorAwait(std::move(signingOut));
        QVERIFY(!store().isSigningOut() && !store().isSignedIn());
    }

    // What support reads afterwards: sign-in, cap saves, sign-out, gateway failures and browser
    // hand-offs each in a category of their own, with no token, code or e-mail address in clear.
    void theSupportTraceNamesEventsWithoutSecrets()
    {
        const std::shared_ptr<QuorAppLogger> log = QuorSupportLog::logger();
        log->clear();
        saveToken(QStringLiteral("tok-SECRET-123456789"));
        server().route("GET", "/v1/me",
                       QuorTestHttpResponse::json(R"({"message":"db down","email":"ada@example.com","access_token":"leak-abcdef"})", 500));
        quorAwait(store().refresh());
        server().route("POST", "/v1/device/code", deviceCodeAnswer());
        server().route("POST", "/v1/device/token", pollAnswer("access_denied"));
        m_manager->setURLOpener([](const QUrl&) { return false; });
        store().startDeviceSignIn();
        QUOR_TRY_VERIFY(!store().isSigningIn());
        server().route("PUT", "/v1/app-budgets", QuorTestHttpResponse::text("<html>nope</html>", 502));
        QVERIFY(!quorAwait(store().saveAppBudget(QStringLiteral("Zub"), 5, std::nullopt, std::nullopt)));
        quorAwait(store().signOut());

        QStringList lines;
        for (const QuorLogEntry& entry : log->recentEntries(200)) {
            lines.prepend(QLatin1Char('[') + entry.category + QStringLiteral("] ") + entry.message);
        }
        const QString all = lines.join(QLatin1Char('\n'));
        const auto has = [&lines](const QString& category, const QString& part) {
            return std::any_of(lines.cbegin(), lines.cend(), [&](const QString& line) {
                return line.startsWith(QLatin1Char('[') + category + QLatin1Char(']')) && line.contains(part);
            });
        };
        QVERIFY2(has(QStringLiteral("gateway"), QStringLiteral("/v1/me answered HTTP 500: {\"message\":\"db down\"")), qPrintable(all));
        QVERIFY2(has(QStringLiteral("account"), QStringLiteral("Device sign-in started")), qPrintable(all));
        QVERIFY2(has(QStringLiteral("account"), QStringLiteral("the code was denied")), qPrintable(all));
        QVERIFY2(has(QStringLiteral("browser"), QStringLiteral("https://portal.example/device")), qPrintable(all));
        QVERIFY2(has(QStringLiteral("account"), QStringLiteral("App cap save for Zub (daily 5, monthly none) failed")), qPrintable(all));
        QVERIFY2(has(QStringLiteral("gateway"), QStringLiteral("/v1/app-budgets answered HTTP 502: <html>nope</html>")), qPrintable(all));
        QVERIFY2(has(QStringLiteral("account"), QStringLiteral("Signed out")), qPrintable(all));
        for (const char* secret : {"tok-SECRET", "leak-abcdef", "ada@example.com", "WXYZ", "dev-1"}) {
            QVERIFY2(!all.contains(QLatin1String(secret)), secret);
        }
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorCreditsStore)
#include "tst_quorcreditsstore.moc"
