#include "CreditsTestSupport.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "Support/QuorTestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
template <typename Body>
QuorCreditsError creditsErrorOf(Body&& body)
{
    try {
        body();
    } catch (const QuorCreditsError& error) {
        return error;
    }
    throw std::runtime_error("no QuorCreditsError was thrown");
}

template <typename Body>
std::optional<QuorTransferError::Kind> transferKindOf(Body&& body)
{
    try {
        body();
    } catch (const QuorTransferError& error) {
        return error.kind();
    } catch (...) {
    }
    return std::nullopt;
}

QJsonObject bodyOf(const QuorTestHttpRequest& request)
{
    return QuorJson::parseObject(request.body);
}
} // namespace

class TestQuorCreditsGateway : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QuorTestHttpServer> m_server;
    std::unique_ptr<QuorCreditsAccountManager> m_manager;

    QuorCreditsAccountManager& manager() { return *m_manager; }
    QuorTestHttpServer& server() { return *m_server; }
    void signIn() { quorAwait(manager().saveToken(QStringLiteral("tok-1"))); }

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<QuorTestHttpServer>();
        QVERIFY(m_server->start());
        // A trailing slash on the gateway must not double the one every path starts with.
        m_manager = std::make_unique<QuorCreditsAccountManager>(m_folder->path(), std::nullopt,
                                                                 m_server->baseUrl().toString() + QStringLiteral("/"));
    }

    void cleanup()
    {
        m_manager.reset();
        m_server.reset();
        m_folder.reset();
    }

    void tokenCallsSendTheirHeaders()
    {
        signIn();
        server().route("GET", "/v1/me", profileAnswer(1'500'000));
        server().route("GET", "/v1/ai/models", modelsAnswer());
        const QuorCreditAccountProfile profile = quorAwait(manager().fetchProfile());
        QCOMPARE(profile.availableMicros, 1'500'000);
        QCOMPARE(quorAwait(manager().fetchAvailableAIProviders()).providers.first().models,
                 (QStringList{QStringLiteral("m1"), QStringLiteral("m2")}));
        const QuorTestHttpRequest request = server().requests("/v1/me").first();
        QCOMPARE(request.target, QByteArray("/v1/me"));
        QCOMPARE(request.header("authorization"), QByteArray("Bearer tok-1"));
        QCOMPARE(request.header("x-quorbel-app"), QuorCreditsAccountManager::currentAppHeader().toUtf8());
        // An override is used as given, even when empty.
        quorAwait(manager().fetchProfile(QString()));
        QCOMPARE(server().requests("/v1/me").last().header("authorization"), QByteArray("Bearer"));
    }

    void failuresMapToTheirErrors()
    {
        // No token: nothing is sent.
        QCOMPARE(creditsErrorOf([&] { quorAwait(manager().fetchProfile()); }).kind(), QuorCreditsError::Kind::notSignedIn);
        QCOMPARE(server().requestCount(), 0);

        signIn();
        server().enqueue("GET", "/v1/me", QuorTestHttpResponse::json(R"({"error":"expired"})", 401));
        QCOMPARE(creditsErrorOf([&] { quorAwait(manager().fetchProfile()); }).kind(), QuorCreditsError::Kind::unauthorized);
        server().enqueue("GET", "/v1/ai/models", QuorTestHttpResponse::text("upstream down", 502));
        QCOMPARE(creditsErrorOf([&] { quorAwait(manager().fetchAvailableAIProviders()); }),
                 QuorCreditsError::serverAnswer(502, "upstream down"));
        server().enqueue("GET", "/v1/me", QuorTestHttpResponse::text(QByteArray("\xff\xfe bad", 6), 500));
        QCOMPARE(creditsErrorOf([&] { quorAwait(manager().fetchProfile()); }), QuorCreditsError::serverAnswer(500, QByteArray()));
        server().enqueue("GET", "/v1/me", QuorTestHttpResponse::json(R"({"available_micros":"lots"})"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, quorAwait(manager().fetchProfile()));
        // The token still stands after a 401: only a sign-out removes it.
        QCOMPARE(quorAwait(manager().savedToken()), std::optional<QString>(QStringLiteral("tok-1")));
    }

    void onlyWebGatewaysAreUsed()
    {
        for (const char* gateway : {"file:///tmp", "relative/gateway", "http://bad host"}) {
            QuorCreditsAccountManager odd(m_folder->path(), std::nullopt, QString::fromLatin1(gateway));
            quorAwait(odd.saveToken(QStringLiteral("t")));
            QCOMPARE(creditsErrorOf([&] { quorAwait(odd.fetchProfile()); }).kind(), QuorCreditsError::Kind::invalidGatewayURL);
            QCOMPARE(creditsErrorOf([&] { quorAwait(odd.startDeviceSignIn(QStringLiteral("App"))); }).kind(),
                     QuorCreditsError::Kind::invalidGatewayURL);
        }
    }

    void theTokenStaysWithTheGatewayAndAnswersStaySmall()
    {
        signIn();
        // A redirect to another host is not followed: the token never reaches it.
        QuorTestHttpServer elsewhere;
        QVERIFY(elsewhere.start());
        elsewhere.route("GET", "/collect", profileAnswer());
        server().route("GET", "/v1/me", QuorTestHttpResponse::text("moved", 307).withHeader(
                                            "Location", elsewhere.url(QStringLiteral("/collect")).toString().toUtf8()));
        QVERIFY_THROWS_EXCEPTION(QuorTransferError, quorAwait(manager().fetchProfile()));
        QCOMPARE(elsewhere.requestCount(), 0);

        // An answer far larger than any account document is refused, not buffered, and so is one
        // that inflates far past it, whatever language the network layer speaks.
        QuorTestHttpResponse endless;
        endless.chunks = QList<QByteArray>(9, QByteArray(1024 * 1024, ' '));
        const QuorForeignQtMessages foreign;
        for (const QuorTestHttpResponse& answer : {endless, QuorTestHttpResponse::gzipBomb()}) {
            server().route("GET", "/v1/me", answer);
            QCOMPARE(transferKindOf([&] { quorAwait(manager().fetchProfile(), std::chrono::seconds(10)); }),
                     QuorTransferError::Kind::answerTooLarge);
        }
        // One that does not inflate at all could not be read.
        server().route("GET", "/v1/me", QuorTestHttpResponse::unreadableGzip());
        QCOMPARE(transferKindOf([&] { quorAwait(manager().fetchProfile(), std::chrono::seconds(10)); }),
                 QuorTransferError::Kind::answerUnreadable);
    }

    void transferFailuresAndCancellation()
    {
        signIn();
        QuorTestHttpResponse dropped;
        dropped.closeWithoutAnswer = true;
        server().route("GET", "/v1/me", dropped); // a route: the network stack retries a dropped request once
        QVERIFY_THROWS_EXCEPTION(QuorTransferError, quorAwait(manager().fetchProfile()));
        // A POST is never sent again on its own, not even to a server that does not speak HTTP.
        QuorTestHttpResponse notHTTP;
        notHTTP.rawAnswer = "220 mail.example ESMTP\r\n";
        server().route("POST", "/v1/device/code", notHTTP);
        QVERIFY_THROWS_EXCEPTION(QuorTransferError, quorAwait(manager().startDeviceSignIn(QStringLiteral("QuorZub"))));
        QCOMPARE(server().requests("/v1/device/code").size(), 1);

        QuorTestHttpResponse slow = profileAnswer();
        slow.delay = std::chrono::milliseconds(3000);
        server().route("GET", "/v1/me", slow);
        QuorCancellationToken cancel;
        QTimer::singleShot(100, [cancel] { cancel.cancel(); });
        const QuorHeldClock timer;
        QVERIFY_THROWS_EXCEPTION(QuorCancelledError, quorAwait(manager().fetchProfile(std::nullopt, cancel)));
        QVERIFY2(timer.elapsedMs() < 2500, qPrintable(QString::number(timer.elapsedMs())));
    }

    void devicePollAnswers()
    {
        server().enqueue("POST", "/v1/device/code",
                         QuorTestHttpResponse::json(R"({"device_code":"dev-9","user_code":"ABCD","verification_uri":"https:\/\/p/v",)"
                                                    R"("verification_uri_complete":"https:\/\/p/v?c=ABCD","expires_in":600,"interval":5})"));
        const QuorDeviceSignInStart start = quorAwait(manager().startDeviceSignIn(QStringLiteral("QuorZub")));
        QCOMPARE(start.deviceCode, QStringLiteral("dev-9"));
        const QuorTestHttpRequest startRequest = server().requests("/v1/device/code").first();
        QCOMPARE(bodyOf(startRequest).value(QStringLiteral("client")).toString(), QStringLiteral("QuorZub Linux"));
        QVERIFY(startRequest.header("authorization").isEmpty());
        QVERIFY(startRequest.header("x-quorbel-app").isEmpty());

        const auto poll = [&](QuorTestHttpResponse answer) {
            server().enqueue("POST", "/v1/device/token", answer);
            return quorAwait(manager().pollDeviceSignIn(QStringLiteral("dev-9")));
        };
        QCOMPARE(poll(QuorTestHttpResponse::json(R"({"error":"slow_down"})", 400)), QuorDevicePollResult::slowDown());
        QCOMPARE(poll(QuorTestHttpResponse::json(R"({"access_token":"","error":"authorization_pending"})")),
                 QuorDevicePollResult::pending());
        QCOMPARE(poll(QuorTestHttpResponse::json(R"({"error":"access_denied"})", 403)), QuorDevicePollResult::denied());
        QCOMPARE(poll(QuorTestHttpResponse::json(R"({"error":"invalid_grant"})", 400)), QuorDevicePollResult::expired());
        QCOMPARE(poll(QuorTestHttpResponse::json(R"({"error":"expired_token"})", 400)), QuorDevicePollResult::expired());
        // A token is only taken from a success answer.
        QCOMPARE(creditsErrorOf([&] { poll(QuorTestHttpResponse::json(R"({"access_token":"x"})", 500)); }).status(), 500);
        QCOMPARE(creditsErrorOf([&] { poll(QuorTestHttpResponse::json(R"({"access_token":""})")); }).status(), 200);
        QCOMPARE(creditsErrorOf([&] { poll(QuorTestHttpResponse::text("[1,2]")); }).status(), 200);
        QCOMPARE(creditsErrorOf([&] { poll(QuorTestHttpResponse::json(R"({"error":"teapot"})", 418)); }),
                 QuorCreditsError::serverAnswer(418, R"({"error":"teapot"})"));
        QCOMPARE(bodyOf(server().requests("/v1/device/token").first()).value(QStringLiteral("device_code")).toString(),
                 QStringLiteral("dev-9"));

        QCOMPARE(quorAwait(manager().savedToken()), std::nullopt);
        QCOMPARE(poll(QuorTestHttpResponse::json(R"({"access_token":"granted"})")), QuorDevicePollResult::approved(QStringLiteral("granted")));
        QCOMPARE(quorAwait(manager().savedToken()), std::optional<QString>(QStringLiteral("granted")));
    }

    void connectCodeRedemption()
    {
        server().enqueue("POST", "/v1/connect/token", QuorTestHttpResponse::json(R"({"error":"nope"})", 401));
        QCOMPARE(creditsErrorOf([&] { quorAwait(manager().redeemConnectCode(QStringLiteral("c"), QStringLiteral("v"))); }),
                 QuorCreditsError::serverAnswer(401, R"({"error":"nope"})"));
        server().enqueue("POST", "/v1/connect/token", QuorTestHttpResponse::json(R"({"access_token":"from-browser"})"));
        QCOMPARE(quorAwait(manager().redeemConnectCode(QStringLiteral("c2"), QStringLiteral("v2"))), QStringLiteral("from-browser"));
        QCOMPARE(bodyOf(server().lastRequest().value()),
                 (QJsonObject{{QStringLiteral("code"), QStringLiteral("c2")}, {QStringLiteral("code_verifier"), QStringLiteral("v2")}}));
        QCOMPARE(quorAwait(manager().savedToken()), std::optional<QString>(QStringLiteral("from-browser")));
    }

    void budgetWrites()
    {
        signIn();
        server().enqueue("PUT", "/v1/app-budgets", QuorTestHttpResponse::json(R"({"app":"QuorZub","daily_limit_credits":5})"));
        auto saved = quorAwait(manager().saveAppBudget(QStringLiteral("  QuorZub \n"), 0, 50, std::nullopt));
        QCOMPARE(saved->dailyLimitCredits, std::optional<double>(5));
        const QJsonObject body = bodyOf(server().requests("/v1/app-budgets").last());
        QCOMPARE(body, (QJsonObject{{QStringLiteral("app"), QStringLiteral("QuorZub")},
                                    {QStringLiteral("daily_limit_credits"), QJsonValue::Null},
                                    {QStringLiteral("monthly_limit_credits"), 50}}));
        QCOMPARE(server().requests("/v1/app-budgets").last().header("content-type"), QByteArray("application/json"));

        server().enqueue("PUT", "/v1/app-budgets", QuorTestHttpResponse::json(R"({"budget":{"app":"A"}})"));
        QCOMPARE(quorAwait(manager().saveAppBudget(QStringLiteral("A"), 1, 2, -3))->app, QStringLiteral("A"));
        QVERIFY(bodyOf(server().requests("/v1/app-budgets").last()).value(QStringLiteral("low_balance_threshold_credits")).isNull());
        QVERIFY(bodyOf(server().requests("/v1/app-budgets").last()).contains(QStringLiteral("low_balance_threshold_credits")));
        server().enqueue("PUT", "/v1/app-budgets", QuorTestHttpResponse::json(R"({"app_budget":{"app":"B"}})"));
        QCOMPARE(quorAwait(manager().saveAppBudget(QStringLiteral("B"), 1, 2, 3))->app, QStringLiteral("B"));
        server().enqueue("PUT", "/v1/app-budgets", QuorTestHttpResponse::json("{}"));
        QVERIFY(!quorAwait(manager().saveAppBudget(QStringLiteral("C"), 1, 2, 3)));

        server().enqueue("DELETE", "/v1/app-budgets/My%20App%2FX%3F%23", QuorTestHttpResponse::json("{}"));
        quorAwait(manager().deleteAppBudget(QStringLiteral("My App/X?#")));
        QCOMPARE(server().lastRequest()->method, QByteArray("DELETE"));
        QCOMPARE(server().lastRequest()->target, QByteArray("/v1/app-budgets/My%20App%2FX%3F%23"));

        const int sent = server().requestCount();
        QCOMPARE(creditsErrorOf([&] { quorAwait(manager().deleteAppBudget(QStringLiteral("  "))); }),
                 QuorCreditsError::serverError(400, QStringLiteral("Missing app identifier.")));
        QCOMPARE(server().requestCount(), sent);
        server().enqueue("DELETE", "/v1/app-budgets/A", QuorTestHttpResponse::json("{}", 401));
        QCOMPARE(creditsErrorOf([&] { quorAwait(manager().deleteAppBudget(QStringLiteral("A"))); }).kind(),
                 QuorCreditsError::Kind::unauthorized);
    }

    void signOutAlwaysRemovesTheLocalToken()
    {
        signIn();
        server().route("POST", "/v1/logout", QuorTestHttpResponse::json("{}", 500));
        quorAwait(manager().signOut());
        QCOMPARE(server().requests("/v1/logout").size(), 1);
        QCOMPARE(server().requests("/v1/logout").first().header("authorization"), QByteArray("Bearer tok-1"));
        QVERIFY(server().requests("/v1/logout").first().header("content-type").isEmpty());
        QCOMPARE(quorAwait(manager().savedToken()), std::nullopt);

        // Without a token nothing is sent; with the gateway gone the token is still removed.
        quorAwait(manager().signOut());
        QCOMPARE(server().requests("/v1/logout").size(), 1);
        signIn();
        server().stop();
        quorAwait(manager().signOut());
        QCOMPARE(quorAwait(manager().savedToken()), std::nullopt);
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorCreditsGateway)
#include "tst_quorcreditsgateway.moc"
