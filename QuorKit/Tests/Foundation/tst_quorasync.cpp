#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorPlatform/Core/QuorError.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

#include <QCoro/QCoroNetworkReply>
#include <QCoro/QCoroSignal>

class TestQuorAsync : public QObject {
    Q_OBJECT
private slots:
    void sleepWaitsAndCancelWakesIt()
    {
        QElapsedTimer timer;
        timer.start();
        quorAwait(quorSleep(std::chrono::milliseconds(50)));
        QVERIFY(timer.elapsed() >= 45);

        QuorCancellationToken token;
        QTimer::singleShot(20, [token] { token.cancel(); });
        timer.restart();
        QVERIFY_THROWS_EXCEPTION(QuorCancelledError, quorAwait(quorSleep(std::chrono::seconds(10), token)));
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY_THROWS_EXCEPTION(QuorCancelledError, quorAwait(quorSleep(std::chrono::milliseconds(1), token)));
    }

    void replacingATaskCancelsTheOldWork()
    {
        QuorTask task;
        int finished = 0;
        int cancelled = 0;
        auto body = [&](QuorCancellationToken token) -> QCoro::Task<> {
            try {
                co_await quorSleep(std::chrono::milliseconds(100), token);
                ++finished;
            } catch (const QuorCancelledError&) {
                ++cancelled;
                throw;
            }
        };
        task.start(body);
        task.start(body);
        QUOR_TRY_COMPARE(finished, 1);
        QCOMPARE(cancelled, 1);
        QVERIFY(!task.isRunning());
    }

    // A relay fired again and again before its waiter resumes wakes that waiter once: a second call
    // of a waiter whose coroutine has ended would touch freed memory.
    void aRelayFiredManyTimesWakesItsWaiterOnce()
    {
        quor::detail::SignalRelay relay;
        int wakes = 0;
        auto waiter = [&]() -> QCoro::Task<> {
            co_await qCoro(&relay, &quor::detail::SignalRelay::fired);
            ++wakes;
        };
        auto waiting = waiter();
        relay.fire();
        relay.fire();
        relay.fire();
        quorAwait(std::move(waiting));
        QCOMPARE(wakes, 1);
        quorSpin(std::chrono::milliseconds(20));
        QCOMPARE(wakes, 1);
    }

    void testServerAnswersScriptedRoutes()
    {
        QuorTestHttpServer server;
        QVERIFY(server.start());
        server.enqueue("POST", "/v1/thing", QuorTestHttpResponse::json(R"({"n":1})", 201));
        QuorTestHttpResponse streamed;
        streamed.chunks = {"data: a\n", "\ndata: b\n\n"};
        streamed.chunkDelay = std::chrono::milliseconds(10);
        server.route("GET", "/stream", streamed);

        QNetworkAccessManager network;
        QNetworkRequest post(server.url(QStringLiteral("/v1/thing?q=C%2B%2B")));
        post.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        auto postOnce = [&]() -> QCoro::Task<QPair<int, QByteArray>> {
            std::unique_ptr<QNetworkReply> reply(co_await network.post(post, QByteArray("{}")));
            co_return qMakePair(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll());
        };
        const auto first = quorAwait(postOnce());
        QCOMPARE(first.first, 201);
        QCOMPARE(first.second, QByteArray(R"({"n":1})"));
        QCOMPARE(quorAwait(postOnce()).first, 404); // the one-shot answer is used up

        auto fetch = [&]() -> QCoro::Task<QByteArray> {
            std::unique_ptr<QNetworkReply> reply(co_await network.get(QNetworkRequest(server.url(QStringLiteral("/stream")))));
            co_return reply->readAll();
        };
        QCOMPARE(quorAwait(fetch()), QByteArray("data: a\n\ndata: b\n\n"));

        const auto posted = server.requests("/v1/thing");
        QCOMPARE(posted.size(), 2);
        QCOMPARE(posted.first().queryValue("q"), QByteArray("C++"));
        QCOMPARE(posted.first().header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(posted.first().body, QByteArray("{}"));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorAsync)
#include "tst_quorasync.moc"
