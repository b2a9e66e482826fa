#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorZubCore/Services/ZubTranslationAndAIService.h"
#include "QuorZubCoreTests/ActionExecution/ZubServiceFakes.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QtTest>

using Outcome = ZubTranslationAndAIService::WebTranslation;
using Lengths = QList<qsizetype>;
Q_DECLARE_METATYPE(std::optional<Outcome>)

namespace {
const QByteArray endpoint = "/translate_a/single";

// The translator's answer: one segment per piece, then the detected language as third element.
QuorTestHttpResponse answer(const QStringList& pieces, const std::optional<QString>& detected)
{
    QJsonArray segments;
    for (const auto& piece : pieces) {
        segments.append(QJsonArray{piece, QStringLiteral("source"), QJsonValue::Null, QJsonValue::Null, 10});
    }
    QJsonArray root{segments, QJsonValue::Null};
    if (detected) {
        root.append(*detected);
    }
    return QuorTestHttpResponse::json(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

Lengths graphemeLengths(const QStringList& chunks)
{
    Lengths lengths;
    for (const auto& chunk : chunks) {
        lengths.append(QuorGraphemes::count(chunk));
    }
    return lengths;
}
} // namespace

class TestZubWebTranslation : public QObject {
    Q_OBJECT
private:
    QuorTestHttpServer m_server;

    ZubExecutionResult translate(const QString& text, QuorLanguage language = QuorLanguage::en,
                                 QuorCancellationToken cancel = {})
    {
        const ZubTranslationAndAIService service(std::make_shared<FakeAIClient>(), std::make_shared<FakeSecretStore>(),
                                                 m_server.baseUrl());
        return quorAwait(service.execute(actionOf(ZubActionKind::translate), text,
                                         configWith(ZubTranslationBackend::freeWebTranslate), language, cancel));
    }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }
    void init()
    {
        useFixedEngine(QStringLiteral("de"));
        m_server.clearRequests();
    }
    void cleanup() { ZubOfflineTextEngine::setServices({}); }

    void splitting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("maxChunk");
        QTest::addColumn<qsizetype>("maxTotal");
        QTest::addColumn<Lengths>("expected");
        const QString family = QStringLiteral("👨‍👩‍👧");
        QTest::newRow("empty") << QString() << qsizetype(3500) << qsizetype(24000) << Lengths{};
        QTest::newRow("chunk length never below 64")
            << QStringLiteral("word ").repeated(20) << qsizetype(10) << qsizetype(24000) << Lengths{59, 39};
        QTest::newRow("blank line preferred to a later line feed")
            << QString(3000, u'a') + QStringLiteral("\n\n") + QString(398, u'b') + u'\n' + QString(1599, u'c')
            << qsizetype(3500) << qsizetype(24000) << Lengths{3000, 1998};
        QTest::newRow("no white space: hard cuts") << QString(5000, u'x') << qsizetype(3500) << qsizetype(24000)
                                                   << Lengths{3500, 1500};
        QTest::newRow("white space only at the window's start")
            << QString(64, u'a') + u' ' + QString(100, u'b') << qsizetype(64) << qsizetype(24000) << Lengths{64, 63, 37};
        QTest::newRow("cut to the total first") << QString(30000, u'x') << qsizetype(3500) << qsizetype(24000)
                                                << Lengths{3500, 3500, 3500, 3500, 3500, 3500, 3000};
        QTest::newRow("clusters stay whole") << family.repeated(100) << qsizetype(64) << qsizetype(24000)
                                             << Lengths{64, 36};
    }

