#include "QuorKit/Cloud/QuorReplySizeLimit.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QuorTestHttpResponse)

namespace {
constexpr qint64 kLimit = 4 * 1024 * 1024;

QuorTestHttpResponse endless(const QList<QPair<QByteArray, QByteArray>>& headers = {})
{
    QuorTestHttpResponse response = QuorTestHttpResponse::text({});
    response.headers += headers;
    response.endlessPiece = QByteArray(64 * 1024, 'x');
    response.chunkDelay = std::chrono::milliseconds(5);
    return response;
}
} // namespace

class TestQuorReplySizeLimit : public QObject {
    Q_OBJECT
private slots:
    // A body is gathered as it comes, several times what the network layer may hold ahead of it,
    // and only up to the limit: past it, or announced past it, the reply is given up.
    void gatheringStopsAtTheLimit_data()
    {
        QTest::addColumn<QuorTestHttpResponse>("answer");
        QTest::addColumn<bool>("exceeded");
        const QByteArray within(3 * 1024 * 1024, 'b');
        QuorTestHttpResponse chunked = QuorTestHttpResponse::text({});
        for (qsizetype at = 0; at < within.size(); at += 256 * 1024) {
            chunked.chunks.append(within.mid(at, 256 * 1024));
        }
        QTest::newRow("within the limit, announced") << QuorTestHttpResponse::text(within) << false;
        QTest::newRow("within the limit, chunked") << chunked << false;
        QTest::newRow("without end") << endless() << true;
        QTest::newRow("announced past the limit") << endless({{"Content-Length", "2147483648"}}) << true;
    }

    void gatheringStopsAtTheLimit()
    {
        QFETCH(QuorTestHttpResponse, answer);
        QFETCH(bool, exceeded);
        QuorTestHttpServer server;
        QVERIFY(server.start());
        server.route("GET", "/body", answer);
        QNetworkAccessManager session;
        const std::unique_ptr<QNetworkReply> reply(
            session.get(QuorReplySizeLimit::prepared(QNetworkRequest(server.url(QStringLiteral("/body"))))));
        const std::shared_ptr<const QuorReplySizeLimit::Body> body = QuorReplySizeLimit::gather(reply.get(), kLimit);
        QUOR_TRY_VERIFY(reply->isFinished());
        QCOMPARE(body->exceeded, exceeded);
        QCOMPARE(body->bytes, exceeded ? QByteArray() : QByteArray(3 * 1024 * 1024, 'b'));
        QVERIFY2(server.bodyBytesSent() < 2 * kLimit, qPrintable(QString::number(server.bodyBytesSent())));
    }

    // Of a body without end only the start is kept, with its status.
    void aHeadKeepsTheStartOfAnEndlessBody()
    {
        QuorTestHttpServer server;
        QVERIFY(server.start());
        server.route("GET", "/body", endless({{"Content-Length", "2147483648"}}));
        QNetworkAccessManager session;
        const std::unique_ptr<QNetworkReply> reply(session.get(QNetworkRequest(server.url(QStringLiteral("/body")))));
        const std::shared_ptr<const QuorReplySizeLimit::Head> head = QuorReplySizeLimit::keepHead(reply.get(), kLimit);
        QUOR_TRY_VERIFY(reply->isFinished());
        QVERIFY(head->cut);
        QCOMPARE(head->bytes, QByteArray(kLimit, 'x'));
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        QVERIFY2(server.bodyBytesSent() < 2 * kLimit, qPrintable(QString::number(server.bodyBytesSent())));
    }

    // A compressed body is counted as it inflates: one that inflates past the limit ends as too
    // large, at once, whatever language the network layer speaks and without its complaints, and so
    // does one with an error status. One the network layer cannot inflate ends at once as unreadable.
    // One that inflates within the limit arrives whole, and so does an error status, which Qt
    // reports with the same code.
    void aBodyThatFailsToInflateEndsAtOnce_data()
    {
        QTest::addColumn<QuorTestHttpResponse>("answer");
        QTest::addColumn<QByteArray>("whole"); // empty: the body was refused
        QTest::addColumn<bool>("unreadable");
        const QByteArray within(1024 * 1024, 'z');
        QTest::newRow("inflating far past the limit") << QuorTestHttpResponse::gzipBomb() << QByteArray() << false;
        QTest::newRow("the same with an error status") << QuorTestHttpResponse::gzipBomb(429) << QByteArray() << false;
        QTest::newRow("the same, within the read-ahead on the wire")
            << QuorTestHttpResponse::gzipped(QByteArray(1024 * 1024, '\0'), 64) << QByteArray() << false;
        QTest::newRow("corrupt") << QuorTestHttpResponse::unreadableGzip() << QByteArray() << true;
        QTest::newRow("plain, labelled gzip") << QuorTestHttpResponse::unreadableGzip(true) << QByteArray() << true;
        QTest::newRow("inflating within the limit") << QuorTestHttpResponse::gzipped(within, 3) << within.repeated(3) << false;
        QTest::newRow("an error status") << QuorTestHttpResponse::text("slow down", 429) << QByteArray("slow down") << false;
        QTest::newRow("an error status, compressed")
            << QuorTestHttpResponse::gzipped("slow down", 1, 429) << QByteArray("slow down") << false;
    }

