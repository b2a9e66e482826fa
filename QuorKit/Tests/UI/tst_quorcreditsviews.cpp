#include "CreditsViewsTestSupport.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/UI/QuorAppBudgetEditorBlock.h"
#include "QuorKit/UI/QuorAppBudgetSummaryPresentation.h"
#include "QuorKit/UI/QuorCreditsAccountPanel.h"
#include "QuorKit/UI/QuorCreditsAuthBlock.h"
#include "QuorKit/UI/QuorCreditsWalletPopover.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace {
const QColor accent(0xF4, 0x72, 0xD0);

template <typename T = QWidget>
T* child(const QWidget& parent, const QString& name)
{
    T* found = parent.findChild<T*>(name);
    if (found == nullptr) {
        qWarning("no child %s", qPrintable(name));
    }
    return found;
}

QString textOf(const QWidget& parent, const QString& name)
{
    const QLabel* label = child<QLabel>(parent, name);
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

bool shows(const QWidget& parent, const QString& name)
{
    const QWidget* widget = child(parent, name);
    return widget != nullptr && !widget->isHidden();
}

QByteArray profileJson(qint64 available, qint64 held, qint64 unit, const QString& email = {},
                       const QJsonObject& budget = {})
{
    QJsonObject profile{{QStringLiteral("available_micros"), available},
                        {QStringLiteral("held_micros"), held},
                        {QStringLiteral("credit_unit_micros"), unit}};
    if (!email.isEmpty()) {
        profile.insert(QStringLiteral("email"), email);
    }
    if (!budget.isEmpty()) {
        profile.insert(QStringLiteral("current_app_budget"), budget);
    }
    return QJsonDocument(profile).toJson(QJsonDocument::Compact);
}

QuorTestHttpResponse deviceCodeAnswer(const QByteArray& complete)
{
    return QuorTestHttpResponse::json(R"({"device_code":"dev-1","user_code":"WXYZ","verification_uri":"https:\/\/portal.example/device",)"
                                      R"("verification_uri_complete":")" + complete + R"(","expires_in":600,"interval":3})");
}
} // namespace