    void splitting()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, maxChunk);
        QFETCH(qsizetype, maxTotal);
        QFETCH(Lengths, expected);
        const QStringList chunks = ZubTranslationAndAIService::splitTextForWebTranslation(text, maxChunk, maxTotal);
        QCOMPARE(graphemeLengths(chunks), expected);
        if (!text.contains(u' ') && !text.contains(u'\n')) {
            QCOMPARE(chunks.join(QString()), QuorGraphemes::prefix(text, maxTotal));
        }
    }

    void aTextThatFitsIsOneUntrimmedChunk()
    {
        const QString text = QStringLiteral(" ") + QString(2998, u'a') + QStringLiteral("\n");
        QCOMPARE(ZubTranslationAndAIService::splitTextForWebTranslation(text, 3500, 24000), QStringList{text});
    }

    void parsing_data();

    void parsing()
    {
        QFETCH(QByteArray, body);
        QFETCH(std::optional<Outcome>, expected);
        QCOMPARE(ZubTranslationAndAIService::parseGoogleTranslatePayload(body), expected);
    }

    void theQueryArrivesAsTyped()
    {
        m_server.enqueue("GET", endpoint, answer({QStringLiteral("çeviri")}, QStringLiteral("en")));
        const auto result = translate(QStringLiteral("  C++ & a&b=c 50% #1 ünlü?\n"));
        QCOMPARE(result.outputText, QStringLiteral("çeviri"));
        QVERIFY(!result.isError);
        QCOMPARE(result.detectedLanguageCode, QStringLiteral("en")); // the server's, not the local guess
        QCOMPARE(result.targetLanguageCode, QStringLiteral("tr"));

        const auto request = m_server.lastRequest();
        QVERIFY(request);
        QCOMPARE(request->path, endpoint);
        QCOMPARE(request->queryValue("q"), QStringLiteral("C++ & a&b=c 50% #1 ünlü?").toUtf8());
        QVERIFY(request->query.startsWith("client=gtx&sl=auto&tl=tr&dt=t&q="));
        QCOMPARE(request->header("User-Agent"), QByteArray("QuorZub/1.0"));
    }

    void withoutAReportedLanguageTheLocalGuessStays()
    {
        m_server.enqueue("GET", endpoint, answer({QStringLiteral("Hallo")}, std::nullopt));
        QCOMPARE(translate(QStringLiteral("Merhaba")).detectedLanguageCode, QStringLiteral("de"));
    }

    void chunksGoOneAfterAnotherAndTheFirstLanguageWins_data()
    {
        QTest::addColumn<std::optional<QString>>("firstLanguage");
        QTest::addColumn<std::optional<QString>>("secondLanguage");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both report") << std::optional<QString>(QStringLiteral("en"))
                                     << std::optional<QString>(QStringLiteral("fr")) << QStringLiteral("en");
        QTest::newRow("only the second reports") << std::optional<QString>() << std::optional<QString>(QStringLiteral("fr"))
                                                 << QStringLiteral("fr");
    }

    void chunksGoOneAfterAnotherAndTheFirstLanguageWins()
    {
        QFETCH(std::optional<QString>, firstLanguage);
        QFETCH(std::optional<QString>, secondLanguage);
        QFETCH(QString, expected);
        QuorTestHttpResponse slowFirst = answer({QStringLiteral("bir")}, firstLanguage);
        slowFirst.delay = std::chrono::milliseconds(150); // a parallel second request would arrive first
        m_server.enqueue("GET", endpoint, slowFirst);
        QuorTestHttpResponse chunkedSecond = answer({QStringLiteral("iki")}, secondLanguage);
        chunkedSecond.chunks = {chunkedSecond.body.left(5), chunkedSecond.body.mid(5)};
        chunkedSecond.chunkDelay = std::chrono::milliseconds(20);
        chunkedSecond.body.clear();
        m_server.enqueue("GET", endpoint, chunkedSecond);

        const QString text = QString(3000, u'a') + QStringLiteral("\n\n") + QString(1000, u'b');
        const auto result = translate(text);
        QCOMPARE(result.outputText, QStringLiteral("bir\n\niki"));
        QCOMPARE(result.detectedLanguageCode, expected);
        const auto requests = m_server.requests(endpoint);
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).queryValue("q"), QByteArray(3000, 'a'));
        QCOMPARE(requests.at(1).queryValue("q"), QByteArray(1000, 'b'));
    }

    void failuresBecomeErrorResults_data();

    void failuresBecomeErrorResults()
    {
        QFETCH(QList<QuorTestHttpResponse>, answers);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(int, requests);
        for (const auto& response : answers) {
            m_server.enqueue("GET", endpoint, response);
        }
        // Whatever language the network layer's own messages are in.
        const QuorForeignQtMessages foreign;
        const auto result = translate(text);
        QVERIFY(result.isError);
        QVERIFY2(result.outputText.startsWith(expected), qPrintable(result.outputText));
        QCOMPARE(result.detectedLanguageCode, QStringLiteral("de"));
        QCOMPARE(result.targetLanguageCode, QStringLiteral("tr"));
        QCOMPARE(m_server.requests(endpoint).size(), requests);
    }

    void turkishInterface()
    {
        m_server.enqueue("GET", endpoint, QuorTestHttpResponse::text("", 429));
        QCOMPARE(translate(QStringLiteral("hi"), QuorLanguage::tr).outputText,
                 QStringLiteral("Web çevirisi başarısız oldu: HTTP 429"));
        QCOMPARE(translate(QString(30000, u'x'), QuorLanguage::tr).outputText,
                 QStringLiteral("Web çevirisi başarısız oldu: Metin web çevirisi için çok uzun (30.000 karakter; en "
                                "fazla 24.000). Daha kısa bir bölüm seçin."));
    }

    void aDroppedConnectionIsAnErrorResult()
    {
        QuorTestHttpServer dropping; // every answer dropped, retries included
        QVERIFY(dropping.start());
        QuorTestHttpResponse dropped;
        dropped.closeWithoutAnswer = true;
        dropping.route("GET", endpoint, dropped);
        const ZubTranslationAndAIService service(nullptr, nullptr, dropping.baseUrl());
        const auto result = quorAwait(service.execute(actionOf(ZubActionKind::translate), QStringLiteral("hi"),
                                                      configWith(ZubTranslationBackend::freeWebTranslate), QuorLanguage::en));
        QVERIFY(result.isError);
        QCOMPARE(result.outputText, QStringLiteral("Web translation failed: Could not connect to the server."));
    }

    void aTricklingServerEndsAtTheWholeDeadline()
    {
        // A byte every 100 ms keeps the idle timer from ever firing; the whole deadline still does.
        QuorTestHttpResponse trickle;
        trickle.rawPieces = QList<QByteArray>(100, QByteArray("["));
        trickle.chunkDelay = std::chrono::milliseconds(100);
        ZubTranslationAndAIService service(nullptr, nullptr, m_server.baseUrl());
        service.setWebTranslationDeadline(std::chrono::milliseconds(700));
        QElapsedTimer clock;
        clock.start();
        for (const auto language : {QuorLanguage::en, QuorLanguage::tr}) {
            m_server.enqueue("GET", endpoint, trickle);
            const auto result = quorAwait(service.execute(actionOf(ZubActionKind::translate), QStringLiteral("hi"),
                                                          configWith(ZubTranslationBackend::freeWebTranslate), language));
            QVERIFY(result.isError);
            QCOMPARE(result.outputText, language == QuorLanguage::en
                                            ? QStringLiteral("Web translation failed: The request timed out.")
                                            : QStringLiteral("Web çevirisi başarısız oldu: İstek zaman aşımına uğradı."));
        }
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

    void controlsFromTheServerNeverReachTheResult()
    {
        m_server.enqueue("GET", endpoint,
                         answer({QStringLiteral("\u202Eevil\u202C\u001B[2J"), QStringLiteral("\tok\nline") + QChar(0)},
                                QStringLiteral("e") + QChar(0) + u'n'));
        const auto result = translate(QStringLiteral("hi"));
        QVERIFY(!result.isError);
        QCOMPARE(result.outputText, QStringLiteral("evil[2J\tok\nline"));
        QCOMPARE(result.detectedLanguageCode, QStringLiteral("en"));

        m_server.enqueue("GET", endpoint, answer({QStringLiteral("\u202E\u0007 ")}, QStringLiteral("en")));
        const auto empty = translate(QStringLiteral("hi"));
        QVERIFY(empty.isError);
        QCOMPARE(empty.outputText, QStringLiteral("Web translation failed: Could not parse translation response."));
    }

    void cancellingEndsTheWaitAtOnce()
    {
        QuorTestHttpResponse slow = answer({QStringLiteral("late")}, std::nullopt);
        slow.delay = std::chrono::seconds(10);
        m_server.enqueue("GET", endpoint, slow);
        QuorCancellationToken cancel;
        QTimer::singleShot(50, [cancel] { cancel.cancel(); });
        QElapsedTimer clock;
        clock.start();
        const auto result = translate(QStringLiteral("hi"), QuorLanguage::en, cancel);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(result.isError);
        QCOMPARE(result.outputText, QStringLiteral("Web translation failed: The operation was cancelled."));
    }

    void aSharedNetworkAndAnUnusableAddress()
    {
        QNetworkAccessManager network;
        m_server.enqueue("GET", endpoint, answer({QStringLiteral("ok")}, std::nullopt));
        const ZubTranslationAndAIService shared(nullptr, nullptr, m_server.baseUrl(), &network);
        const auto config = configWith(ZubTranslationBackend::freeWebTranslate);
        QCOMPARE(quorAwait(shared.execute(actionOf(ZubActionKind::translate), QStringLiteral("hi"), config,
                                          QuorLanguage::en))
                     .outputText,
                 QStringLiteral("ok"));

        const ZubTranslationAndAIService broken(nullptr, nullptr, QUrl(QStringLiteral("ftp://example.org")));
        QCOMPARE(quorAwait(broken.execute(actionOf(ZubActionKind::translate), QStringLiteral("hi"), config,
                                          QuorLanguage::en))
                     .outputText,
                 QStringLiteral("Web translation failed: Could not build translation URL."));
    }
};

