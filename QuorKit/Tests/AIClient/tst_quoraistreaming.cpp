#include "AIClientTestSupport.h"

#include "QuorKit/Cloud/QuorTransferError.h"

#include <QtTest>

#include <functional>

namespace {
// What a stream produced before it ended, and how it ended.
struct StreamOutcome {
    QStringList pieces;
    std::exception_ptr error;
    QList<int> billingCallsAtPieces; // how many balance reports had been made when each piece came
};

// Reads the stream to its end, or until `onPiece` says stop (the stream is then dropped).
QCoro::Task<StreamOutcome> consume(QCoro::AsyncGenerator<QString> stream,
                                   std::shared_ptr<QList<BillingCall>> billingCalls,
                                   std::function<bool(const QString&)> onPiece)
{
    StreamOutcome outcome;
    try {
        QCORO_FOREACH(const QString& piece, stream) {
            outcome.pieces.append(piece);
            outcome.billingCallsAtPieces.append(static_cast<int>(billingCalls->size()));
            if (onPiece && !onPiece(piece)) {
                break;
            }
        }
    } catch (...) {
        outcome.error = std::current_exception();
    }
    co_return outcome;
}

StreamOutcome readStream(AIBackendFixture& fixture, QuorAIProvider provider, std::optional<QString> key,
                         std::function<bool(const QString&)> onPiece = {}, QuorCancellationToken cancel = {})
{
    auto stream = fixture.client().completeStreaming(QStringLiteral("system"), QStringLiteral("user"),
                                                     fixture.config(provider), std::move(key), std::move(cancel));
    return quorAwait(consume(std::move(stream), fixture.billingCalls, std::move(onPiece)));
}

QByteArray sseEvent(const QByteArray& deltaJson)
{
    return R"(data: {"choices":[{"index":0,"delta":)" + deltaJson + "}]}";
}

// Cuts `body` into pieces right after every CR, inside every multi-byte character and inside every
// "data:" field name: the places where a careless line reader goes wrong.
QList<QByteArray> awkwardPieces(const QByteArray& body)
{
    QList<QByteArray> pieces;
    QByteArray current;
    for (qsizetype i = 0; i < body.size(); ++i) {
        current += body[i];
        const auto byte = static_cast<uchar>(body[i]);
        const bool insideCharacter = byte >= 0xC0;
        const bool insideFieldName = body.mid(i - 1, 2) == "da" && body.mid(i - 1, 5) == "data:";
        if (byte == '\r' || insideCharacter || insideFieldName) {
            pieces.append(std::exchange(current, QByteArray()));
        }
    }
    if (!current.isEmpty()) {
        pieces.append(current);
    }
    return pieces;
}

QuorTestHttpResponse eventStream(const QList<QByteArray>& chunks, std::chrono::milliseconds delay = {})
{
    QuorTestHttpResponse response;
    response.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/event-stream")));
    response.chunks = chunks;
    response.chunkDelay = delay;
    return response;
}

// Which way a test body goes over the wire.
enum class Delivery { chunkedAwkward, rawAwkward, byteByByte, whole };
} // namespace

Q_DECLARE_METATYPE(Delivery)

class TestQuorAIStreaming : public QObject {
    Q_OBJECT
private:
    static QuorTestHttpResponse deliver(const QByteArray& body, Delivery delivery, const QByteArray& contentType)
    {
        QuorTestHttpResponse response;
        response.headers.append(qMakePair(QByteArray("Content-Type"), contentType));
        switch (delivery) {
        case Delivery::chunkedAwkward:
            response.chunks = awkwardPieces(body);
            response.chunkDelay = std::chrono::milliseconds(2);
            break;
        case Delivery::rawAwkward:
            response.rawPieces = awkwardPieces(body);
            response.chunkDelay = std::chrono::milliseconds(2);
            break;
        case Delivery::byteByByte:
            for (const char byte : body) {
                response.chunks.append(QByteArray(1, byte));
            }
            break;
        case Delivery::whole:
            response.body = body;
            break;
        }
        return response;
    }

    static void addDeliveries()
    {
        QTest::addColumn<Delivery>("delivery");
        QTest::newRow("chunked, cut at awkward places") << Delivery::chunkedAwkward;
        QTest::newRow("plain body, cut at awkward places") << Delivery::rawAwkward;
        QTest::newRow("one byte per chunk") << Delivery::byteByByte;
        QTest::newRow("all at once") << Delivery::whole;
    }

private slots:
    void serverSentEvents_data() { addDeliveries(); }

