#include "AIClientTestSupport.h"

#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorCredentialRoute.h"
#include "QuorKit/Cloud/QuorReplySizeLimit.h"
#include "QuorKit/Cloud/QuorTransferError.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QRandomGenerator>
#include <QtTest>

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

Q_DECLARE_METATYPE(QuorAIClientError)
Q_DECLARE_METATYPE(BillingCall)

namespace {
QByteArray chatAnswer(const QByteArray& content)
{
    return R"({"choices":[{"index":0,"message":{"role":"assistant","content":)" + content + "}}]}";
}

QByteArray ollamaAnswer(const QByteArray& content)
{
    return R"({"model":"llama3.2","message":{"role":"assistant","content":)" + content + R"(},"done":true})";
}
} // namespace

class TestQuorAIClient : public QObject {
    Q_OBJECT
private slots:
    void ollamaSendsNoCredentialsAndAsksForOneAnswer()
    {
        AIBackendFixture fixture;
        fixture.server.enqueue("POST", "/api/chat", QuorTestHttpResponse::json(ollamaAnswer(R"("  Merhaba dünya\n")")));
        const QString answer = quorAwait(fixture.client().complete(
            QStringLiteral("Be brief."), QStringLiteral("Selam"),
            fixture.config(QuorAIProvider::ollamaLocal, QStringLiteral("/api/chat")), QStringLiteral("sk-ignored")));
        QCOMPARE(answer, QStringLiteral("Merhaba dünya"));

        const auto request = fixture.server.lastRequest();
        QVERIFY(request);
        QCOMPARE(request->method, QByteArray("POST"));
        QCOMPARE(request->header("content-type"), QByteArray("application/json"));
        QVERIFY(!request->headers.contains("authorization"));
        QVERIFY(!request->headers.contains("x-quorbel-app"));
        QVERIFY(!request->headers.contains("accept") || request->header("accept") != "text/event-stream");
        const QJsonObject body = bodyOf(*request);
        QCOMPARE(body.keys(), (QStringList{QStringLiteral("messages"), QStringLiteral("model"), QStringLiteral("stream")}));
        QCOMPARE(body.value(QStringLiteral("model")).toString(), QStringLiteral("test-model"));
        QCOMPARE(body.value(QStringLiteral("stream")), QJsonValue(false));
        const QJsonArray messages = body.value(QStringLiteral("messages")).toArray();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].toObject(), (QJsonObject{{QStringLiteral("role"), QStringLiteral("system")},
                                                      {QStringLiteral("content"), QStringLiteral("Be brief.")}}));
        QCOMPARE(messages[1].toObject(), (QJsonObject{{QStringLiteral("role"), QStringLiteral("user")},
                                                      {QStringLiteral("content"), QStringLiteral("Selam")}}));
    }

    void openAISendsTheTrimmedKeyAndEmptyPrompts()
    {
        AIBackendFixture fixture;
        fixture.server.enqueue("POST", "/v1/chat/completions", QuorTestHttpResponse::json(chatAnswer(R"("Hi")")));
        const QString answer = quorAwait(
            fixture.client().complete(QString(), QString(),
                                      fixture.config(QuorAIProvider::openAI, QStringLiteral("/v1/chat/completions")),
                                      QStringLiteral("  sk-test-123\n")));
        QCOMPARE(answer, QStringLiteral("Hi"));
        const auto request = fixture.server.lastRequest();
        QCOMPARE(request->header("authorization"), QByteArray("Bearer sk-test-123"));
        QVERIFY(!request->headers.contains("x-quorbel-app"));
        const QJsonObject body = bodyOf(*request);
        QVERIFY(!body.contains(QStringLiteral("stream")));
        const QJsonArray messages = body.value(QStringLiteral("messages")).toArray();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].toObject().value(QStringLiteral("content")).toString(), QString());
        QCOMPARE(messages[1].toObject().value(QStringLiteral("content")).toString(), QString());

        // Without a key nothing is sent to a server out on the internet ...
        const auto missing = clientError(errorOf(fixture.client().complete(
            QStringLiteral("s"), QStringLiteral("u"),
            QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("https://ai.example.test/v1/chat/completions")),
            QStringLiteral(" \n "))));
        QCOMPARE(missing, QuorAIClientError::missingAPIKey());

        // ... while a server on this computer or the private network is used without one.
        fixture.server.clearRequests();
        fixture.server.enqueue("POST", "/v1/chat/completions", QuorTestHttpResponse::json(chatAnswer(R"("local")")));
        QCOMPARE(quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                     fixture.config(QuorAIProvider::openAI, QStringLiteral("/v1/chat/completions")),
                                                     std::nullopt)),
                 QStringLiteral("local"));
        QCOMPARE(fixture.server.requestCount(), 1);
        QVERIFY(!fixture.server.lastRequest()->headers.contains("authorization"));
    }

    void creditsUseTheAccountTokenUnlessAKeyIsGiven()
    {
        AIBackendFixture fixture;
        const auto config = fixture.config(QuorAIProvider::tallowmerCredits, QStringLiteral("/v1/ai/chat/completions"));

        // No key and no saved token: nothing is sent.
        QCOMPARE(clientError(errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"), config,
                                                               QStringLiteral("   ")))),
                 QuorAIClientError::missingAPIKey());
        QCOMPARE(fixture.server.requestCount(), 0);

        quorAwait(fixture.accountManager.saveToken(QStringLiteral("account-token-42")));
        fixture.server.route("POST", "/v1/ai/chat/completions", QuorTestHttpResponse::json(chatAnswer(R"("ok")")));
        QCOMPARE(quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"), config, QStringLiteral("  "))),
                 QStringLiteral("ok"));
        auto request = fixture.server.lastRequest();
        QCOMPARE(request->header("authorization"), QByteArray("Bearer account-token-42"));
        QCOMPARE(request->header("x-quorbel-app"), QuorCreditsAccountManager::currentAppHeader().toUtf8());

        // The caller's key wins over the saved token.
        quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"), config, QStringLiteral("own-key")));
        QCOMPARE(fixture.server.lastRequest()->header("authorization"), QByteArray("Bearer own-key"));
    }

    void answerShapes_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected"); // a null text means emptyResponse

        QTest::newRow("choice content, trimmed") << chatAnswer(R"("  Hello there\n")") << QStringLiteral("Hello there");
        QTest::newRow("empty choice content") << chatAnswer(R"("")") << QStringLiteral("");
        QTest::newRow("content parts joined by line feeds")
            << chatAnswer(R"([{"type":"text","text":" one"},{"type":"image_url"},{"type":"text","text":"two "}])")
            << QStringLiteral("one\ntwo");
        QTest::newRow("content parts without text fall through")
            << QByteArray(R"({"choices":[{"message":{"content":[{"type":"image_url"}]}}],"response":" r "})")
            << QStringLiteral("r");
        QTest::newRow("empty choices, Ollama generate style")
            << QByteArray(R"({"choices":[],"response":"  from response \n"})") << QStringLiteral("from response");
        QTest::newRow("choice without message, Ollama chat style")
            << QByteArray(R"({"choices":[{"text":"legacy"}],"message":{"content":" chat "}})") << QStringLiteral("chat");
        QTest::newRow("choices that are not all objects")
            << QByteArray(R"({"choices":[{"message":{"content":"a"}},3],"response":"b"})") << QStringLiteral("b");
        QTest::newRow("top-level text is never read") << QByteArray(R"({"text":"nope"})") << QString();
        QTest::newRow("message content of another type") << QByteArray(R"({"message":{"content":5}})") << QString();
        QTest::newRow("not JSON") << QByteArray("Hello, plain text") << QString();
        QTest::newRow("a JSON array") << QByteArray(R"([{"response":"x"}])") << QString();
        QTest::newRow("empty body") << QByteArray() << QString();
    }

    void answerShapes()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        AIBackendFixture fixture;
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::json(body));
        auto task = fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                              fixture.config(QuorAIProvider::ollamaLocal), std::nullopt);
        if (expected.isNull()) {
            QCOMPARE(clientError(errorOf(std::move(task))), QuorAIClientError::emptyResponse());
        } else {
            QCOMPARE(quorAwait(std::move(task)), expected);
        }
    }

    void errorStatuses_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QuorAIClientError>("expected");

        const QString longPage = QStringLiteral("<html><body>") + QString(600, QLatin1Char('x')) + QStringLiteral("</body></html>");
        QTest::newRow("402 app budget, JSON")
            << 402 << QByteArray(R"({"error":"app_budget_exceeded","app":" QuorZub ","message":"daily limit"})")
            << QuorAIClientError::appBudgetExceeded(QStringLiteral(" QuorZub "), QStringLiteral("daily limit"));
        QTest::newRow("402 app budget, nested code")
            << 402 << QByteArray(R"({"error":{"code":"App_Budget_Exceeded","app":"Zub"}})")
            << QuorAIClientError::appBudgetExceeded(QStringLiteral("Zub"), std::nullopt);
        QTest::newRow("402 app budget, plain text")
            << 402 << QByteArray("Payment required: APP_BUDGET_EXCEEDED")
            << QuorAIClientError::appBudgetExceeded(std::nullopt, std::nullopt);
        QTest::newRow("402 credits, error message")
            << 402 << QByteArray(R"({"error":{"message":"Balance is 0"}})")
            << QuorAIClientError::insufficientCredits(QStringLiteral("Balance is 0"));
        QTest::newRow("402 credits, empty body") << 402 << QByteArray() << QuorAIClientError::insufficientCredits(std::nullopt);
        QTest::newRow("500 code at the top level")
            << 500 << QByteArray(R"({"error":{"status":1},"code":"overloaded"})")
            << QuorAIClientError::httpError(500, QStringLiteral("overloaded"));
        QTest::newRow("401 message before type")
            << 401 << QByteArray(R"({"error":{"message":"Incorrect API key","type":"invalid_request_error"}})")
            << QuorAIClientError::httpError(401, QStringLiteral("Incorrect API key"));
        QTest::newRow("400 error text") << 400 << QByteArray(R"({"error":"model not found"})")
                                        << QuorAIClientError::httpError(400, QStringLiteral("model not found"));
        QTest::newRow("404 page: no server words shown")
            << 404 << ("\n  " + longPage.toUtf8()) << QuorAIClientError::httpError(404, QString());
        const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("429 message cut counts characters, not code units")
            << 429 << (R"({"message":")" + face.repeated(400).toUtf8() + R"("})")
            << QuorAIClientError::httpError(429, face.repeated(300));
        QTest::newRow("500 message of several paragraphs keeps the first on one line")
            << 500 << QByteArray(R"({"error":{"message":"Model is\n  overloaded.\n\nTrace: x"}})")
            << QuorAIClientError::httpError(500, QStringLiteral("Model is overloaded."));
        QTest::newRow("503 plain text shows its words")
            << 503 << QByteArray("model not loaded\n") << QuorAIClientError::httpError(503, QStringLiteral("model not loaded"));
        QTest::newRow("500 long plain text is cut")
            << 500 << QByteArray(400, 'w') << QuorAIClientError::httpError(500, QString(300, QLatin1Char('w')));
        QTest::newRow("500 XML stays summarised")
            << 500 << QByteArray("<?xml version=\"1.0\"?><Error>Busy</Error>") << QuorAIClientError::httpError(500, QString());
        QTest::newRow("503 empty body") << 503 << QByteArray() << QuorAIClientError::httpError(503, QString());
        QTest::newRow("502 body that is not UTF-8") << 502 << QByteArray("\xff\xfe\xfd") << QuorAIClientError::httpError(502, QString());
    }

    void errorStatuses()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QuorAIClientError, expected);
        AIBackendFixture fixture;
        quorAwait(fixture.accountManager.saveToken(QStringLiteral("token")));
        auto answer = QuorTestHttpResponse::text(body, status);
        // A failed status never reports a balance, not even 402.
        answer.withHeader("X-Quorbel-Available-Usd", "3.5").withHeader("X-Quorbel-Credits-Available", "3500");
        fixture.server.enqueue("POST", "/chat", answer);
        const auto error = clientError(errorOf(fixture.client().complete(
            QStringLiteral("s"), QStringLiteral("u"), fixture.config(QuorAIProvider::tallowmerCredits), std::nullopt)));
        QCOMPARE(error, expected);
        QVERIFY(fixture.billingCalls->isEmpty());
    }

    void errorTexts()
    {
        const QString host = QUrl(QuorCreditsAccountManager::defaultPortalURL).host();
        const auto budget = QuorAIClientError::appBudgetExceeded(QStringLiteral("  QuorZub \n"), QStringLiteral(" daily limit "));
        QCOMPARE(budget.localizedDescription(QuorLanguage::en),
                 QStringLiteral("QuorZub reached its Tallowmer credit spending limit. Increase or remove the limit from "
                                "the Credits menu or ")
                     + host + QStringLiteral("/en/usage, or switch to your own API key / local Ollama. (daily limit)"));
        QCOMPARE(budget.localizedDescription(QuorLanguage::tr),
                 QStringLiteral("QuorZub için belirlediğiniz Tallowmer kredi harcama limitine ulaşıldı. Üst çubuktaki "
                                "Kredi menüsünden veya ")
                     + host
                     + QStringLiteral("/kullanim sayfasından limiti artırabilir ya da kendi API anahtarınıza / yerel "
                                      "Ollama'ya geçebilirsiniz. (daily limit)"));
        QVERIFY(QuorAIClientError::appBudgetExceeded(QStringLiteral("  "), std::nullopt)
                    .localizedDescription(QuorLanguage::en)
                    .startsWith(QStringLiteral("This app reached its Tallowmer credit spending limit.")));
        QCOMPARE(QuorAIClientError::insufficientCredits(QStringLiteral("   ")).localizedDescription(QuorLanguage::en),
                 QStringLiteral("Insufficient Tallowmer Credits. Top up at ") + host
                     + QStringLiteral("/en/credits or switch to your own API key / local Ollama."));
        QVERIFY(QuorAIClientError::insufficientCredits(std::nullopt)
                    .localizedDescription(QuorLanguage::tr)
                    .startsWith(QStringLiteral("Tallowmer Krediniz yetersiz. ") + host + QStringLiteral("/kredi ")));
        QCOMPARE(QuorAIClientError::httpError(503, QString()).localizedDescription(QuorLanguage::tr),
                 QStringLiteral("Sunucu bir hatayla yanıt verdi (HTTP 503)."));
        QCOMPARE(QuorAIClientError::invalidEndpoint().localizedDescription(QuorLanguage::tr),
                 QStringLiteral("Geçersiz AI uç noktası adresi."));
        QCOMPARE(localizedDescription(QuorAIClientError::emptyResponse(), QuorLanguage::en),
                 QStringLiteral("Provider returned an empty response."));
    }

    void billingEcho_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<HeaderList>("headers");
        QTest::addColumn<QList<BillingCall>>("expected");

        const HeaderList headers{{"X-Quorbel-Available-Usd", " 9.25 "},
                                                           {"X-Quorbel-Credits-Available", "9250"}};
        QTest::newRow("body wins over headers")
            << QByteArray(R"({"choices":[{"message":{"content":"x"}}],"tallowmer_billing":{"available_micros":2500000,"credits_available":"12.5"}})")
            << headers << QList<BillingCall>{{2.5, 12.5}};
        QTest::newRow("infinite dollars fall back to micros")
            << QByteArray(R"({"response":"x","tallowmer_billing":{"available_usd":"1e999","available_micros":"1000000"}})")
            << headers << QList<BillingCall>{{1.0, 9250.0}};
        QTest::newRow("unusable body values fall back to headers")
            << QByteArray(R"({"response":"x","tallowmer_billing":{"available_usd":"nan","credits_available":true}})")
            << headers << QList<BillingCall>{{9.25, 9250.0}};
        QTest::newRow("headers only") << QByteArray(R"({"response":"x"})") << headers << QList<BillingCall>{{9.25, 9250.0}};
        QTest::newRow("one header") << QByteArray(R"({"response":"x"})")
                                    << HeaderList{{"X-Quorbel-Credits-Available", "7"}}
                                    << QList<BillingCall>{{std::nullopt, 7.0}};
        QTest::newRow("nothing to report") << QByteArray(R"({"response":"x","tallowmer_billing":"soon"})")
                                           << HeaderList{{"X-Quorbel-Available-Usd", "abc"}}
                                           << QList<BillingCall>{};
    }

    void billingEcho()
    {
        QFETCH(QByteArray, body);
        QFETCH(HeaderList, headers);
        QFETCH(QList<BillingCall>, expected);
        AIBackendFixture fixture;
        auto answer = QuorTestHttpResponse::json(body);
        answer.headers += headers;
        fixture.server.enqueue("POST", "/chat", answer);
        quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                            fixture.config(QuorAIProvider::tallowmerCredits), QStringLiteral("key")));
        QCOMPARE(*fixture.billingCalls, expected);

        // Other providers never report a balance.
        fixture.server.enqueue("POST", "/chat", answer);
        quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                            fixture.config(QuorAIProvider::openAI), QStringLiteral("key")));
        QCOMPARE(*fixture.billingCalls, expected);
    }

    void balanceIsReportedEvenWhenTheAnswerHasNoContent()
    {
        AIBackendFixture fixture;
        fixture.server.enqueue("POST", "/chat",
                               QuorTestHttpResponse::text("not json at all").withHeader("X-Quorbel-Available-Usd", "4"));
        QCOMPARE(clientError(errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                               fixture.config(QuorAIProvider::tallowmerCredits),
                                                               QStringLiteral("key")))),
                 QuorAIClientError::emptyResponse());
        QCOMPARE(*fixture.billingCalls, (QList<BillingCall>{{4.0, std::nullopt}}));
    }

    void withoutACallbackTheSharedCreditsStoreHearsTheBalance()
    {
        AIBackendFixture fixture;
        QuorCreditsAccountStore& store = QuorCreditsAccountStore::shared();
        QVERIFY(!store.profile());
        fixture.server.enqueue("POST", "/chat",
                               QuorTestHttpResponse::json(R"({"response":"x","tallowmer_billing":{"available_usd":3}})"));
        quorAwait(fixture.client(false).complete(QStringLiteral("s"), QStringLiteral("u"),
                                                 fixture.config(QuorAIProvider::tallowmerCredits), QStringLiteral("key")));
        QVERIFY(store.isSignedIn());
        QVERIFY(store.profile());
        QCOMPARE(store.profile()->availableMicros, qint64(3'000'000));

        // An answer still on its way when the user signs out does not sign the account back in.
        QuorTestHttpResponse late = QuorTestHttpResponse::json(R"({"response":"x","tallowmer_billing":{"available_usd":4}})");
        late.delay = std::chrono::milliseconds(400);
        fixture.server.enqueue("POST", "/chat", late);
        auto answer = fixture.client(false).complete(QStringLiteral("s"), QStringLiteral("u"),
                                                     fixture.config(QuorAIProvider::tallowmerCredits), QStringLiteral("key"));
        quorAwait(store.signOut());
        quorAwait(std::move(answer));
        QVERIFY(!store.isSignedIn());
        QVERIFY(!store.profile());
    }

    void onlyWebEndpointsAreAccepted_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::newRow("empty") << QString();
        QTest::newRow("local file") << QStringLiteral("file:///etc/passwd");
        QTest::newRow("relative path") << QStringLiteral("v1/chat/completions");
        QTest::newRow("absolute path only") << QStringLiteral("/v1/chat/completions");
        QTest::newRow("blank inside") << QStringLiteral("http://127.0.0.1:11434/api/ chat");
        QTest::newRow("leading blank") << QStringLiteral(" http://127.0.0.1:11434/api/chat");
        QTest::newRow("other scheme") << QStringLiteral("ftp://127.0.0.1/chat");
        QTest::newRow("script") << QStringLiteral("javascript:alert(1)");
        QTest::newRow("no host") << QStringLiteral("http:///chat");
    }

    void onlyWebEndpointsAreAccepted()
    {
        QFETCH(QString, endpoint);
        AIBackendFixture fixture;
        for (const auto provider : QuorAIProviders::allCases()) {
            // The address is examined before the key: an openAI config without a key still says so.
            const QuorAIConfig config(provider, endpoint, QStringLiteral("m"));
            QCOMPARE(clientError(errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"), config,
                                                                   std::nullopt))),
                     QuorAIClientError::invalidEndpoint());
        }
        QCOMPARE(fixture.server.requestCount(), 0);
    }

    void credentialsNeverFollowARedirectToAnotherHost()
    {
        AIBackendFixture fixture;
        QuorTestHttpServer elsewhere;
        QVERIFY(elsewhere.start());
        elsewhere.route("POST", "/collect", QuorTestHttpResponse::json(chatAnswer(R"("stolen")")));
        const QByteArray target = elsewhere.url(QStringLiteral("/collect")).toString().toUtf8();
        fixture.server.route("POST", "/moved", QuorTestHttpResponse::text("moved", 307).withHeader("Location", target));

        for (const auto provider : {QuorAIProvider::openAI, QuorAIProvider::tallowmerCredits}) {
            const auto error = errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                                 fixture.config(provider, QStringLiteral("/moved")),
                                                                 QStringLiteral("secret-key")));
            QVERIFY(error);
            QCOMPARE(clientError(error)->statusCode(), 307);
        }
        for (const auto& request : elsewhere.requests()) {
            QVERIFY(!request.headers.contains("authorization"));
        }

        // Within the same server the redirect is followed, credentials and all.
        fixture.server.route("POST", "/here", QuorTestHttpResponse::json(chatAnswer(R"("found")")));
        fixture.server.route("POST", "/old", QuorTestHttpResponse::text("moved", 308).withHeader(
                                                 "Location", fixture.server.url(QStringLiteral("/here")).toString().toUtf8()));
        QCOMPARE(quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                     fixture.config(QuorAIProvider::openAI, QStringLiteral("/old")),
                                                     QStringLiteral("secret-key"))),
                 QStringLiteral("found"));
        QCOMPARE(fixture.server.requests("/here").last().header("authorization"), QByteArray("Bearer secret-key"));

        // A request without credentials may go wherever it is sent.
        QCOMPARE(quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                     fixture.config(QuorAIProvider::ollamaLocal, QStringLiteral("/moved")),
                                                     std::nullopt)),
                 QStringLiteral("stolen"));
    }

    void errorBodiesAreParsedUpToTheAnswerCap()
    {
        AIBackendFixture fixture;
        // A megabyte of JSON still says which 402 it is.
        const QByteArray budget = "{\"error\":\"app_budget_exceeded\",\"app\":\"Zub\",\"message\":\"limit\",\"trace\":\""
            + QByteArray(1024 * 1024, 'x') + "\"}";
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::json(budget, 402));
        QCOMPARE(clientError(errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                               fixture.config(QuorAIProvider::tallowmerCredits),
                                                               QStringLiteral("key")))),
                 QuorAIClientError::appBudgetExceeded(QStringLiteral("Zub"), QStringLiteral("limit")));

        // An error body far past any message is neither kept nor shown.
        QByteArray accented(QuorAIClient::maxAnswerBytes - 1, 'a');
        accented += "\xC3\xA7 and more";
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::text(accented, 500));
        const auto error = clientError(errorOf(
            fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"), fixture.config(QuorAIProvider::ollamaLocal),
                                      std::nullopt),
            std::chrono::seconds(60)));
        QCOMPARE(error, QuorAIClientError::httpError(500, QString()));
    }

    // Keys and tokens travel over https, or over plain http only to this computer or the private network.
    void credentialsGoOverPlainHttpOnlyToThePrivateNetwork_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("https anywhere") << "https://ai.example.test/v1" << true;
        QTest::newRow("127.0.0.1") << "http://127.0.0.1:11434/api/chat" << true;
        QTest::newRow("elsewhere in 127/8") << "http://127.8.9.10/v1" << true;
        QTest::newRow("localhost") << "http://LocalHost:1234/v1" << true;
        QTest::newRow("IPv6 loopback") << "http://[::1]:1234/v1" << true;
        QTest::newRow("10/8") << "http://10.1.2.3:8000/v1" << true;
        QTest::newRow("172.16/12") << "http://172.31.255.1/v1" << true;
        QTest::newRow("192.168/16") << "http://192.168.1.20:8000/v1" << true;
        QTest::newRow("link-local") << "http://169.254.10.1/v1" << true;
        QTest::newRow("IPv6 link-local") << "http://[fe80::1]:8000/v1" << true;
        QTest::newRow("IPv6 unique-local") << "http://[fd12:3456::7]/v1" << true;
        QTest::newRow("IPv4 written as IPv6") << "http://[::ffff:192.168.1.20]/v1" << true;
        QTest::newRow(".local name") << "http://NAS.local.:8000/v1" << true;
        QTest::newRow("remote host") << "http://ai.example.test/v1" << false;
        QTest::newRow("just past 172.16/12") << "http://172.32.0.1/v1" << false;
        QTest::newRow("shared address space") << "http://100.64.0.1/v1" << false;
        QTest::newRow("public address") << "http://8.8.8.8/v1" << false;
        QTest::newRow("name that starts like loopback") << "http://127.0.0.1.example.test/v1" << false;
        QTest::newRow("name that ends like .local") << "http://evil.local.example.test/v1" << false;
        QTest::newRow("another IPv6 address") << "http://[2001:db8::2]/v1" << false;
    }

    void credentialsGoOverPlainHttpOnlyToThePrivateNetwork()
    {
        QFETCH(QString, address);
        QFETCH(bool, allowed);
        QCOMPARE(QuorCredentialRoute::maySendCredential(QUrl(address)), allowed);
        QCOMPARE(QuorCredentialRoute::needsHttpsForCredential(QUrl(address)), !allowed);
        if (allowed) {
            return;
        }
        AIBackendFixture fixture;
        for (const auto provider : {QuorAIProvider::openAI, QuorAIProvider::tallowmerCredits}) {
            const QuorAIConfig config(provider, address, QStringLiteral("m"));
            const auto error = clientError(errorOf(
                fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"), config, QStringLiteral("sk-key"))));
            QCOMPARE(error, QuorAIClientError::insecureEndpoint());
            QVERIFY(error->localizedDescription(QuorLanguage::tr) != error->localizedDescription(QuorLanguage::en));
        }
        // The gateway's own calls refuse such an address too, sign-in codes included.
        QuorCreditsAccountManager plainGateway(fixture.accountFolder.path(), std::nullopt, address, &fixture.session);
        bool refused = false;
        try {
            quorAwait(plainGateway.fetchProfile(QStringLiteral("token")));
        } catch (const QuorCreditsError& error) {
            refused = error == QuorCreditsError::invalidGatewayURL();
        }
        QVERIFY(refused);
    }

    void theAccountTokenGoesOnlyToTheGateway()
    {
        AIBackendFixture fixture;
        QuorTestHttpServer elsewhere;
        QVERIFY(elsewhere.start());
        elsewhere.route("POST", "/chat", QuorTestHttpResponse::json(chatAnswer(R"("stolen")")));
        quorAwait(fixture.accountManager.saveToken(QStringLiteral("account-token")));
        const QuorAIConfig foreign(QuorAIProvider::tallowmerCredits, elsewhere.url(QStringLiteral("/chat")).toString(),
                                   QStringLiteral("m"));
        const auto error = clientError(
            errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"), foreign, std::nullopt)));
        QCOMPARE(error, QuorAIClientError::foreignCreditsEndpoint(QStringLiteral("127.0.0.1")));
        QVERIFY(error->localizedDescription(QuorLanguage::en).contains(QStringLiteral("(127.0.0.1)")));
        QCOMPARE(elsewhere.requestCount(), 0);
    }

    void anAnswerTooLargeIsRefused()
    {
        AIBackendFixture fixture;
        const QByteArray huge = chatAnswer('"' + QByteArray(QuorAIClient::maxAnswerBytes, 'x') + '"');
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::json(huge));
        QVERIFY(transferKind(errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                               fixture.config(QuorAIProvider::ollamaLocal), std::nullopt),
                                     std::chrono::seconds(60)))
                == QuorTransferError::Kind::answerTooLarge);
    }

    // A server that never stops sending is cut off at the cap whatever the GUI thread is doing
    // meanwhile: the network layer reads no further ahead of the client than a little, so what the
    // server gets to send (what the process could have to hold) stays near what the client read.
    // A body announced beyond the cap is refused before it is read.
    void aServerThatNeverStopsIsCutOffAtTheCap()
    {
        AIBackendFixture fixture;
        auto endless = QuorTestHttpResponse::json({});
        endless.endlessPiece = QByteArray(64 * 1024, 'x');
        // The answer starts once the test has let go of the event loop.
        endless.delay = std::chrono::milliseconds(300);
        fixture.server.enqueue("POST", "/chat", endless);
        auto call = fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                              fixture.config(QuorAIProvider::ollamaLocal), std::nullopt);
        QUOR_TRY_VERIFY(fixture.server.requestCount() == 1);
        // The GUI thread is busy elsewhere while the answer streams in.
        const qint64 cap = QuorAIClient::maxAnswerBytes;
        const qint64 sentWhileBusy = fixture.server.waitForSendingToStall(4 * cap, std::chrono::seconds(1),
                                                                          std::chrono::seconds(20));
        QVERIFY2(sentWhileBusy < cap / 2, qPrintable(QString::number(sentWhileBusy)));
        QVERIFY(transferKind(errorOf(std::move(call), std::chrono::seconds(60))) == QuorTransferError::Kind::answerTooLarge);
        QVERIFY2(fixture.server.bodyBytesSent() < cap + cap / 2, qPrintable(QString::number(fixture.server.bodyBytesSent())));

        auto announced = QuorTestHttpResponse::json({}).withHeader("Content-Length", "2147483648");
        announced.endlessPiece = QByteArray(64 * 1024, 'x');
        announced.chunkDelay = std::chrono::milliseconds(20);
        fixture.server.enqueue("POST", "/announced", announced);
        const qint64 before = fixture.server.bodyBytesSent();
        QVERIFY(transferKind(errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                               fixture.config(QuorAIProvider::ollamaLocal,
                                                                              QStringLiteral("/announced")),
                                                               std::nullopt),
                                     std::chrono::seconds(60)))
                == QuorTransferError::Kind::answerTooLarge);
        QVERIFY2(fixture.server.bodyBytesSent() - before < cap / 4,
                 qPrintable(QString::number(fixture.server.bodyBytesSent() - before)));
    }

    void deadlinesEndSilentAndDribblingServers()
    {
        AIBackendFixture fixture;
        auto silent = QuorTestHttpResponse::json(ollamaAnswer(R"("late")"));
        silent.delay = std::chrono::seconds(3);
        auto dribbling = QuorTestHttpResponse::json({});
        for (const char byte : ollamaAnswer(R"("slow")")) {
            dribbling.rawPieces.append(QByteArray(1, byte));
        }
        dribbling.chunkDelay = std::chrono::milliseconds(40); // bytes keep coming for about 3 s
        for (const auto& answer : {silent, dribbling}) {
            fixture.server.enqueue("POST", "/chat", answer);
            QuorAIClient client = fixture.client();
            client.deadlines.wholeAnswer = std::chrono::milliseconds(600);
            QElapsedTimer clock;
            clock.start();
            const auto error = errorOf(client.complete(QStringLiteral("s"), QStringLiteral("u"),
                                                       fixture.config(QuorAIProvider::ollamaLocal), std::nullopt));
            QVERIFY(transferKind(error) == QuorTransferError::Kind::timedOut);
            QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        }
        // A silent server is given no longer than before.
        QVERIFY(QuorAIClient::Deadlines{}.wholeAnswer <= std::chrono::seconds(90));
    }

    // A compressed answer may inflate as far as the cap; past it, the refusal says why.
    void compressedAnswersInflateUpToTheCap()
    {
        AIBackendFixture fixture;
        const auto deflated = [](const QByteArray& body) {
            return QuorTestHttpResponse::json(qCompress(body, 9).mid(4)).withHeader("Content-Encoding", "deflate");
        };
        const QByteArray twelveMegabytes(12 * 1024 * 1024, 'x');
        fixture.server.enqueue("POST", "/chat", deflated(ollamaAnswer('"' + twelveMegabytes + '"')));
        const auto ask = [&fixture] {
            return fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                             fixture.config(QuorAIProvider::ollamaLocal), std::nullopt);
        };
        try {
            QCOMPARE(quorAwait(ask(), std::chrono::seconds(60)).size(), twelveMegabytes.size());
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }

        fixture.server.enqueue("POST", "/chat", deflated(ollamaAnswer('"' + QByteArray(64 * 1024 * 1024, 'x') + '"')));
        QVERIFY(transferKind(errorOf(ask(), std::chrono::seconds(60))) == QuorTransferError::Kind::answerTooLarge);
    }

    // A compressed answer longer on the wire than the network layer reads ahead: one that inflates
    // far past the cap ends with the size error promptly every time, not at the answer's deadline,
    // whatever language the network layer speaks and without its complaints; one under the cap
    // still arrives whole.
    void compressedAnswersLongerThanTheReadAhead()
    {
        AIBackendFixture fixture;
        const QuorForeignQtMessages foreign;
        const QuorWarningWatch warnings;
        const QuorTestHttpResponse bomb = QuorTestHttpResponse::gzipBomb();
        QVERIFY(bomb.body.size() > QuorReplySizeLimit::readAheadBytes);
        fixture.server.route("POST", "/bomb", bomb);
        for (int attempt = 0; attempt < 20; ++attempt) {
            QElapsedTimer clock;
            clock.start();
            const auto error = errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                                 fixture.config(QuorAIProvider::ollamaLocal,
                                                                                QStringLiteral("/bomb")),
                                                                 std::nullopt),
                                       std::chrono::seconds(10));
            QVERIFY2(transferKind(error) == QuorTransferError::Kind::answerTooLarge,
                     qPrintable(QStringLiteral("attempt %1 after %2 ms").arg(attempt).arg(clock.elapsed())));
        }

        QByteArray letters(3 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& letter : letters) {
            letter = static_cast<char>('a' + random.bounded(26));
        }
        const QuorTestHttpResponse answer = QuorTestHttpResponse::gzipped(ollamaAnswer('"' + letters + '"'));
        QVERIFY(answer.body.size() > QuorReplySizeLimit::readAheadBytes);
        fixture.server.enqueue("POST", "/chat", answer);
        try {
            QCOMPARE(quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                         fixture.config(QuorAIProvider::ollamaLocal), std::nullopt)),
                     QString::fromLatin1(letters));
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
        QVERIFY2(warnings.warnings().isEmpty(), qPrintable(warnings.warnings().join(QLatin1Char('\n'))));
    }

    // An answer that does not inflate says it could not be read, at once and in both languages,
    // whatever language the network layer speaks: it is no answer that is too large.
    void anAnswerThatDoesNotInflateCannotBeRead_data()
    {
        QTest::addColumn<bool>("mislabelled");
        QTest::newRow("corrupt") << false;
        QTest::newRow("plain, labelled gzip") << true;
    }

    void anAnswerThatDoesNotInflateCannotBeRead()
    {
        QFETCH(bool, mislabelled);
        AIBackendFixture fixture;
        const QuorForeignQtMessages foreign;
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::unreadableGzip(mislabelled));
        const auto error = errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                             fixture.config(QuorAIProvider::ollamaLocal), std::nullopt),
                                   std::chrono::seconds(10));
        QVERIFY(transferKind(error) == QuorTransferError::Kind::answerUnreadable);
        try {
            std::rethrow_exception(error);
        } catch (const QuorTransferError& unreadable) {
            QCOMPARE(localizedDescription(unreadable, QuorLanguage::en), QStringLiteral("The server's answer could not be read."));
            QCOMPARE(localizedDescription(unreadable, QuorLanguage::tr), QStringLiteral("Sunucunun yanıtı okunamadı."));
        }
    }

    void transportFailuresAndCancellation()
    {
        AIBackendFixture fixture;
        // A connection closed before any answer, and an answer that is not HTTP at all: the request
        // went out once, not again on the network layer's own.
        auto dropped = QuorTestHttpResponse::text("");
        dropped.closeWithoutAnswer = true;
        auto notHTTP = QuorTestHttpResponse::text("");
        notHTTP.rawAnswer = "SSH-2.0-OpenSSH_9.2p1\r\n";
        for (const auto& [path, answer] : {std::pair{QByteArray("/drop"), dropped}, std::pair{QByteArray("/ssh"), notHTTP}}) {
            fixture.server.route("POST", path, answer);
            const auto error = errorOf(fixture.client().complete(
                QStringLiteral("s"), QStringLiteral("u"),
                fixture.config(QuorAIProvider::ollamaLocal, QString::fromLatin1(path)), std::nullopt));
            QVERIFY(transferKind(error) == QuorTransferError::Kind::cannotConnect);
            QCOMPARE(fixture.server.requests(path).size(), 1);
        }
        // A redirect takes the body along once; the dropped redirected request is not sent again.
        fixture.server.clearRequests();
        fixture.server.route("POST", "/hop", QuorTestHttpResponse::text("moved", 308).withHeader(
                                                 "Location", fixture.server.url(QStringLiteral("/drop")).toString().toUtf8()));
        QVERIFY(errorOf(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                  fixture.config(QuorAIProvider::ollamaLocal, QStringLiteral("/hop")),
                                                  std::nullopt)));
        QCOMPARE(fixture.server.requests("/hop").size(), 1);
        QCOMPARE(fixture.server.requests("/drop").size(), 1);
        QCOMPARE(fixture.server.requests("/drop").first().body, fixture.server.requests("/hop").first().body);

        // Cancelling stops the wait for a slow server at once.
        auto slow = QuorTestHttpResponse::json(ollamaAnswer(R"("late")"));
        slow.delay = std::chrono::seconds(3);
        fixture.server.enqueue("POST", "/chat", slow);
        QuorCancellationToken cancel;
        QTimer::singleShot(100, [cancel] { cancel.cancel(); });
        QElapsedTimer clock;
        clock.start();
        bool cancelled = false;
        try {
            quorAwait(fixture.client().complete(QStringLiteral("s"), QStringLiteral("u"),
                                                fixture.config(QuorAIProvider::ollamaLocal), std::nullopt, cancel));
        } catch (const QuorCancelledError&) {
            cancelled = true;
        }
        QVERIFY(cancelled);
        QVERIFY(clock.elapsed() < 2000);
    }

    void aCallOutlivesTheClientItCameFrom()
    {
        AIBackendFixture fixture;
        auto slow = QuorTestHttpResponse::json(ollamaAnswer(R"("still here")"));
        slow.delay = std::chrono::milliseconds(200);
        fixture.server.enqueue("POST", "/chat", slow);
        auto client = std::make_unique<QuorAIClient>(fixture.client());
        auto task = client->complete(QStringLiteral("s"), QStringLiteral("u"), fixture.config(QuorAIProvider::ollamaLocal),
                                     std::nullopt);
        client.reset();
        QCOMPARE(quorAwait(std::move(task)), QStringLiteral("still here"));
    }

    void providerDefaultsFollowTheCreditsAccount()
    {
        const QString host = QUrl(QuorCreditsAccountManager::defaultPortalURL).host();
        QCOMPARE(QuorAIProviders::displayName(QuorAIProvider::tallowmerCredits, QuorLanguage::en),
                 QStringLiteral("Tallowmer Credits (%1)").arg(host));
        QCOMPARE(QuorAIProviders::displayName(QuorAIProvider::tallowmerCredits, QuorLanguage::tr),
                 QStringLiteral("Tallowmer Kredisi (%1)").arg(host));

        qputenv("TALLOWMER_API_URL", " https://gateway.one.test/ ");
        const QuorAIConfig built(QuorAIProvider::tallowmerCredits);
        QCOMPARE(built.endpointURL, QStringLiteral("https://gateway.one.test/v1/ai/chat/completions"));
        qputenv("TALLOWMER_API_URL", "https://gateway.two.test");
        QCOMPARE(built.endpointURL, QStringLiteral("https://gateway.one.test/v1/ai/chat/completions"));
        QCOMPARE(QuorAIProviders::defaultEndpoint(QuorAIProvider::tallowmerCredits),
                 QStringLiteral("https://gateway.two.test/v1/ai/chat/completions"));
        qunsetenv("TALLOWMER_API_URL");
        QCOMPARE(QuorAIProviders::defaultEndpoint(QuorAIProvider::tallowmerCredits),
                 QuorCreditsAccountManager::defaultGatewayURL + QStringLiteral("/v1/ai/chat/completions"));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorAIClient)
#include "tst_quoraiclient.moc"