    void aBodyThatFailsToInflateEndsAtOnce()
    {
        QFETCH(QuorTestHttpResponse, answer);
        QFETCH(QByteArray, whole);
        QFETCH(bool, unreadable);
        const bool refused = whole.isEmpty();
        const bool exceeded = refused && !unreadable;
        const QuorForeignQtMessages foreign;
        const QuorWarningWatch warnings;
        QuorTestHttpServer server;
        QVERIFY(server.start());
        server.route("GET", "/body", answer);
        QNetworkAccessManager session;
        const auto get = [&] {
            return std::unique_ptr<QNetworkReply>(
                session.get(QuorReplySizeLimit::prepared(QNetworkRequest(server.url(QStringLiteral("/body"))))));
        };
        const std::unique_ptr<QNetworkReply> gathered = get();
        const std::shared_ptr<const QuorReplySizeLimit::Body> body = QuorReplySizeLimit::gather(gathered.get(), kLimit);
        const std::unique_ptr<QNetworkReply> started = get();
        const std::shared_ptr<const QuorReplySizeLimit::Head> head = QuorReplySizeLimit::keepHead(started.get(), kLimit);
        QTRY_VERIFY_WITH_TIMEOUT(gathered->isFinished() && started->isFinished(), 10'000);
        QCOMPARE(body->exceeded, exceeded);
        QCOMPARE(body->unreadable, unreadable);
        QCOMPARE(body->bytes, whole);
        QCOMPARE(head->cut, exceeded);
        QCOMPARE(head->unreadable, unreadable);
        if (!refused) {
            QCOMPARE(head->bytes, whole);
        }
        for (QNetworkReply* reply : {gathered.get(), started.get()}) {
            QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), answer.status);
            if (exceeded && answer.status < 400) {
                QCOMPARE(reply->error(), QNetworkReply::OperationCanceledError);
            } else if (exceeded) {
                // Not read any further, it is ended, or it ends on its own with its status's error.
                QVERIFY2(reply->error() == QNetworkReply::OperationCanceledError
                             || reply->error() == QNetworkReply::UnknownContentError,
                         qPrintable(reply->errorString()));
            } else {
                // The reader hears that the body could not be read, not that the reply was cancelled.
                QCOMPARE(reply->error(), answer.status == 200 && !unreadable ? QNetworkReply::NoError
                                                                             : QNetworkReply::UnknownContentError);
            }
        }
        QVERIFY2(warnings.warnings().isEmpty(), qPrintable(warnings.warnings().join(QLatin1Char('\n'))));
    }

    // A reader may give up on the reply the moment the network layer gives up inflating it, before
    // the reply is ended for it: the network layer does not take that for a second error.
    void aReaderMayAbortWhenInflatingFails()
    {
        const QuorWarningWatch warnings;
        QuorTestHttpServer server;
        QVERIFY(server.start());
        server.route("GET", "/body", QuorTestHttpResponse::unreadableGzip());
        QNetworkAccessManager session;
        const std::unique_ptr<QNetworkReply> reply(
            session.get(QuorReplySizeLimit::prepared(QNetworkRequest(server.url(QStringLiteral("/body"))))));
        const std::shared_ptr<const QuorReplySizeLimit::Refusal> refusal = QuorReplySizeLimit::bound(reply.get(), std::nullopt);
        QObject::connect(reply.get(), &QNetworkReply::errorOccurred, reply.get(), [&reply](QNetworkReply::NetworkError code) {
            if (code == QNetworkReply::UnknownContentError) {
                reply->abort();
            }
        });
        QUOR_TRY_VERIFY(reply->isFinished());
        QCOMPARE(*refusal, QuorReplySizeLimit::Refusal::unreadable);
        QCOMPARE(reply->error(), QNetworkReply::OperationCanceledError);
        QVERIFY2(warnings.warnings().isEmpty(), qPrintable(warnings.warnings().join(QLatin1Char('\n'))));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorReplySizeLimit)
#include "tst_quorreplysizelimit.moc"