    void serverSentEvents()
    {
        QFETCH(Delivery, delivery);
        const QByteArray body = ": keep-alive\r\n"
                                "event: message\r\n"
                                "id: 7\r\n"
                                "retry: 1000\r\n"
                              + sseEvent(R"({"role":"assistant"})") + "\r\n\r\n"
                              + R"(data:{"choices":[{"delta":{"content":"Merhaba"}}]})" + "\n\n"
                              + sseEvent(R"({"content":" dünya ğüşiöç"})") + "\r"
                              + R"({"choices":[{"delta":{"content":"!"}}]})" + "\r\n"
                              + "[DONE]\n"
                              + R"(data: {"choices":[{"delta":{"content":)" + "\n"
                              + R"(data: "split"}}]})" + "\n"
                              + sseEvent(R"({"content":"\n"})") + "\n"
                              + sseEvent(R"({"content":[{"type":"text","text":"a"},{"type":"x"},{"text":"b"}]})") + "\n"
                              + sseEvent(R"({"content":""})") + "\n"
                              + sseEvent(R"({"content":[{"type":"x"}]})") + "\n"
                              + R"(data: {"choices":[{"text":"legacy"}]})" + "\n"
                              + "data: not json\n"
                              + "data: [DONE]\r\n"
                              + sseEvent(R"({"content":"never read"})") + "\n";
        AIBackendFixture fixture;
        fixture.server.enqueue("POST", "/chat", deliver(body, delivery, "text/event-stream"));
        const StreamOutcome outcome = readStream(fixture, QuorAIProvider::openAI, QStringLiteral(" sk-stream "));
        QVERIFY(!outcome.error);
        QCOMPARE(outcome.pieces, (QStringList{QStringLiteral("Merhaba"), QStringLiteral(" dünya ğüşiöç"),
                                              QStringLiteral("!"), QStringLiteral("\n"), QStringLiteral("ab"),
                                              QStringLiteral("legacy")}));

        const auto request = fixture.server.lastRequest();
        QCOMPARE(request->header("accept"), QByteArray("text/event-stream"));
        QCOMPARE(request->header("authorization"), QByteArray("Bearer sk-stream"));
        QCOMPARE(bodyOf(*request).value(QStringLiteral("stream")), QJsonValue(true));
    }

    void ollamaLines_data() { addDeliveries(); }

    void ollamaLines()
    {
        QFETCH(Delivery, delivery);
        const QByteArray body = R"({"message":{"role":"assistant","content":"Mer"},"done":false})" "\r\n"
                                R"({"message":{"role":"assistant","content":"haba"},"done":"true"})" "\r"
                                "not json\n"
                                "[1,2]\n"
                                R"({"response":" üç"})" "\n"
                                R"({"message":{"content":""},"done":false})" "\n"
                                R"({"message":{"content":"!"},"done":true})" "\n"
                                R"({"message":{"content":"never read"}})" "\n";
        AIBackendFixture fixture;
        fixture.server.enqueue("POST", "/chat", deliver(body, delivery, "application/x-ndjson"));
        const StreamOutcome outcome = readStream(fixture, QuorAIProvider::ollamaLocal, QStringLiteral("ignored"));
        QVERIFY(!outcome.error);
        QCOMPARE(outcome.pieces,
                 (QStringList{QStringLiteral("Mer"), QStringLiteral("haba"), QStringLiteral(" üç"), QStringLiteral("!")}));

        const auto request = fixture.server.lastRequest();
        QVERIFY(request->header("accept") != "text/event-stream");
        QVERIFY(!request->headers.contains("authorization"));
        QCOMPARE(bodyOf(*request).value(QStringLiteral("stream")), QJsonValue(true));
    }

