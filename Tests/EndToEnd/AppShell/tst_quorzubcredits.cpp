#include "QuorZubBarDriver.h"
#include "QuorZubHarness.h"

#include "QuorZubAppTests/Studio/FakeStudioModel.h"
#include "QuorZubCoreTests/SelectionWatcher/X11TestDriver.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorKit/UI/Credits/QuorAppBudgetEditorBlock.h"
#include "QuorKit/UI/Credits/QuorCreditsAccountPanel.h"
#include "QuorKit/UI/Credits/QuorCreditsHeaderPill.h"
#include "QuorKit/UI/Credits/QuorCreditsWalletPopover.h"
#include "QuorKit/Vision/QuorVisionServices.h"
#include "QuorZubApp/App/ZubStudioWindow.h"
#include "QuorZubApp/Views/Studio/MainZubStudioView.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QtTest>

#include <atomic>

namespace {
using quorzub_bar::barControl;
using quorzub_bar::testConfig;
const QString kStudioTitle = quorzub_bar::studioTitle;
const QString kBarTitle = quorzub_bar::barTitle;

// JSON texts in raw string literals write "//" as "\/\/": moc's scanner takes a "//" inside a raw
// string for a comment and then misses the test class.
const QByteArray kProfile = R"({"email":"ada@example.com","available_micros":12340000,"held_micros":0,)"
                            R"("credit_unit_micros":10000,"current_app_budget":{"app":"QuorZub"}})";

// The credits gateway on 127.0.0.1: device codes approved when the test says so, the profile,
// budgets, connect codes and chat answers.
struct Gateway {
    QuorTestHttpServer server;
    std::atomic<bool> approved{false};

    bool start()
    {
        if (!server.start()) {
            return false;
        }
        server.route("POST", "/v1/device/code",
                     QuorTestHttpResponse::json(R"({"device_code":"dev-1","user_code":"WXYZ-1234",)"
                                                R"("verification_uri":"https:\/\/portal.example/device",)"
                                                R"("verification_uri_complete":"https:\/\/portal.example/device?code=WXYZ-1234",)"
                                                R"("expires_in":600,"interval":1})"));
        server.setHandler([this](const QuorTestHttpRequest& request) -> std::optional<QuorTestHttpResponse> {
            if (request.path != "/v1/device/token") {
                return std::nullopt;
            }
            return approved ? QuorTestHttpResponse::json(R"({"access_token":"tok-device"})")
                            : QuorTestHttpResponse::json(R"({"error":"authorization_pending"})", 400);
        });
        server.route("GET", "/v1/me", QuorTestHttpResponse::json(kProfile));
        server.route("GET", "/v1/ai/models", QuorTestHttpResponse::json(R"({"providers":[]})"));
        server.route("PUT", "/v1/app-budgets", QuorTestHttpResponse::json("{}"));
        server.route("POST", "/v1/logout", QuorTestHttpResponse::json("{}"));
        server.route("POST", "/v1/connect/token", QuorTestHttpResponse::json(R"({"access_token":"tok-browser"})"));
        server.route("POST", "/v1/ai/chat/completions",
                     QuorTestHttpResponse::json(R"({"choices":[{"message":{"role":"assistant","content":"Gateway summary."}}],)"
                                                R"("tallowmer_billing":{"available_usd":12.2}})"));
        return true;
    }

