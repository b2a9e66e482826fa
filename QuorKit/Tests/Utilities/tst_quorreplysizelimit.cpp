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
};

QUOR_TEST_GUILESS_MAIN(TestQuorReplySizeLimit)
#include "tst_quorreplysizelimit.moc"