    void aLastLineWithoutLineBreakCounts()
    {
        AIBackendFixture fixture;
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::text(R"({"response":"tail"})"));
        QCOMPARE(readStream(fixture, QuorAIProvider::ollamaLocal, std::nullopt).pieces, QStringList{QStringLiteral("tail")});
    }

    void creditsBalanceIsReportedOnceAtTheEnd()
    {
        AIBackendFixture fixture;
        auto answer = eventStream({sseEvent(R"({"content":"one"})") + "\n",
                                   sseEvent(R"({"content":"two"})") + "\n",
                                   R"(data: {"choices":[],"tallowmer_billing":{"credits_available":12}})" "\n",
                                   "data: [DONE]\n"},
                                  std::chrono::milliseconds(5));
        answer.withHeader("X-Quorbel-Available-Usd", "7").withHeader("X-Quorbel-Credits-Available", "70");
        fixture.server.enqueue("POST", "/chat", answer);
        const StreamOutcome outcome = readStream(fixture, QuorAIProvider::tallowmerCredits, QStringLiteral("key"));
        QVERIFY(!outcome.error);
        QCOMPARE(outcome.pieces, (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
        QCOMPARE(outcome.billingCallsAtPieces, (QList<int>{0, 0}));
        QCOMPARE(*fixture.billingCalls, (QList<BillingCall>{{7.0, 12.0}}));
        const auto request = fixture.server.lastRequest();
        QCOMPARE(request->header("x-quorbel-app"), QuorCreditsAccountManager::currentAppHeader().toUtf8());
        QCOMPARE(request->header("accept"), QByteArray("text/event-stream"));

        // A body that ends without "[DONE]" reports too; one that carries no balance does not.
        fixture.billingCalls->clear();
        fixture.server.enqueue("POST", "/chat",
                               QuorTestHttpResponse::text(R"(data: {"tallowmer_billing":{"available_micros":500000}})"));
        QVERIFY(!readStream(fixture, QuorAIProvider::tallowmerCredits, QStringLiteral("key")).error);
        QCOMPARE(*fixture.billingCalls, (QList<BillingCall>{{0.5, std::nullopt}}));
        fixture.billingCalls->clear();
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::text(sseEvent(R"({"content":"x"})")));
        QVERIFY(!readStream(fixture, QuorAIProvider::tallowmerCredits, QStringLiteral("key")).error);
        QVERIFY(fixture.billingCalls->isEmpty());
    }

    void anAbandonedStreamStopsAndReportsNothing()
    {
        AIBackendFixture fixture;
        QList<QByteArray> chunks;
        for (int i = 0; i < 20; ++i) {
            chunks.append(sseEvent(R"({"content":"piece"})") + "\n");
        }
        chunks.append(R"(data: {"tallowmer_billing":{"available_usd":1}})" "\n");
        auto answer = eventStream(chunks, std::chrono::milliseconds(100));
        answer.withHeader("X-Quorbel-Available-Usd", "2");
        fixture.server.enqueue("POST", "/chat", answer);

        QElapsedTimer clock;
        clock.start();
        const StreamOutcome outcome = readStream(fixture, QuorAIProvider::tallowmerCredits, QStringLiteral("key"),
                                                 [](const QString&) { return false; });
        QCOMPARE(outcome.pieces.size(), 1);
        QVERIFY(!outcome.error);
        QVERIFY(clock.elapsed() < 1500);
        quorSpin(std::chrono::milliseconds(300));
        QVERIFY(fixture.billingCalls->isEmpty());
    }

    void cancellingMidStreamEndsItQuietly()
    {
        AIBackendFixture fixture;
        QList<QByteArray> chunks;
        for (int i = 0; i < 20; ++i) {
            chunks.append(R"({"message":{"content":"x"}})" "\n");
        }
        fixture.server.enqueue("POST", "/chat", eventStream(chunks, std::chrono::milliseconds(150)));
        QuorCancellationToken cancel;
        QElapsedTimer clock;
        clock.start();
        const StreamOutcome outcome = readStream(
            fixture, QuorAIProvider::ollamaLocal, std::nullopt,
            [cancel](const QString&) {
                cancel.cancel();
                return true;
            },
            cancel);
        QVERIFY(!outcome.error);
        QCOMPARE(outcome.pieces, QStringList{QStringLiteral("x")});
        QVERIFY(clock.elapsed() < 1500);

        // Cancelled before it starts: nothing is sent.
        fixture.server.clearRequests();
        QuorCancellationToken early;
        early.cancel();
        const StreamOutcome none = readStream(fixture, QuorAIProvider::ollamaLocal, std::nullopt, {}, early);
        QVERIFY(!none.error);
        QVERIFY(none.pieces.isEmpty());
        QCOMPARE(fixture.server.requestCount(), 0);
    }

    void failuresEndTheIteration()
    {
        AIBackendFixture fixture;
        // Bad endpoint and missing key arrive as the stream's error, before anything is sent.
        auto stream = fixture.client().completeStreaming(QStringLiteral("s"), QStringLiteral("u"),
                                                         QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("file:///etc/passwd")),
                                                         QStringLiteral("key"));
        auto outcome = quorAwait(consume(std::move(stream), fixture.billingCalls, {}));
        QCOMPARE(clientError(outcome.error), QuorAIClientError::invalidEndpoint());
        stream = fixture.client().completeStreaming(
            QStringLiteral("s"), QStringLiteral("u"),
            QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("https://ai.example.test/v1/chat/completions")), std::nullopt);
        QCOMPARE(clientError(quorAwait(consume(std::move(stream), fixture.billingCalls, {})).error),
                 QuorAIClientError::missingAPIKey());
        QCOMPARE(clientError(readStream(fixture, QuorAIProvider::tallowmerCredits, std::nullopt).error),
                 QuorAIClientError::missingAPIKey());
        QCOMPARE(fixture.server.requestCount(), 0);

        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::json(
                                                    R"({"error":{"code":"app_budget_exceeded","app":"Zub","message":"m"}})", 402));
        QCOMPARE(clientError(readStream(fixture, QuorAIProvider::tallowmerCredits, QStringLiteral("key")).error),
                 QuorAIClientError::appBudgetExceeded(QStringLiteral("Zub"), QStringLiteral("m")));

        // Only the first 8192 bytes of a 20,000-byte error page are read: the JSON is cut, and the
        // person reads the status sentence rather than the raw text.
        const QByteArray page = "{\"message\":\"" + QByteArray(20000, 'a') + "\"}";
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::json(page, 500));
        const auto error = clientError(readStream(fixture, QuorAIProvider::openAI, QStringLiteral("key")).error);
        QVERIFY(error);
        QCOMPARE(error->statusCode(), 500);
        QCOMPARE(error->message(), QString());
        QCOMPARE(error->localizedDescription(QuorLanguage::en), QStringLiteral("The server answered with an error (HTTP 500)."));
        QVERIFY(fixture.billingCalls->isEmpty());

        auto dropped = QuorTestHttpResponse::text("");
        dropped.closeWithoutAnswer = true;
        fixture.server.route("POST", "/drop", dropped);
        auto droppedStream = fixture.client().completeStreaming(
            QStringLiteral("s"), QStringLiteral("u"), fixture.config(QuorAIProvider::ollamaLocal, QStringLiteral("/drop")),
            std::nullopt);
        outcome = quorAwait(consume(std::move(droppedStream), fixture.billingCalls, {}));
        QVERIFY(transferKind(outcome.error).has_value());

        // A stream the network layer gives up inflating ends at once with the size error, whatever
        // language the network layer speaks.
        const QuorForeignQtMessages foreign;
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::gzipBomb());
        QElapsedTimer clock;
        clock.start();
        outcome = readStream(fixture, QuorAIProvider::ollamaLocal, std::nullopt);
        QVERIFY(transferKind(outcome.error) == QuorTransferError::Kind::answerTooLarge);
        QVERIFY2(clock.elapsed() < 10'000, qPrintable(QString::number(clock.elapsed())));
        // One that does not inflate at all could not be read.
        fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::unreadableGzip());
        outcome = readStream(fixture, QuorAIProvider::ollamaLocal, std::nullopt);
        QVERIFY(transferKind(outcome.error) == QuorTransferError::Kind::answerUnreadable);
        QVERIFY(outcome.pieces.isEmpty());
    }

    // The idle deadline counts from the latest piece: a steady stream outlasts it, a stalled one ends.
    void aStreamThatStopsSendingTimesOut()
    {
        AIBackendFixture fixture;
        const QList<QByteArray> steady(8, QByteArray(R"({"message":{"content":"x"}})" "\n"));
        fixture.server.enqueue("POST", "/chat", eventStream(steady, std::chrono::milliseconds(150)));
        fixture.server.enqueue("POST", "/chat",
                               eventStream({R"({"message":{"content":"first"}})" "\n", R"({"message":{"content":"late"}})" "\n"},
                                           std::chrono::milliseconds(2500)));
        QuorAIClient client = fixture.client();
        client.deadlines.streamIdle = std::chrono::milliseconds(600);
        const auto read = [&] {
            return quorAwait(consume(client.completeStreaming(QStringLiteral("s"), QStringLiteral("u"),
                                                              fixture.config(QuorAIProvider::ollamaLocal), std::nullopt),
                                     fixture.billingCalls, {}));
        };
        const StreamOutcome whole = read();
        QVERIFY(!whole.error);
        QCOMPARE(whole.pieces.size(), 8);

        QElapsedTimer clock;
        clock.start();
        const StreamOutcome stalled = read();
        QCOMPARE(stalled.pieces, QStringList{QStringLiteral("first")});
        QVERIFY(transferKind(stalled.error) == QuorTransferError::Kind::timedOut);
        QVERIFY(clock.elapsed() < 2000);
    }

    void anEmptySuccessfulBodyEndsWithoutPieces()
    {
        AIBackendFixture fixture;
        for (const auto provider : QuorAIProviders::allCases()) {
            fixture.server.enqueue("POST", "/chat", QuorTestHttpResponse::text(QByteArray()));
            const StreamOutcome outcome = readStream(fixture, provider, QStringLiteral("key"));
            QVERIFY(!outcome.error);
            QVERIFY(outcome.pieces.isEmpty());
        }
        QVERIFY(fixture.billingCalls->isEmpty());
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorAIStreaming)
#include "tst_quoraistreaming.moc"