// Out of the class body: moc's scanner does not follow raw string literals.
void TestZubWebTranslation::parsing_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<std::optional<Outcome>>("expected");
    QTest::newRow("two segments and a language")
        << QByteArray(R"([[["Merhaba ","Hello ",null],["dünya. ","world.",null]],null,"en"])")
        << std::optional<Outcome>(Outcome{QStringLiteral("Merhaba dünya."), QStringLiteral("en")});
    QTest::newRow("root of two elements") << QByteArray(R"([[["Hallo"]],null])")
                                          << std::optional<Outcome>(Outcome{QStringLiteral("Hallo"), std::nullopt});
    QTest::newRow("odd segments skipped") << QByteArray(R"([[[], 5, [null,"x"], ["ok", 1], {"a":1}],null,7])")
                                          << std::optional<Outcome>(Outcome{QStringLiteral("ok"), std::nullopt});
    QTest::newRow("segments without strings") << QByteArray(R"([[[1],[null]],null,"en"])") << std::optional<Outcome>();
    QTest::newRow("only white space") << QByteArray(R"([[[" \n "]]])") << std::optional<Outcome>();
    QTest::newRow("empty root") << QByteArray("[]") << std::optional<Outcome>();
    QTest::newRow("object root") << QByteArray(R"({"sentences":[]})") << std::optional<Outcome>();
    QTest::newRow("not JSON") << QByteArray("<html>rate limited</html>") << std::optional<Outcome>();
    QTest::newRow("truncated") << QByteArray(R"([[["Merhaba","Hel)") << std::optional<Outcome>();
}

