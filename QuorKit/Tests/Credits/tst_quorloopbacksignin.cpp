#include "CreditsTestSupport.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorLoopbackHTTP.h"
#include "QuorKit/Cloud/QuorPKCECrypto.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "Support/QuorTestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <future>
#include <memory>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {
// One listener with its cancel signal and a wait already started on it.
struct Waiting {
    QuorLoopbackListener listener = QuorLoopbackHTTP::bindEphemeralLoopback();
    std::shared_ptr<QuorLoopbackCancelSignal> signal = std::make_shared<QuorLoopbackCancelSignal>();
    QuorCancellationToken cancel;
    std::optional<QCoro::Task<QuorLoopbackCallbackHit>> task;

    explicit Waiting(const QString& state = QStringLiteral("S"), double timeout = 20)
    {
        task.emplace(QuorLoopbackHTTP::awaitCallback(listener.fd.get(), state, timeout, signal, cancel));
    }
    QuorLoopbackCallbackHit result() { return quorAwait(std::move(*task)); }
};

QuorCreditsError creditsErrorOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const QuorCreditsError& error) {
        return error;
    }
    throw std::runtime_error("no QuorCreditsError was thrown");
}

int statusOf(const QByteArray& answer)
{
    return answer.mid(9, 3).toInt();
}

QByteArray bodyOf(const QByteArray& answer)
{
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}
// A client that never finishes its request line: it sends one byte of it every 50 ms, or (not
// `sending`) connects and sends nothing at all.
class Dribbler {
public:
    explicit Dribbler(quint16 port, bool sending = true)
        : m_thread([port, sending](std::stop_token stop) {
              const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
              sockaddr_in address{};
              address.sin_family = AF_INET;
              address.sin_port = htons(port);
              address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
              if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                  while (!stop.stop_requested() && (!sending || ::send(fd, "G", 1, MSG_NOSIGNAL) == 1)) {
                      std::this_thread::sleep_for(50ms);
                  }
              }
              ::close(fd);
          })
    {
    }

private:
    std::jthread m_thread;
};
} // namespace

class TestQuorLoopbackSignIn : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QuorTestHttpServer> m_gateway;
    std::unique_ptr<QuorCreditsAccountManager> m_manager;
    std::unique_ptr<FakeBrowser> m_browser;
    QList<QUrl> m_opened;
    QList<std::shared_future<QByteArray>> m_visits;