    bool sawToken(const QByteArray& path, const QByteArray& token) const
    {
        const QList<QuorTestHttpRequest> requests = server.requests(path);
        return std::any_of(requests.begin(), requests.end(), [&token](const QuorTestHttpRequest& request) {
            return request.header("Authorization") == "Bearer " + token;
        });
    }
};

// The studio's credits pill, found on the same view laid out here at the studio's size. The pill
// is right-aligned, so its right end stays put whatever it reads.
QPoint studioPill(const X11Windows::Client& studio, const ZubConfig& config)
{
    FakeStudioModel model;
    model.setConfig(config);
    const QColor accent = QuorProductPalettes::accentColor(QuorProductPalette::deepCoral);
    ZubStudioWindow twin(nullptr, accent); // its menu bar, over the view
    twin.setCentralWidget(new MainZubStudioView(model, accent));
    twin.setAttribute(Qt::WA_DontShowOnScreen);
    twin.resize(studio.geometry.size());
    twin.show();
    QCoreApplication::processEvents();
    const auto* pill = twin.findChild<QuorCreditsHeaderPill*>();
    return studio.geometry.topLeft() + pill->mapTo(&twin, QPoint(pill->width() - 14, pill->height() / 2));
}

// A control of the open wallet: the same wallet laid out here over a store in the same state.
QPoint walletControl(const QRect& popup, QuorCreditsAccountStore& store, const QString& name, bool editorOpen = false)
{
    QuorCreditsWalletPopover twin(store, Qt::white, QuorLanguage::en);
    twin.setAttribute(Qt::WA_DontShowOnScreen);
    if (editorOpen) {
        twin.panel()->editorBlock()->toggle();
    }
    twin.resize(twin.sizeHint());
    twin.show();
    QCoreApplication::processEvents();
    const auto* control = twin.findChild<QWidget*>(name);
    if (control == nullptr) {
        qWarning("no wallet control %s", qPrintable(name));
        return {};
    }
    return popup.topLeft() + control->mapTo(&twin, control->rect().center());
}

// What a person reads in an area of the screen (light text on the dark glass, read inverted).
QString readScreen(const QRect& area)
{
    QImage shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    shot.invertPixels();
    shot = shot.scaled(shot.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QuorVisionServices::recognizeText(shot, {QStringLiteral("en-US")}, false).fullText();
}

// The shared account file in the program's data folder.
QJsonObject accountFile(const QuorZubInstance& zub)
{
    QFile file(QFileInfo(zub.dataFolder()).absolutePath() + QStringLiteral("/account.json"));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

QNetworkReply* visit(QNetworkAccessManager& browser, const QUrl& url)
{
    QNetworkReply* reply = browser.get(QNetworkRequest(url));
    if (!quorWaitFor([reply] { return reply->isFinished(); })) {
        qWarning("no answer from %s", qPrintable(url.toString()));
    }
    return reply;
}
} // namespace

// The credits road with the real program against a local gateway: the header pill's wallet, a
// device-code sign-in, the balance, the application's caps, an AI action paid from the account,
// sign-out, and a browser sign-in that a stranger's callback cannot take over.
class TestQuorZubCredits : public QObject {
    Q_OBJECT

private:
    X11Windows m_windows;
    X11TestDriver m_input;

    // The wallet: a window of its own, titled as the wallet is.
    std::optional<QRect> wallet(const QuorZubInstance& zub) const
    {
        const std::optional<X11Windows::Client> window = m_windows.find(zub.pid(), QStringLiteral("Tallowmer Credits"));
        return window ? std::optional<QRect>(window->geometry) : std::nullopt;
    }

    // The open wallet once it has settled where and how large it is (its content follows the
    // account's state); a null rectangle when it is not up.
    QRect settledWallet(const QuorZubInstance& zub) const
    {
        return quorWaitForSteady<QRect>([&] { return wallet(zub); }).value_or(QRect());
    }

    // Clicks the pill until the wallet is up (a busy machine may still be settling the studio).
    QRect openWallet(const QuorZubInstance& zub, const ZubConfig& config)
    {
        if (!wallet(zub)
            && !quorRetryUntil([&] { m_input.click(studioPill(*m_windows.find(zub.pid(), kStudioTitle), config)); },
                               [&] { return wallet(zub).has_value(); })) {
            qWarning("the wallet did not open");
            return {};
        }
        return settledWallet(zub);
    }

private slots:
    void initTestCase() { QVERIFY(m_input.isReady()); }

    void signInCapsAnActionAndSignOut()
    {
        Gateway gateway;
        QVERIFY(gateway.start());
        const QString gatewayURL = gateway.server.baseUrl().toString();
        // The program's browser writes down what it was asked to open.
        QTemporaryDir tools;
        const QString opened = tools.filePath(QStringLiteral("opened.txt"));
        {
            QFile browser(tools.filePath(QStringLiteral("xdg-open")));
            QVERIFY(browser.open(QIODevice::WriteOnly));
            browser.write("#!/bin/sh\necho \"$1\" >> '" + QFile::encodeName(opened) + "'\n");
            browser.close();
            QVERIFY(browser.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }

        ZubConfig config = testConfig({ZubActionKind::summarize});
        config.translationBackend = ZubTranslationBackend::aiProvider;
        config.aiConfig = QuorAIConfig(QuorAIProvider::tallowmerCredits, gatewayURL + QStringLiteral("/v1/ai/chat/completions"),
                                       QStringLiteral("tallowmer-auto"));
        QuorZubInstance zub;
        zub.writeConfig(QJsonDocument(config.toJson()).toJson());
        zub.setEnvironmentVariable(QStringLiteral("TALLOWMER_API_URL"), gatewayURL);
        zub.setEnvironmentVariable(QStringLiteral("PATH"), tools.path() + QLatin1Char(':') + qEnvironmentVariable("PATH"));
        zub.setEnvironmentVariable(QStringLiteral("BROWSER"), tools.filePath(QStringLiteral("xdg-open")));
        QVERIFY2(zub.start().has_value(), zub.output().constData());
        QVERIFY2(quorzub_bar::waitUntilLaunched(zub, m_windows), "the studio did not come up and take the focus");

        // Stores here in the program's states, to lay the wallet out as it shows them.
        QTemporaryDir accounts;
        QuorCreditsAccountManager signedOutManager(accounts.filePath(QStringLiteral("out")), std::nullopt, gatewayURL);
        QuorCreditsAccountStore signedOut(signedOutManager);
        QuorCreditsAccountManager signedInManager(accounts.filePath(QStringLiteral("in")), std::nullopt, gatewayURL);
        QuorCreditsAccountStore signedIn(signedInManager);
        quorAwait(signedInManager.saveToken(QStringLiteral("tok-device")));
        quorAwait(signedIn.refresh());
        QVERIFY(signedIn.isSignedIn());
        gateway.server.clearRequests();

        // The pill opens the wallet; Device Code asks the gateway for a code and shows its page.
        QRect popup = openWallet(zub, config);
        QVERIFY(!popup.isNull());
        m_input.click(walletControl(popup, signedOut, QStringLiteral("deviceCode")));
        QUOR_TRY_VERIFY(!gateway.server.requests("/v1/device/token").isEmpty());
        QUOR_TRY_VERIFY(QFile::exists(opened));
        {
            QFile file(opened);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains("https://portal.example/device?code=WXYZ-1234"));
        }

        // Approved in the browser: the program fetches the account, and its balance shows.
        gateway.approved = true;
        QUOR_TRY_VERIFY(gateway.sawToken("/v1/me", "tok-device"));
        const QString tokenKey = QStringLiteral("account-token ") + gatewayURL;
        QCOMPARE(accountFile(zub).value(tokenKey).toString(), QStringLiteral("tok-device"));
        QUOR_TRY_VERIFY(readScreen(*wallet(zub)).contains(QStringLiteral("1,234 cr")));
        const QPoint pill = studioPill(*m_windows.find(zub.pid(), kStudioTitle), config);
        const QRect pillArea(pill.x() - 110, pill.y() - 14, 124, 28);
        QUOR_TRY_VERIFY(readScreen(pillArea).contains(QStringLiteral("1,234")));

        // Caps: the editor opens under its row, takes a daily cap and saves it for this application.
        popup = settledWallet(zub);
        m_input.click(walletControl(popup, signedIn, QStringLiteral("editCaps")));
        const int closedHeight = popup.height();
        QUOR_TRY_VERIFY(wallet(zub).value_or(QRect()).height() > closedHeight);
        popup = settledWallet(zub);
        const QPoint dailyCap = walletControl(popup, signedIn, QStringLiteral("dailyCap"), true);
        const QRect dailyCapArea(dailyCap.x() - 60, dailyCap.y() - 13, 120, 26);
        // On a busy desktop a key may arrive before the click has put the focus in the field; a
        // person who saw the number come out wrong would type it again.
        QVERIFY(quorRetryUntil(
            [&] {
                m_input.click(dailyCap);
                m_input.key("ctrl+a");
                for (const char* key : {"2", "5", "0"}) {
                    m_input.key(key);
                }
            },
            [&] { return readScreen(dailyCapArea).contains(QStringLiteral("250")); }));
        m_input.click(walletControl(popup, signedIn, QStringLiteral("saveCaps"), true));
        QUOR_TRY_COMPARE(gateway.server.requests("/v1/app-budgets").size(), 1);
        const QJsonObject caps = QJsonDocument::fromJson(gateway.server.requests("/v1/app-budgets").first().body).object();
        QCOMPARE(caps.value(QStringLiteral("app")).toString(), QStringLiteral("QuorZub"));
        QCOMPARE(caps.value(QStringLiteral("daily_limit_credits")).toDouble(), 250.0);
        QVERIFY(caps.value(QStringLiteral("monthly_limit_credits")).isNull());
        m_input.key("Escape");
        QUOR_TRY_VERIFY(!wallet(zub).has_value());

        // The next AI action goes through the gateway on the account's token.
        {
            const QString text = QStringLiteral("The committee met twice and approved the budget.");
            TestEditor editor({QStringLiteral("--text"), text, QStringLiteral("--at"), QStringLiteral("40,420")});
            QVERIFY(editor.waitUntilReady());
            m_input.drag(editor.boundary(0), editor.boundary(static_cast<int>(text.size())));
            const auto bar = quorzub_bar::waitForBar(zub, m_windows, config);
            QVERIFY(bar);
            const ZubActionDefinition summarize = config.enabledActions().first();
            m_input.click(barControl(*bar, config, text, QStringLiteral("pill:") + summarize.id.toString(QUuid::WithoutBraces)));
            QUOR_TRY_COMPARE(zub.history().size(), 1);
            const QJsonObject record = zub.history().at(0).toObject();
            QCOMPARE(record.value(QStringLiteral("outputText")).toString(), QStringLiteral("Gateway summary."));
            QVERIFY(gateway.sawToken("/v1/ai/chat/completions", "tok-device"));
            m_input.key("Escape");
            QUOR_TRY_VERIFY2(!m_windows.find(zub.pid(), kBarTitle).has_value(),
                             qPrintable(QStringLiteral("Escape went to ") + m_windows.describeActiveWindow()));
        }

        // Sign Out tells the gateway and takes the token off this computer.
        popup = openWallet(zub, config);
        QVERIFY(!popup.isNull());
        m_input.click(walletControl(popup, signedIn, QStringLiteral("signOut")));
        QUOR_TRY_COMPARE(gateway.server.requests("/v1/logout").size(), 1);
        QUOR_TRY_VERIFY(!accountFile(zub).contains(tokenKey));

        // A browser sign-in: a callback without this sign-in's state is turned away and the wait goes
        // on; the real one signs in.
        popup = settledWallet(zub);
        QVERIFY(!popup.isNull());
        m_input.click(walletControl(popup, signedOut, QStringLiteral("connect")));
        QUrl connect;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QFile file(opened);
                file.open(QIODevice::ReadOnly);
                for (const QByteArray& line : file.readAll().split('\n')) {
                    if (line.contains("/baglan")) {
                        connect = QUrl(QString::fromUtf8(line.trimmed()));
                    }
                }
                return connect.isValid();
            }(),
            quorPatienceMs);
        const QUrlQuery query(connect);
        const QUrl callback(query.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded));
        const QString state = query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
        QVERIFY(callback.port() > 0 && !state.isEmpty());
        QNetworkAccessManager browser;
        QNetworkReply* stranger = visit(browser, QUrl(callback.toString() + QStringLiteral("/?code=evil")));
        QCOMPARE(stranger->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 400);
        QVERIFY(stranger->readAll().contains("Connection verification failed"));
        QCOMPARE(gateway.server.requests("/v1/connect/token").size(), 0);

        QNetworkReply* real = visit(browser, QUrl(callback.toString() + QStringLiteral("/?code=good&state=") + state));
        QCOMPARE(real->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        const QList<QuorTestHttpRequest> redeemed = gateway.server.requests("/v1/connect/token");
        QCOMPARE(redeemed.size(), 1);
        QCOMPARE(QJsonDocument::fromJson(redeemed.first().body).object().value(QStringLiteral("code")).toString(),
                 QStringLiteral("good"));
        QUOR_TRY_VERIFY(gateway.sawToken("/v1/me", "tok-browser"));
        QCOMPARE(accountFile(zub).value(tokenKey).toString(), QStringLiteral("tok-browser"));
    }
};

QUOR_TEST_MAIN(TestQuorZubCredits)
#include "tst_quorzubcredits.moc"