void TestZubWebTranslation::failuresBecomeErrorResults_data()
{
    QTest::addColumn<QList<QuorTestHttpResponse>>("answers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("requests");
    const QString two = QString(3000, u'a') + QStringLiteral("\n\n") + QString(1000, u'b');
    const auto ok = answer({QStringLiteral("bir")}, QStringLiteral("en"));
    QTest::newRow("rate limited") << QList{QuorTestHttpResponse::text("slow down", 429)} << QStringLiteral("hi")
                                  << QStringLiteral("Web translation failed: HTTP 429") << 1;
    QTest::newRow("second chunk fails: no partial result")
        << QList{ok, QuorTestHttpResponse::text("", 503)} << two << QStringLiteral("Web translation failed: HTTP 503")
        << 2;
    QTest::newRow("HTML instead of JSON") << QList{QuorTestHttpResponse::text("<html>captcha</html>")}
                                          << QStringLiteral("hi")
                                          << QStringLiteral("Web translation failed: Could not parse translation response.")
                                          << 1;
    QuorTestHttpResponse endless;
    endless.chunks = QList<QByteArray>(9, QByteArray(1024 * 1024, '['));
    QTest::newRow("an answer larger than any translation")
        << QList{endless} << QStringLiteral("hi")
        << QStringLiteral("Web translation failed: The server's answer is too large.") << 1;
    QTest::newRow("an answer that inflates past any translation")
        << QList{QuorTestHttpResponse::gzipBomb()} << QStringLiteral("hi")
        << QStringLiteral("Web translation failed: The server's answer is too large.") << 1;
    QTest::newRow("empty translation") << QList{QuorTestHttpResponse::json(R"([[["  "]],null,"en"])")}
                                       << QStringLiteral("hi")
                                       << QStringLiteral("Web translation failed: Could not parse translation response.")
                                       << 1;
    QTest::newRow("longer than one translation takes")
        << QList<QuorTestHttpResponse>{} << QString(24001, u'x')
        << QStringLiteral("Web translation failed: The text is too long for web translation (24,001 characters; at "
                          "most 24,000). Select a shorter part.")
        << 0;
}

QUOR_TEST_GUILESS_MAIN(TestZubWebTranslation)
#include "tst_zubwebtranslation.moc"