private slots:
    void initTestCase()
    {
        // The shared manager reads its account folder and gateway from the environment on first use.
        static QTemporaryDir sharedFolder;
        static QuorTestHttpServer sharedGateway;
        QVERIFY(sharedGateway.start());
        sharedGateway.route("GET", "/v1/me", profileAnswer());
        sharedGateway.route("GET", "/v1/ai/models", modelsAnswer());
        sharedGateway.route("POST", "/v1/connect/token", QuorTestHttpResponse::json(R"({"access_token":"shared-token"})"));
        qputenv("TALLOWMER_ACCOUNT_DIR", sharedFolder.path().toUtf8());
        qputenv("TALLOWMER_API_URL", sharedGateway.baseUrl().toString().toUtf8());
    }

    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_gateway = std::make_unique<QuorTestHttpServer>();
        QVERIFY(m_gateway->start());
        m_manager = std::make_unique<QuorCreditsAccountManager>(m_folder->path(), std::nullopt, m_gateway->baseUrl().toString());
        m_browser = std::make_unique<FakeBrowser>();
        m_opened.clear();
        m_visits.clear();
        m_gateway->route("GET", "/v1/me", profileAnswer());
        m_gateway->route("GET", "/v1/ai/models", modelsAnswer());
    }

    void cleanup()
    {
        m_browser.reset();
        m_manager.reset();
        m_gateway.reset();
        m_folder.reset();
    }

    // --- PKCE ---

    void pkceValues()
    {
        const QRegularExpression alphabet(QStringLiteral("^[A-Za-z0-9_-]+$"));
        const QString verifier = QuorPKCECrypto::randomBase64URL(32);
        QCOMPARE(verifier.size(), 43);
        QVERIFY(alphabet.match(verifier).hasMatch());
        QCOMPARE(QuorPKCECrypto::randomBase64URL(16).size(), 22);
        QVERIFY(QuorPKCECrypto::randomBase64URL(32) != verifier);
        // The worked example of the S256 method.
        QCOMPARE(QuorPKCECrypto::sha256Base64URL(QStringLiteral("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk")),
                 QStringLiteral("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
    }

    void pagesAreEscapedAndMeasuredInBytes()
    {
        const QString response = QuorLoopbackHTTP::pageResponse(400, QStringLiteral("Bad Request"), QStringLiteral("a \"<b>\" & 'c'"),
                                                                 QStringLiteral("Bağlantı ✓"), QStringLiteral("#ff647c"));
        const QByteArray bytes = response.toUtf8();
        QVERIFY(bytes.startsWith("HTTP/1.1 400 Bad Request\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "));
        const QByteArray body = bodyOf(bytes);
        QVERIFY(bytes.contains("Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n"));
        QVERIFY(body.size() > QString::fromUtf8(body).size());
        QVERIFY(body.contains("<title>a &quot;&lt;b&gt;&quot; &amp; 'c'</title>"));
        QVERIFY(body.contains("<h2 style=\"color:#ff647c;margin:0 0 12px 0\">"));
        QCOMPARE(body.count('\n'), 9);
        QVERIFY(body.endsWith("</html>"));
    }

    // --- The callback loop, with the test as the browser ---

    void acceptsACallbackAndLeavesItsConnectionOpen()
    {
        Waiting waiting;
        const quint16 port = waiting.listener.port;
        // Favicon and robots requests, a request without a code, a malformed one and bytes that are
        // not text are answered (or dropped) while the loop keeps waiting.
        QCOMPARE(waitFor(m_browser->visit(port, "/favicon.ico")), QByteArray("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n"));
        QCOMPARE(statusOf(waitFor(m_browser->visit(port, "/robots.txt"))), 204);
        const QByteArray missing = waitFor(m_browser->visit(port, "/?state=S"));
        QCOMPARE(statusOf(missing), 400);
        QVERIFY(missing.contains("#ffb84d") && missing.contains("Missing authorization code"));
        const QByteArray invalid = waitFor(m_browser->visit(port, "/?code=%zz"));
        QVERIFY(invalid.contains("Invalid request"));
        QCOMPARE(waitFor(m_browser->send(port, QByteArray("\xff\xfe\r\n\r\n", 6))), QByteArray());
        QCOMPARE(waitFor(m_browser->send(port, "NOSPACE\r\n\r\n")), QByteArray());

        // The last of a repeated parameter wins, trimmed.
        auto browser = m_browser->visit(port, "/?code=first&code=%20abc%0A&state=S&flag");
        QuorLoopbackCallbackHit hit = waiting.result();
        QCOMPARE(hit.code, QStringLiteral("abc"));
        QVERIFY(hit.clientFD);
        QCOMPARE(browser.wait_for(100ms), std::future_status::timeout); // still unanswered
        QuorLoopbackHTTP::writeRawResponse(hit.clientFD.get(), QStringLiteral("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
        hit.clientFD.reset();
        QVERIFY(waitFor(browser).endsWith("\r\n\r\nok"));
    }

    // Only the page this sign-in opened knows the state: a callback without it or with another one
    // (a code of someone else's, an error meant to end the sign-in), each from its own client while
    // the sign-in waits, is turned away and the wait goes on.
    void callbacksWithoutTheStateAreTurnedAway()
    {
        Waiting waiting;
        const quint16 port = waiting.listener.port;
        for (const char* target : {"/callback?code=xyz", "/?code=xyz&state=", "/?error=access_denied&error_description=No",
                                   "/?code=c&state=forged", "/?error=x&state=forged"}) {
            const QByteArray answer = waitFor(m_browser->visit(port, target));
            QCOMPARE(statusOf(answer), 400);
            QVERIFY2(answer.contains("Connection verification failed"), answer.constData());
        }
        auto browser = m_browser->visit(port, "/?code=mine&state=S");
        QCOMPARE(waiting.result().code, QStringLiteral("mine"));
    }

    void declinedCallbacksEndTheWait_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("declined") << QByteArray("/?error=access_denied&error_description=No&state=S") << QStringLiteral("No")
                                  << QByteArray("<p style=\"color:rgba(255,255,255,0.78);margin:0\">No</p>");
        QTest::newRow("error only") << QByteArray("/?error=access_denied&state=S") << QStringLiteral("access_denied")
                                    << QByteArray("Connection declined");
        QTest::newRow("escaped description") << QByteArray("/?error=x&error_description=%3Cscript%3E&state=S")
                                             << QStringLiteral("<script>") << QByteArray("&lt;script&gt;");
    }

    void declinedCallbacksEndTheWait()
    {
        QFETCH(QByteArray, target);
        QFETCH(QString, error);
        QFETCH(QByteArray, page);
        Waiting waiting;
        auto browser = m_browser->visit(waiting.listener.port, target);
        QCOMPARE(creditsErrorOf([&] { waiting.result(); }), QuorCreditsError::signInFailed(error));
        const QByteArray answer = waitFor(browser);
        QCOMPARE(statusOf(answer), 400);
        QVERIFY2(answer.contains(page), answer.constData());
    }

    void anEmptyErrorIsIgnored()
    {
        Waiting waiting;
        auto browser = m_browser->visit(waiting.listener.port, "/?error=&code=ok&state=S");
        QCOMPARE(waiting.result().code, QStringLiteral("ok"));
    }

    void timeoutAndCancellation()
    {
        QElapsedTimer timer;
        timer.start();
        Waiting quick(QStringLiteral("S"), 0.05);
        QCOMPARE(creditsErrorOf([&] { quick.result(); }).kind(), QuorCreditsError::Kind::signInTimedOut);
        QVERIFY(timer.elapsed() >= 95);

        // Cancelling wakes a poll that would otherwise sleep for a minute.
        Waiting blocked(QStringLiteral("S"), 600);
        QTimer::singleShot(150, [cancel = blocked.cancel] { cancel.cancel(); });
        timer.restart();
        QCOMPARE(creditsErrorOf([&] { blocked.result(); }).kind(), QuorCreditsError::Kind::signInCancelled);
        QVERIFY(timer.elapsed() < 5000);

        // A token cancelled before the wait begins ends it at once.
        Waiting early;
        early.cancel.cancel();
        QCOMPARE(creditsErrorOf([&] { early.result(); }).kind(), QuorCreditsError::Kind::signInCancelled);
    }

    void aClientThatNeverFinishesItsRequestHoldsNothing()
    {
        // Cancelling is seen while the loop reads from a client that dribbles.
        {
            Waiting waiting(QStringLiteral("S"), 600);
            Dribbler dribbler(waiting.listener.port);
            QTimer::singleShot(300, [cancel = waiting.cancel] { cancel.cancel(); });
            const QuorHeldClock timer;
            QCOMPARE(creditsErrorOf([&] { waiting.result(); }).kind(), QuorCreditsError::Kind::signInCancelled);
            QVERIFY2(timer.elapsedMs() < 2000, qPrintable(QString::number(timer.elapsedMs())));
        }
        // Without cancelling, the slow client is dropped after a few seconds and the browser's
        // callback behind it still gets through.
        Waiting waiting(QStringLiteral("S"), 60);
        Dribbler dribbler(waiting.listener.port);
        QTest::qWait(200);
        auto browser = m_browser->visit(waiting.listener.port, "/?code=late&state=S");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(waiting.result().code, QStringLiteral("late"));
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    }

    // Idle connections wait side by side with the browser's: none of them delays the callback.
    void idleConnectionsDoNotHoldOffTheCallback()
    {
        Waiting waiting(QStringLiteral("S"), 60);
        std::vector<std::unique_ptr<Dribbler>> idle;
        for (int i = 0; i < 10; ++i) {
            idle.push_back(std::make_unique<Dribbler>(waiting.listener.port, false));
        }
        QTest::qWait(200);
        const QuorHeldClock timer;
        auto browser = m_browser->visit(waiting.listener.port, "/?code=quick&state=S");
        QCOMPARE(waiting.result().code, QStringLiteral("quick"));
        QVERIFY2(timer.elapsedMs() < 1000, qPrintable(QString::number(timer.elapsedMs())));
    }

    // --- The manager's exchange ---

    void exchangeRedeemsTheCodeAndAnswersTheBrowser()
    {
        m_gateway->route("POST", "/v1/connect/token", QuorTestHttpResponse::json(R"({"access_token":"browser-token"})"));
        QUrl connectURL;
        const QString token = quorAwait(m_manager->startOneClickSignIn(
            QStringLiteral("https://portal.example/"), 20, false, false, [&](const QUrl& url) {
                connectURL = url;
                const ConnectTarget target = connectTarget(url);
                m_visits.append(m_browser->visit(target.port, "/?code=one-time&state=" + target.state.toUtf8()));
            }));
        QCOMPARE(token, QStringLiteral("browser-token"));
        QCOMPARE(quorAwait(m_manager->savedToken()), std::optional<QString>(token));

        QCOMPARE(connectURL.toString(QUrl::RemoveQuery), QStringLiteral("https://portal.example/baglan"));
        const QList<QPair<QString, QString>> items = QUrlQuery(connectURL).queryItems(QUrl::FullyDecoded);
        QStringList keys;
        for (const auto& item : items) {
            keys.append(item.first);
        }
        QCOMPARE(keys, (QStringList{QStringLiteral("redirect_uri"), QStringLiteral("code_challenge"),
                                    QStringLiteral("code_challenge_method"), QStringLiteral("state"), QStringLiteral("client")}));
        const ConnectTarget target = connectTarget(connectURL);
        QCOMPARE(items.at(0).second, QStringLiteral("http://127.0.0.1:") + QString::number(target.port));
        QCOMPARE(items.at(2).second, QStringLiteral("S256"));
        QCOMPARE(items.at(4).second, QuorCreditsAccountManager::currentAppHeader());
        QCOMPARE(target.state.size(), 22);

        const QJsonObject redeemed = QuorJson::parseObject(m_gateway->requests("/v1/connect/token").first().body);
        QCOMPARE(redeemed.value(QStringLiteral("code")).toString(), QStringLiteral("one-time"));
        QCOMPARE(QuorPKCECrypto::sha256Base64URL(redeemed.value(QStringLiteral("code_verifier")).toString()), target.challenge);

        const QByteArray page = waitFor(m_visits.first());
        QCOMPARE(statusOf(page), 200);
        QVERIFY(page.contains("Tallowmer Account Connected") && page.contains("#3ee6a8"));
        QVERIFY(FakeBrowser::isRefused(target.port));
    }

    // The code is redeemed but the token cannot be stored here: the browser is not told "connected".
    void anUnsavedTokenIsNotReportedAsConnected()
    {
        QFile blocker(m_folder->filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QuorCreditsAccountManager stuck(blocker.fileName() + QStringLiteral("/Tallowmer"), std::nullopt,
                                        m_gateway->baseUrl().toString());
        m_gateway->route("POST", "/v1/connect/token", QuorTestHttpResponse::json(R"({"access_token":"granted"})"));
        const QuorCreditsError error = creditsErrorOf([&] {
            quorAwait(stuck.startOneClickSignIn(QStringLiteral("https://portal.example"), 20, false, false, [&](const QUrl& url) {
                const ConnectTarget target = connectTarget(url);
                m_visits.append(m_browser->visit(target.port, "/?code=c&state=" + target.state.toUtf8()));
            }));
        });
        QCOMPARE(error, QuorCreditsError::tokenNotSaved(stuck.accountFolder()));
        const QByteArray page = waitFor(m_visits.first());
        QCOMPARE(statusOf(page), 500);
        QVERIFY(page.contains("Account could not be saved"));
        QVERIFY(!page.contains("Connected"));
    }

    void refusedRedemptionShowsTheFailurePage()
    {
        m_gateway->route("POST", "/v1/connect/token", QuorTestHttpResponse::text("code already used", 400));
        quint16 port = 0;
        const QuorCreditsError error = creditsErrorOf([&] {
            quorAwait(m_manager->startOneClickSignIn(QStringLiteral("https://portal.example"), 20, false, false, [&](const QUrl& url) {
                const ConnectTarget target = connectTarget(url);
                port = target.port;
                m_visits.append(m_browser->visit(target.port, "/?code=c&state=" + target.state.toUtf8()));
            }));
        });
        QCOMPARE(error, QuorCreditsError::serverAnswer(400, "code already used"));
        const QByteArray page = waitFor(m_visits.first());
        QCOMPARE(statusOf(page), 400);
        QVERIFY(page.contains("Connection code expired or invalid"));
        QVERIFY(FakeBrowser::isRefused(port));
        QCOMPARE(quorAwait(m_manager->savedToken()), std::nullopt);
    }

    void exchangeRefusesPortalsThatAreNotWebAddresses()
    {
        bool called = false;
        m_manager->setURLOpener([&](const QUrl&) { return called = true; });
        for (const char* portal : {"file:///tmp", "javascript:alert(1)", "not a url"}) {
            QCOMPARE(creditsErrorOf([&] { quorAwait(m_manager->startOneClickSignIn(QString::fromLatin1(portal), 1, true, false)); })
                         .kind(),
                     QuorCreditsError::Kind::invalidGatewayURL);
        }
        QVERIFY(!called);
    }

    void exchangeCanRefreshTheSharedStore()
    {
        QuorCreditsAccountManager& shared = QuorCreditsAccountManager::shared();
        QVERIFY(!QuorCreditsAccountStore::shared().isSignedIn());
        quorAwait(shared.startOneClickSignIn(QStringLiteral("https://portal.example"), 20, false, true, [&](const QUrl& url) {
            const ConnectTarget target = connectTarget(url);
            m_visits.append(m_browser->visit(target.port, "/?code=c&state=" + target.state.toUtf8()));
        }));
        QVERIFY(QuorCreditsAccountStore::shared().isSignedIn());
        quorAwait(QuorCreditsAccountStore::shared().signOut());
    }

    // --- The store's browser flow ---

    void storeSignsInThroughTheBrowser()
    {
        m_gateway->route("POST", "/v1/connect/token", QuorTestHttpResponse::json(R"({"access_token":"t"})"));
        QuorCreditsAccountStore store(*m_manager);
        std::optional<std::shared_future<QByteArray>> stray;
        m_manager->setURLOpener([&](const QUrl& url) {
            m_opened.append(url);
            const ConnectTarget target = connectTarget(url);
            if (stray) {
                m_visits.append(m_browser->visit(target.port, "/?code=c&state=" + target.state.toUtf8()));
                return true;
            }
            // Another local client finds the port first, with a state of its own; the browser's
            // callback comes once that client has its answer.
            stray = m_browser->visit(target.port, "/?code=stray&state=forged");
            const QByteArray request = "GET /?code=c&state=" + target.state.toUtf8() + " HTTP/1.1\r\n\r\n";
            m_visits.append(std::async(std::launch::async, [first = *stray, port = target.port, request] {
                                first.wait();
                                return FakeBrowser::exchange(port, request);
                            }).share());
            return true;
        });
        store.startOneClickSignIn();
        QVERIFY(store.isSigningIn());
        QUOR_TRY_VERIFY(!store.isSigningIn());
        QVERIFY(store.isSignedIn());
        QVERIFY(!store.lastError());
        QCOMPARE(statusOf(waitFor(*stray)), 400);
        QCOMPARE(m_gateway->requests("/v1/connect/token").size(), 1);
        QVERIFY(m_gateway->requests("/v1/connect/token").first().body.contains("\"code\":\"c\""));
        QVERIFY(m_opened.first().toString().startsWith(QStringLiteral("https://tallowmer.com/baglan?")));

        // With a profile the flow uses its portal.
        m_gateway->route("GET", "/v1/me", QuorTestHttpResponse::json(R"({"portal_url":"https:\/\/portal.example/"})"));
        quorAwait(store.refresh());
        store.startOneClickSignIn();
        QUOR_TRY_VERIFY(!store.isSigningIn());
        QVERIFY(m_opened.last().toString().startsWith(QStringLiteral("https://portal.example/baglan?")));
    }

    void storeBrowserFlowTimesOutAndCancelsQuietly()
    {
        QuorCreditsAccountStore store(*m_manager);
        quint16 port = 0;
        m_manager->setURLOpener([&](const QUrl& url) {
            port = connectTarget(url).port;
            return true;
        });
        store.setBrowserSignInTimeout(0.2);
        store.startOneClickSignIn();
        QUOR_TRY_VERIFY(!store.isSigningIn());
        QCOMPARE(store.lastError(), std::optional<QString>(QStringLiteral("Browser sign-in timed out. Please try connecting again.")));

        store.setBrowserSignInTimeout(600);
        store.startOneClickSignIn();
        QVERIFY(!store.lastError());
        QUOR_TRY_VERIFY(port != 0);
        store.cancelPendingSignIn();
        QUOR_TRY_VERIFY(FakeBrowser::isRefused(port));
        quorSpin(100ms);
        QVERIFY(!store.lastError());
        QVERIFY(!store.isSigningIn());
    }

    void deviceFlowReplacesAWaitingBrowserFlow()
    {
        m_gateway->route("POST", "/v1/device/code",
                         QuorTestHttpResponse::json(R"({"device_code":"d","user_code":"CODE","verification_uri":"https:\/\/p/v",)"
                                                    R"("verification_uri_complete":"https:\/\/p/v?c=CODE","expires_in":600,"interval":60})"));
        QuorCreditsAccountStore store(*m_manager);
        quint16 port = 0;
        m_manager->setURLOpener([&](const QUrl& url) {
            if (url.path() == QLatin1String("/baglan")) {
                port = connectTarget(url).port;
            }
            return true;
        });
        store.startOneClickSignIn();
        QUOR_TRY_VERIFY(port != 0);
        store.startDeviceSignIn();
        // The browser flow's wait ends on its worker thread and its end step runs later, after the
        // device flow has begun: it must leave the device flow's state alone.
        QUOR_TRY_VERIFY(FakeBrowser::isRefused(port));
        QUOR_TRY_VERIFY(store.pendingDeviceSignIn().has_value());
        quorSpin(200ms);
        QVERIFY(store.isSigningIn());
        QVERIFY(store.pendingDeviceSignIn());
        QVERIFY(!store.lastError());
        store.cancelPendingSignIn();
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorLoopbackSignIn)
#include "tst_quorloopbacksignin.moc"
