#include "CreditsViewsTestSupport.h"

#include "QuorKit/Cloud/QuorAIClient.h"
#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/UI/Credits/QuorAppBudgetEditorBlock.h"
#include "QuorKit/UI/Credits/QuorAppBudgetSummaryPresentation.h"
#include "QuorKit/UI/Credits/QuorCreditsAccountPanel.h"
#include "QuorKit/UI/Credits/QuorCreditsAuthBlock.h"
#include "QuorKit/UI/Credits/QuorCreditsWalletPopover.h"
#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "Support/QuorFakeLauncher.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPointer>
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
                                 << "≈ $12,34" << QString();
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

        credits.server.route("GET", "/v1/me", QuorTestHttpResponse::json(R"({"message":"<i>down</i>"})", 503));
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

    // The e-mail gives way in its middle, and the held credits stand right after it.
    void emailRow()
    {
        for (const QString& email : {QStringLiteral("ada@example.com"),
                                     QStringLiteral("a.rather.long.mailbox.name@a-much-longer-example-domain.example.org")}) {
            ServedCredits credits;
            QVERIFY(credits.started);
            credits.signIn(profileJson(12'340'000, 5'000, 10'000, email));
            QuorCreditsWalletPopover wallet(credits.store, accent, QuorLanguage::en);
            wallet.resize(wallet.sizeHint());
            wallet.show();
            auto* mail = child<QLabel>(wallet, QStringLiteral("email"));
            auto* held = child<QLabel>(wallet, QStringLiteral("held"));
            QTRY_VERIFY(mail->width() > 0 && held->isVisible());
            const QString shown = QuorLabels::shownText(*mail);
            const int textEnd = mail->x() + qCeil(QFontMetricsF(mail->font()).horizontalAdvance(shown));
            // A text shortened to whole letters ends a little short of its label.
            QVERIFY2(held->x() - textEnd <= 24, qPrintable(QStringLiteral("held %1 points after the e-mail").arg(held->x() - textEnd)));
            if (shown != email) {
                QVERIFY2(shown.startsWith(email.left(4)) && shown.endsWith(email.right(4)) && shown.contains(QChar(0x2026)),
                         qPrintable(shown));
            }
        }
    }

    // A store change that replaces the wallet's body (a sign-out) leaves the old body, with the
    // button whose click may have made the change, until that click is over.
    void aReplacedBodyGoesLater()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        credits.signIn(profileJson(5'000'000, 0, 1000));
        QuorCreditsWalletPopover wallet(credits.store, accent, QuorLanguage::en);
        wallet.show();
        const QPointer<QAbstractButton> signOut = child<QAbstractButton>(wallet, QStringLiteral("signOut"));
        std::optional<bool> aliveWhenSignedOut;
        connect(&credits.store, &QuorCreditsAccountStore::changed, &wallet, [&] {
            if (!credits.store.isSignedIn() && !aliveWhenSignedOut) {
                aliveWhenSignedOut = !signOut.isNull() && !signOut->isVisible();
            }
        });
        signOut->click();
        QUOR_TRY_VERIFY(aliveWhenSignedOut.has_value());
        QVERIFY(*aliveWhenSignedOut);
        QVERIFY(shows(wallet, QStringLiteral("signedOut")));
        QTRY_VERIFY(signOut.isNull());
    }

    // A second Space meant for a control that turned busy stays with it: it never reaches a
    // neighbour that signs out or opens the browser, and the focus never leaves on its own.
    void aSecondKeyPressStaysWithItsControl()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        const QJsonObject budget{{QStringLiteral("app"), QStringLiteral("QuorZub")}, {QStringLiteral("daily_limit_credits"), 100}};
        credits.signIn(profileJson(5'000'000, 0, 1000, {}, budget));
        QuorTestHttpResponse slowProfile = QuorTestHttpResponse::json(profileJson(5'000'000, 0, 1000, {}, budget));
        slowProfile.delay = 300ms;
        credits.server.route("GET", "/v1/me", slowProfile);
        QuorTestHttpResponse slowSave = QuorTestHttpResponse::json("{}");
        slowSave.delay = 300ms;
        credits.server.route("PUT", "/v1/app-budgets", slowSave);
        QuorCreditsWalletPopover wallet(credits.store, accent, QuorLanguage::en);
        wallet.show();
        wallet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&wallet));
        wallet.panel()->editorBlock()->toggle();

        const auto pressSpace = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space); };
        for (const QString& name : {QStringLiteral("refresh"), QStringLiteral("refreshAccount"), QStringLiteral("saveCaps")}) {
            auto* control = child<QAbstractButton>(wallet, name);
            control->setFocus(Qt::TabFocusReason);
            pressSpace();
            QVERIFY2(!control->isEnabled(), qPrintable(name));
            pressSpace();
            QVERIFY2(QApplication::focusWidget() == control, qPrintable(name));
            QUOR_TRY_VERIFY(!credits.store.isRefreshing() && !credits.store.isSavingBudget());
            QVERIFY2(QApplication::focusWidget() == control, qPrintable(name));
        }
        QCOMPARE(credits.server.requests("/v1/app-budgets").size(), 1);

        // Signed out, the body is built anew; the focus goes to the refresh control, not to a sign-in.
        child<QAbstractButton>(wallet, QStringLiteral("signOut"))->setFocus(Qt::TabFocusReason);
        pressSpace();
        QUOR_TRY_VERIFY(shows(wallet, QStringLiteral("signedOut")));
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(wallet, QStringLiteral("refresh")));
        pressSpace();
        QCOMPARE(credits.server.requests("/v1/logout").size(), 1);
        QVERIFY(credits.opened.isEmpty());

        // Connect opens the browser once; the second press opens nothing more and starts no other sign-in.
        auto* connectButton = child<QAbstractButton>(wallet, QStringLiteral("connect"));
        connectButton->setFocus(Qt::TabFocusReason);
        pressSpace();
        pressSpace();
        QUOR_TRY_COMPARE(credits.opened.size(), 1);
        QCOMPARE(QApplication::focusWidget(), connectButton);
        QVERIFY(credits.server.requests("/v1/device/code").isEmpty());
        credits.store.cancelPendingSignIn();
        quorSpin(100ms); // the cancelled flow unwinds before its store goes
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
        // Both refresh controls say what they refresh, and a screen reader tells them apart; the
        // button still reads "Refresh".
        QCOMPARE(icon->accessibleName(), QStringLiteral("Refresh balance"));
        QCOMPARE(child<QAbstractButton>(wallet, QStringLiteral("refreshAccount"))->accessibleName(),
                 QStringLiteral("Refresh account"));
        QCOMPARE(child<QAbstractButton>(wallet, QStringLiteral("refreshAccount"))->text(), QStringLiteral("Refresh"));
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
        using Kind = QuorCreditsAccountStore::SignInKind;
        struct Case {
            const char* name;
            bool signedIn, signingIn;
            std::optional<Kind> kind;
            bool pending, reconnect;
            bool choices, connectBusy, deviceBusy, buttonsEnabled, status, codeRow;
            const char* statusText;
        };
        // The waiting shows on the control that was pressed, and the browser is named only once
        // there is something to do in it.
        const Case cases[] = {
            {"signed out", false, false, std::nullopt, false, false, true, false, false, true, false, false, ""},
            {"browser sign-in", false, true, Kind::browser, false, false, true, true, false, false, true, false,
             "Complete sign-in in your browser…"},
            {"device code awaited", false, true, Kind::device, false, false, true, false, true, false, true, false,
             "Requesting a device code…"},
            {"device code pending", false, true, Kind::device, true, false, true, false, false, false, true, true,
             "Waiting for device approval in browser…"},
            {"signed in, folded", true, true, Kind::device, true, false, false, false, false, false, true, true,
             "Waiting for device approval in browser…"},
            {"signed in, unfolded", true, false, std::nullopt, false, true, true, false, false, true, false, false, ""},
        };
        for (const Case& c : cases) {
            P::Inputs in;
            in.isSignedIn = c.signedIn;
            in.isSigningIn = c.signingIn;
            in.signInKind = c.kind;
            if (c.pending) {
                in.pendingDeviceSignIn = code;
            }
            in.showReconnectOptions = c.reconnect;
            const P p = P::make(in);
            QVERIFY2(p.showsDisclosure == c.signedIn, c.name);
            QVERIFY2(p.showsChoices == c.choices, c.name);
            QVERIFY2(p.connectBusy == c.connectBusy, c.name);
            QVERIFY2(p.deviceBusy == c.deviceBusy, c.name);
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
        // Return in the field saves, as Save does.
        QTest::keyClick(field, Qt::Key_Return);
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
        QTest::keyClick(monthly, Qt::Key_Return);
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

        // "Caps removed." is that removal's outcome only: a later failure does not stand beside it.
        credits.server.route("GET", "/v1/me", QuorTestHttpResponse::json(R"({"message":"db down"})", 500));
        quorAwait(credits.store.refresh());
        QVERIFY(credits.store.lastError().has_value());
        QVERIFY(!shows(editor, QStringLiteral("message")));
    }

    // What a person reads for each shape of failed answer, in the wallet (reading the account), the
    // sign-in block (asking for a device code) and the bar's result card (an AI action): a server's
    // own words only from a JSON error, else a sentence with the status; never markup or a parser's
    // detail.
    void errorShapes_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("action");
        const QString unreadable = QStringLiteral("The server's answer could not be read. Please try again later.");
        QTest::newRow("HTML 500") << 500
                                  << QByteArray("<html><body><h1>500 Internal Server Error</h1>upstream exploded</body></html>")
                                  << QStringLiteral("The server answered with an error (HTTP 500).")
                                  << QStringLiteral("The server answered with an error (HTTP 500).");
        QTest::newRow("JSON error with message")
            << 503 << QByteArray(R"({"error":{"message":"Maintenance until 10:00.\n\nTrace: a1b2","code":"maintenance"}})")
            << QStringLiteral("HTTP 503: Maintenance until 10:00.") << QStringLiteral("HTTP 503: Maintenance until 10:00.");
        QTest::newRow("JSON error without message") << 500 << QByteArray(R"({"error":{"status":500}})")
                                                    << QStringLiteral("The server answered with an error (HTTP 500).")
                                                    << QStringLiteral("The server answered with an error (HTTP 500).");
        // Not a raw string: moc reads one holding a lone quote as never ending, and the test slots
        // after it would silently not run.
        QTest::newRow("broken JSON") << 200 << QByteArray("{\"available_micros\": \"unterminated") << unreadable
                                     << QStringLiteral("Provider returned an empty response.");
        QTest::newRow("empty body") << 502 << QByteArray() << QStringLiteral("The server answered with an error (HTTP 502).")
                                    << QStringLiteral("The server answered with an error (HTTP 502).");
        QTest::newRow("8 MiB page") << 500 << ("<html>" + QByteArray(8 * 1024 * 1024 - 4096, 'x') + "</html>")
                                    << QStringLiteral("The server answered with an error (HTTP 500).")
                                    << QStringLiteral("The server answered with an error (HTTP 500).");
    }

    void errorShapes()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, account);
        QFETCH(QString, action);
        const QuorTestHttpResponse answer = QuorTestHttpResponse::text(body, status);

        ServedCredits signedIn;
        QVERIFY(signedIn.started);
        signedIn.server.route("GET", "/v1/me", answer);
        QuorCreditsWalletPopover wallet(signedIn.store, accent, QuorLanguage::en);
        quorAwait(signedIn.manager.saveToken(QStringLiteral("tok")));
        quorAwait(signedIn.store.refresh());
        QCOMPARE(textOf(wallet, QStringLiteral("errorText")), account);

        ServedCredits signingIn;
        QVERIFY(signingIn.started);
        signingIn.server.route("POST", "/v1/device/code", answer);
        QuorCreditsWalletPopover block(signingIn.store, accent, QuorLanguage::en);
        child<QAbstractButton>(block, QStringLiteral("deviceCode"))->click();
        QUOR_TRY_VERIFY(!signingIn.store.isSigningIn());
        QCOMPARE(textOf(block, QStringLiteral("errorText")), account);

        signingIn.server.route("POST", "/api/chat", answer);
        QNetworkAccessManager network;
        const QuorAIClient client(&network, &signingIn.manager);
        QString shown;
        try {
            quorAwait(client.complete(QStringLiteral("s"), QStringLiteral("u"),
                                      QuorAIConfig(QuorAIProvider::ollamaLocal, signingIn.server.url(QStringLiteral("/api/chat")).toString(),
                                                   QStringLiteral("m")),
                                      std::nullopt),
                      std::chrono::seconds(60));
        } catch (const QuorAIClientError& error) {
            shown = error.localizedDescription(QuorLanguage::en);
        }
        QCOMPARE(shown, action);
    }

    // A page the browser could not be given is offered to copy, in the wallet and under the feedback
    // button; Sign Out is busy while the gateway is told.
    void unopenedPagesAreOfferedToCopy()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        credits.manager.setURLOpener([](const QUrl&) { return false; });
        QuorCreditsWalletPopover wallet(credits.store, accent, QuorLanguage::en);
        wallet.show();
        QVERIFY(!shows(wallet, QStringLiteral("unopenedPageNotice")));
        child<QAbstractButton>(wallet, QStringLiteral("topUp"))->click();
        QUOR_TRY_VERIFY(shows(wallet, QStringLiteral("unopenedPageNotice")));
        QCOMPARE(textOf(wallet, QStringLiteral("unopenedAddress")), QStringLiteral("https://tallowmer.com/en/credits"));
        QCOMPARE(child<QLabel>(wallet, QStringLiteral("unopenedAddress"))->textFormat(), Qt::PlainText);
        child<QAbstractButton>(wallet, QStringLiteral("copyAddress"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("https://tallowmer.com/en/credits"));
        QCOMPARE(child<QAbstractButton>(wallet, QStringLiteral("copyAddress"))->text(), QStringLiteral("Copied"));

        credits.server.route("POST", "/v1/logout", QuorTestHttpResponse::json("{}"));
        credits.signIn(profileJson(5'000'000, 0, 1000));
        QVERIFY(!shows(wallet, QStringLiteral("unopenedPageNotice"))); // the next attempt clears it
        credits.server.route("POST", "/v1/logout", [] {
            QuorTestHttpResponse slow = QuorTestHttpResponse::json("{}");
            slow.delay = 400ms;
            return slow;
        }());
        auto* signOut = child<QuorStyledButton>(wallet, QStringLiteral("signOut"));
        signOut->click();
        QVERIFY(signOut->isBusy() && !signOut->isEnabled());
        QUOR_TRY_VERIFY(!credits.store.isSignedIn());

        QuorBrowserHandOff::setDefaultOpener([](const QUrl&) { return false; });
        QuorFeedbackButton feedback(QStringLiteral("QuorZub"), QuorAppVersion{QStringLiteral("1.2.3"), QStringLiteral("7")},
                                    QuorFeedbackKind::bug, QuorLanguage::tr, QuorFeedbackButtonStyle::labeledPill, std::nullopt);
        feedback.show();
        feedback.click();
        QuorBrowserHandOff::setDefaultOpener({});
        // Told once the browser's answer is in.
        QWidget* popup = nullptr;
        QUOR_TRY_VERIFY((popup = feedback.findChild<QWidget*>(QStringLiteral("unopenedPagePopup"))) != nullptr
                        && popup->isVisible());
        QCOMPARE(textOf(*popup, QStringLiteral("unopenedAddress")), feedback.formURL()->toString(QUrl::FullyEncoded));
        QCOMPARE(textOf(*popup, QStringLiteral("unopenedMessage")), QuorBrowserHandOff::failureMessage(QuorLanguage::tr));
        popup->close();
    }

    // The desktop's launcher decides: one that starts but fails leaves the portal's page and the
    // browser sign-in's page to copy, and the sign-in waits on meanwhile.
    void aLauncherThatFailsLeavesThePageToCopy()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        credits.manager.setURLOpener({});
        const QuorFakeLauncher launcher(3);
        QVERIFY(launcher.isReady());
        QuorCreditsWalletPopover wallet(credits.store, accent, QuorLanguage::en);
        wallet.show();
        child<QAbstractButton>(wallet, QStringLiteral("topUp"))->click();
        QUOR_TRY_VERIFY(shows(wallet, QStringLiteral("unopenedPageNotice")));
        QCOMPARE(launcher.addresses(), QStringList{QStringLiteral("https://tallowmer.com/en/credits")});
        QCOMPARE(textOf(wallet, QStringLiteral("unopenedAddress")), launcher.addresses().last());

        child<QAbstractButton>(wallet, QStringLiteral("connect"))->click();
        QVERIFY(!shows(wallet, QStringLiteral("unopenedPageNotice")));
        QUOR_TRY_VERIFY(shows(wallet, QStringLiteral("unopenedPageNotice")));
        QCOMPARE(launcher.addresses().size(), 2);
        QVERIFY(launcher.addresses().last().startsWith(QStringLiteral("https://tallowmer.com/baglan?")));
        QCOMPARE(textOf(wallet, QStringLiteral("unopenedAddress")), launcher.addresses().last());
        QVERIFY(credits.store.isSigningIn());
        credits.store.cancelPendingSignIn();
        QVERIFY(!shows(wallet, QStringLiteral("unopenedPageNotice")));
    }
};

QUOR_TEST_MAIN(TestQuorCreditsViews)
#include "tst_quorcreditsviews.moc"