// The credits views offscreen, over the real account store and a local server playing the gateway.
class TestQuorCreditsViews : public QObject {
    Q_OBJECT
private slots:
    void init() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void walletAmounts_data()
    {
        QTest::addColumn<qint64>("available");
        QTest::addColumn<qint64>("held");
        QTest::addColumn<qint64>("unit");
        QTest::addColumn<QuorLanguage>("language");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<QString>("dollars");
        QTest::addColumn<QString>("heldText");
        QTest::newRow("whole credits") << qint64(12'340'000) << qint64(0) << qint64(10'000) << QuorLanguage::en
                                       << "1,234 cr" << "≈ $12.34" << QString();
        QTest::newRow("held") << qint64(12'340'000) << qint64(5'000) << qint64(10'000) << QuorLanguage::en << "1,234 cr"
                              << "≈ $12.34" << "· Held: 0.5";
        QTest::newRow("no unit") << qint64(2'500'000) << qint64(0) << qint64(0) << QuorLanguage::en << "2,500,000 cr"
                                 << "≈ $2.50" << QString();
        QTest::newRow("overdrawn") << qint64(-1'000'000) << qint64(0) << qint64(10'000) << QuorLanguage::en << "0 cr"
                                   << "≈ $0.00" << QString();
        QTest::newRow("Turkish") << qint64(12'340'000) << qint64(0) << qint64(10'000) << QuorLanguage::tr << "1.234 kr"
                                 << "≈ $12.34" << QString();
    }

    void walletAmounts()
    {
        QFETCH(qint64, available);
        QFETCH(qint64, held);
        QFETCH(qint64, unit);
        QFETCH(QuorLanguage, language);
        QFETCH(QString, balance);
        QFETCH(QString, dollars);
        QFETCH(QString, heldText);
        ServedCredits credits;
        QVERIFY(credits.started);
        credits.signIn(profileJson(available, held, unit));
        QuorCreditsWalletPopover wallet(credits.store, accent, language);
        QCOMPARE(textOf(wallet, QStringLiteral("credits")), balance);
        QCOMPARE(textOf(wallet, QStringLiteral("dollars")), dollars);
        QCOMPARE(shows(wallet, QStringLiteral("held")), !heldText.isEmpty());
        QCOMPARE(textOf(wallet, QStringLiteral("held")), heldText);
        QVERIFY(!shows(wallet, QStringLiteral("email")));
        QCOMPARE(wallet.width(), QuorCreditsWalletPopover::panelWidth);
    }

    // Signed out, the wallet explains and offers the sign-in; connected, it shows the account. The
    // store's error shows under either, as plain text, until something clears it.
    void walletBodiesFollowTheAccount()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        QuorCreditsWalletPopover wallet(credits.store, accent, QuorLanguage::en);
        wallet.show();
        QUOR_TRY_VERIFY(credits.store.lastSyncedAt().has_value()); // the refresh on showing
        QVERIFY(shows(wallet, QStringLiteral("signedOut")));
        QVERIFY(textOf(wallet, QStringLiteral("explanation")).startsWith(QStringLiteral("Connect your tallowmer.com account once")));
        QVERIFY(wallet.panel()->authBlock() != nullptr);
        QCOMPARE(child<QAbstractButton>(wallet, QStringLiteral("portal"))->text(), QStringLiteral("Manage in Portal ↗"));
        child<QAbstractButton>(wallet, QStringLiteral("topUp"))->click();
        QCOMPARE(credits.opened.last(), QUrl(QStringLiteral("https://tallowmer.com/en/credits")));
        QVERIFY(!shows(wallet, QStringLiteral("errorBox")));

        credits.signIn(profileJson(12'340'000, 0, 10'000, QStringLiteral("<b>ada</b>@example.com")));
        QVERIFY(shows(wallet, QStringLiteral("connected")));
        QVERIFY(wallet.findChild<QWidget*>(QStringLiteral("signedOut")) == nullptr);
        QCOMPARE(textOf(wallet, QStringLiteral("email")), QStringLiteral("<b>ada</b>@example.com"));
        QCOMPARE(child<QLabel>(wallet, QStringLiteral("email"))->textFormat(), Qt::PlainText);
        QVERIFY(wallet.panel()->summaryBlock() != nullptr && wallet.panel()->editorBlock() != nullptr);

        credits.server.route("GET", "/v1/me", QuorTestHttpResponse::text("<i>down</i>", 503));
        child<QAbstractButton>(wallet, QStringLiteral("refreshAccount"))->click();
        QUOR_TRY_VERIFY(shows(wallet, QStringLiteral("errorBox")));
        QCOMPARE(textOf(wallet, QStringLiteral("errorText")), QStringLiteral("HTTP 503: <i>down</i>"));
        QCOMPARE(child<QLabel>(wallet, QStringLiteral("errorText"))->textFormat(), Qt::PlainText);
        QVERIFY(shows(wallet, QStringLiteral("connected"))); // a failed refresh keeps the account shown

        child<QAbstractButton>(wallet, QStringLiteral("signOut"))->click();
        QUOR_TRY_VERIFY(shows(wallet, QStringLiteral("signedOut")));
        QVERIFY(!shows(wallet, QStringLiteral("errorBox")));
        QVERIFY(!credits.store.isSignedIn());
    }

    void refreshControlsRestWhileARefreshRuns()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        credits.signIn(profileJson(5'000'000, 0, 1000));
        QuorCreditsWalletPopover wallet(credits.store, accent, QuorLanguage::en);
        QuorTestHttpResponse slow = QuorTestHttpResponse::json(profileJson(5'000'000, 0, 1000));
        slow.delay = 600ms;
        credits.server.route("GET", "/v1/me", slow);
        auto* icon = child<QAbstractButton>(wallet, QStringLiteral("refresh"));
        QCOMPARE(icon->accessibleName(), QStringLiteral("Refresh"));
        icon->click();
        QVERIFY(credits.store.isRefreshing());
        QVERIFY(!icon->isEnabled());
        QVERIFY(!child<QAbstractButton>(wallet, QStringLiteral("refreshAccount"))->isEnabled());
        QVERIFY(child<QAbstractButton>(wallet, QStringLiteral("topUp"))->isEnabled());
        QVERIFY(child<QAbstractButton>(wallet, QStringLiteral("signOut"))->isEnabled());
        QUOR_TRY_VERIFY(!credits.store.isRefreshing());
        QVERIFY(icon->isEnabled());
        QCOMPARE(credits.server.requests("/v1/me").size(), 2);
    }

    void signInBlockStates()
    {
        using P = QuorCreditsAuthPresentation;
        const QuorDeviceSignInStart code{QStringLiteral("dev"), QStringLiteral("WXYZ"), QStringLiteral("https://portal.example/device"),
                                         QStringLiteral("https://portal.example/device?code=WXYZ"), 600, 5};
        struct Case {
            const char* name;
            bool signedIn, signingIn, pending, reconnect;
            bool choices, connectBusy, buttonsEnabled, status, codeRow;
            const char* statusText;
        };
        const Case cases[] = {
            {"signed out", false, false, false, false, true, false, true, false, false, ""},
            {"browser sign-in", false, true, false, false, true, true, false, true, false, "Complete sign-in in your browser…"},
            {"device code awaited", false, true, false, false, true, true, false, true, false,
             "Complete sign-in in your browser…"},
            {"device code pending", false, true, true, false, true, false, false, true, true,
             "Waiting for device approval in browser…"},
            {"signed in, folded", true, true, true, false, false, false, false, true, true,
             "Waiting for device approval in browser…"},
            {"signed in, unfolded", true, false, false, true, true, false, true, false, false, ""},
        };
        for (const Case& c : cases) {
            P::Inputs in;
            in.isSignedIn = c.signedIn;
            in.isSigningIn = c.signingIn;
            if (c.pending) {
                in.pendingDeviceSignIn = code;
            }
            in.showReconnectOptions = c.reconnect;
            const P p = P::make(in);
            QVERIFY2(p.showsDisclosure == c.signedIn, c.name);
            QVERIFY2(p.showsChoices == c.choices, c.name);
            QVERIFY2(p.connectBusy == c.connectBusy, c.name);
            QVERIFY2(p.connectEnabled == c.buttonsEnabled && p.deviceEnabled == c.buttonsEnabled, c.name);
            QVERIFY2(p.showsStatusRow == c.status, c.name);
            QVERIFY2(p.showsCodeRow == c.codeRow, c.name);
            if (c.status) {
                QCOMPARE(p.statusText, QString::fromUtf8(c.statusText));
            }
        }

        P::Inputs in;
        in.showManualToken = true;
        in.manualTokenInput = QStringLiteral(" \n ");
        P p = P::make(in);
        QVERIFY(p.showsManualRow && p.manualActive && !p.saveEnabled);
        QCOMPARE(p.manualPlaceholder, QStringLiteral("Paste tallowmer.com token…"));
        in.manualTokenInput = QStringLiteral("tok");
        in.language = QuorLanguage::tr;
        p = P::make(in);
        QVERIFY(p.saveEnabled);
        QCOMPARE(p.connectTitle, QStringLiteral("Bağlan (tallowmer.com)"));

        // The Open button opens only web addresses: the complete one, else the plain one.
        QuorDeviceSignInStart start = code;
        QCOMPARE(P::verificationURL(start), QUrl(QStringLiteral("https://portal.example/device?code=WXYZ")));
        start.verificationURIComplete = QStringLiteral("javascript:alert(1)");
        QCOMPARE(P::verificationURL(start), QUrl(QStringLiteral("https://portal.example/device")));
        start.verificationURI = QStringLiteral("file:///etc/passwd");
        QCOMPARE(P::verificationURL(start), std::nullopt);
    }

    // A device code through the block: its code to copy and its page to open, then Cancel.
    void deviceCodeThroughTheBlock()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        credits.store.setDeviceFlowSecond(10ms);
        credits.server.route("POST", "/v1/device/code", deviceCodeAnswer("not an address"));
        credits.server.route("POST", "/v1/device/token", QuorTestHttpResponse::json(R"({"error":"authorization_pending"})", 400));
        QuorCreditsAuthBlock block(credits.store, accent, QuorLanguage::en, false);
        block.show();
        child<QAbstractButton>(block, QStringLiteral("deviceCode"))->click();
        QUOR_TRY_VERIFY(shows(block, QStringLiteral("codeRow")));
        QCOMPARE(textOf(block, QStringLiteral("userCode")), QStringLiteral("WXYZ"));
        QVERIFY(!child<QuorStyledButton>(block, QStringLiteral("connect"))->isBusy());
        QVERIFY(!child<QAbstractButton>(block, QStringLiteral("connect"))->isEnabled());

        child<QAbstractButton>(block, QStringLiteral("copyCode"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("WXYZ"));
        QCOMPARE(child<QAbstractButton>(block, QStringLiteral("copyCode"))->text(), QStringLiteral("Copied"));
        credits.opened.clear();
        child<QAbstractButton>(block, QStringLiteral("openVerification"))->click();
        QCOMPARE(credits.opened, QList<QUrl>{QUrl(QStringLiteral("https://portal.example/device"))});

        child<QAbstractButton>(block, QStringLiteral("cancel"))->click();
        QVERIFY(!shows(block, QStringLiteral("codeRow")));
        QVERIFY(!shows(block, QStringLiteral("statusRow")));
        QVERIFY(child<QAbstractButton>(block, QStringLiteral("connect"))->isEnabled());
        quorSpin(100ms); // the cancelled flow unwinds before its store goes
    }

    // A refused token stays in its row for another try; an accepted one signs in and folds the block.
    void manualTokenThroughTheBlock()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        QuorCreditsAuthBlock block(credits.store, accent, QuorLanguage::en, false);
        block.show();
        child<QAbstractButton>(block, QStringLiteral("manualToken"))->click();
        QVERIFY(shows(block, QStringLiteral("manualRow")));
        auto* field = child<QLineEdit>(block, QStringLiteral("tokenField"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QVERIFY(!child<QAbstractButton>(block, QStringLiteral("saveToken"))->isEnabled());

        credits.server.route("GET", "/v1/me", QuorTestHttpResponse::json(R"({"error":"unauthorized"})", 401));
        field->setText(QStringLiteral(" stale "));
        child<QAbstractButton>(block, QStringLiteral("saveToken"))->click();
        QUOR_TRY_VERIFY(credits.store.lastError().has_value());
        QUOR_TRY_VERIFY(!credits.store.isRefreshing());
        QVERIFY(shows(block, QStringLiteral("manualRow")));
        QCOMPARE(field->text(), QStringLiteral(" stale "));

        credits.server.route("GET", "/v1/me", QuorTestHttpResponse::json(profileJson(5'000'000, 0, 1000)));
        field->setText(QStringLiteral("fresh"));
        child<QAbstractButton>(block, QStringLiteral("saveToken"))->click();
        QUOR_TRY_VERIFY(credits.store.isSignedIn());
        QUOR_TRY_VERIFY(!shows(block, QStringLiteral("manualRow")));
        QCOMPARE(field->text(), QString());
        QCOMPARE(quorAwait(credits.manager.savedToken()), std::optional<QString>(QStringLiteral("fresh")));
        // Signed in, only the row for switching the account is left; it unfolds the choices.
        QVERIFY(shows(block, QStringLiteral("switchAccount")));
        QVERIFY(!child(block, QStringLiteral("connect"))->isVisibleTo(&block));
        child<QAbstractButton>(block, QStringLiteral("switchAccount"))->click();
        QVERIFY(child(block, QStringLiteral("connect"))->isVisibleTo(&block));
    }

    void budgetSummaryRows()
    {
        using P = QuorAppBudgetSummaryPresentation;
        const double inf = std::numeric_limits<double>::infinity();
        const QuorLanguage en = QuorLanguage::en;
        struct Case {
            const char* name;
            double spent;
            std::optional<double> cap, ratio;
            bool exceeded;
            const char* text;
            bool hasCap;
            QColor tint;
        };
        const Case cases[] = {
            {"no cap", 12.5, std::nullopt, std::nullopt, false, "12.5 cr · No cap", false, QuorGlassTokens::success()},
            {"zero cap", 3, 0.0, std::nullopt, false, "3 cr · No cap", false, QuorGlassTokens::success()},
            {"80 %", 40, 50.0, std::nullopt, false, "40 / 50 cr (80%)", true, QuorGlassTokens::warning()},
            {"100 %", 50, 50.0, std::nullopt, false, "50 / 50 cr (100%)", true, QuorGlassTokens::danger()},
            {"nothing spent", 0, 50.0, std::nullopt, false, "0 / 50 cr (0%)", true, QuorGlassTokens::success()},
            {"the service's ratio", 12.5, 100.0, 0.125, false, "12.5 / 100 cr (13%)", true, QuorGlassTokens::success()},
            {"far over", 1250, 100.0, 12.5, true, "1,250 / 100 cr (999%)", true, QuorGlassTokens::danger()},
            {"endless ratio", 1, 100.0, inf, false, "1 / 100 cr (999%)", true, QuorGlassTokens::danger()},
            {"negative ratio", 1, 100.0, -40.0, false, "1 / 100 cr (0%)", true, QuorGlassTokens::success()},
            {"ratio not a number", 1, 100.0, std::nan(""), false, "1 / 100 cr (0%)", true, QuorGlassTokens::success()},
            {"endless cap", 5, inf, std::nullopt, false, "5 cr · No cap", false, QuorGlassTokens::success()},
            {"exceeded below the cap", 10, 100.0, std::nullopt, true, "10 / 100 cr (10%)", true, QuorGlassTokens::success()},
        };
        for (const Case& c : cases) {
            const P::SpendRow row = P::spendRow(QStringLiteral("Today"), c.spent, c.cap, c.ratio, c.exceeded, en);
            QVERIFY2(row.amountText == QString::fromUtf8(c.text), qPrintable(QString::fromLatin1(c.name) + ": " + row.amountText));
            QVERIFY2(row.hasCap == c.hasCap, c.name);
            QVERIFY2(row.tint == c.tint, c.name);
            QVERIFY2(std::isfinite(row.ratio), c.name);
        }

        QuorAppBudgetStatus budget;
        budget.app = QStringLiteral("QuorZub");
        budget.nearLimit = true;
        P p = P::make(QStringLiteral("QuorZub"), budget, {}, en);
        QCOMPARE(p.title, QStringLiteral("QuorZub Spending"));
        QCOMPARE(p.badge->text, QStringLiteral("Near Cap"));
        QCOMPARE(p.rows.size(), 2);
        budget.exceeded = true;
        QCOMPARE(P::make(QStringLiteral("QuorZub"), budget, {}, en).badge->text, QStringLiteral("Cap Reached"));
        p = P::make(QStringLiteral("QuorZub"), std::nullopt, {}, QuorLanguage::tr);
        QVERIFY(!p.badge && p.rows.isEmpty());
        QCOMPARE(*p.noBudgetText, QStringLiteral("QuorZub için henüz harcama limiti tanımlanmadı."));

        // Critical in any letter case is the danger octagon; anything else the warning triangle.
        const QList<QuorBudgetWarning> warnings{{QStringLiteral("d"), QStringLiteral("CRITICAL"), std::nullopt, QStringLiteral("a")},
                                                {QStringLiteral("d"), QStringLiteral("Critical"), std::nullopt, QStringLiteral("b")},
                                                {QStringLiteral("d"), QString(), std::nullopt, QStringLiteral("c")}};
        p = P::make(QStringLiteral("QuorZub"), std::nullopt, warnings, en);
        QCOMPARE(p.warnings.size(), 3);
        QCOMPARE(p.warnings[0].symbol, QStringLiteral("exclamationmark.octagon.fill"));
        QCOMPARE(p.warnings[1].color, QuorGlassTokens::danger());
        QCOMPARE(p.warnings[2].symbol, QStringLiteral("exclamationmark.triangle.fill"));
        QCOMPARE(p.warnings[2].color, QuorGlassTokens::warning());
    }

    void budgetEditorSavesAndClearsCaps()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        const QJsonObject budget{{QStringLiteral("app"), QStringLiteral("QuorZub")},
                                 {QStringLiteral("daily_limit_credits"), 100},
                                 {QStringLiteral("spent_today_credits"), 12.5}};
        credits.signIn(profileJson(5'000'000, 0, 1000, {}, budget));
        QCOMPARE(credits.store.currentAppName(), QStringLiteral("QuorZub"));
        QuorAppBudgetEditorBlock editor(credits.store, QuorLanguage::en);
        editor.show();
        QVERIFY(!shows(editor, QStringLiteral("capsPanel")));
        child<QAbstractButton>(editor, QStringLiteral("editCaps"))->click();
        QVERIFY(shows(editor, QStringLiteral("capsPanel")));
        auto* daily = child<QLineEdit>(editor, QStringLiteral("dailyCap"));
        auto* monthly = child<QLineEdit>(editor, QStringLiteral("monthlyCap"));
        QCOMPARE(daily->text(), QStringLiteral("100"));
        QCOMPARE(monthly->text(), QString());
        QVERIFY(shows(editor, QStringLiteral("clearCaps")));

        // What is not a non-negative number sends nothing.
        monthly->setText(QStringLiteral("-3"));
        child<QAbstractButton>(editor, QStringLiteral("saveCaps"))->click();
        QCOMPARE(textOf(editor, QStringLiteral("message")),
                 QStringLiteral("Enter valid non-negative numbers (or leave blank for unlimited)."));
        QCOMPARE(credits.server.requests("/v1/app-budgets").size(), 0);

        credits.server.route("PUT", "/v1/app-budgets", QuorTestHttpResponse::json("{}"));
        daily->setText(QStringLiteral(" 1 000 "));
        monthly->setText(QStringLiteral("0"));
        child<QAbstractButton>(editor, QStringLiteral("saveCaps"))->click();
        QUOR_TRY_COMPARE(textOf(editor, QStringLiteral("message")), QStringLiteral("App limits updated."));
        const QJsonObject sent = QJsonDocument::fromJson(credits.server.requests("/v1/app-budgets").first().body).object();
        QCOMPARE(sent.value(QStringLiteral("app")).toString(), QStringLiteral("QuorZub"));
        QCOMPARE(sent.value(QStringLiteral("daily_limit_credits")).toDouble(), 1000.0);
        QVERIFY(sent.value(QStringLiteral("monthly_limit_credits")).isNull());

        // A failed save takes the earlier notice away and says nothing itself; the store has the error.
        credits.server.route("PUT", "/v1/app-budgets", QuorTestHttpResponse::text("no", 500));
        child<QAbstractButton>(editor, QStringLiteral("saveCaps"))->click();
        QVERIFY(!shows(editor, QStringLiteral("message")));
        QUOR_TRY_VERIFY(!credits.store.isSavingBudget());
        QVERIFY(!shows(editor, QStringLiteral("message")));
        QVERIFY(credits.store.lastError().has_value());
        QCOMPARE(daily->text(), QStringLiteral(" 1 000 "));

        credits.server.route("DELETE", "/v1/app-budgets/QuorZub", QuorTestHttpResponse::json("{}"));
        credits.server.route("GET", "/v1/me",
                             QuorTestHttpResponse::json(profileJson(5'000'000, 0, 1000, {},
                                                                    QJsonObject{{QStringLiteral("app"), QStringLiteral("QuorZub")}})));
        child<QAbstractButton>(editor, QStringLiteral("clearCaps"))->click();
        QUOR_TRY_COMPARE(textOf(editor, QStringLiteral("message")), QStringLiteral("Caps removed."));
        QCOMPARE(daily->text(), QString());
        // Without a cap there is nothing to clear.
        QVERIFY(!shows(editor, QStringLiteral("clearCaps")));
    }
};

QUOR_TEST_MAIN(TestQuorCreditsViews)
#include "tst_quorcreditsviews.moc"
