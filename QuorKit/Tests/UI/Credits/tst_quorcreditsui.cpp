#include "CreditsViewsTestSupport.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorToolTips.h"
#include "QuorKit/UI/Credits/QuorCompactProgressBar.h"
#include "QuorKit/UI/Credits/QuorCreditsHeaderPill.h"
#include "QuorKit/UI/Credits/QuorCreditsUIFormatter.h"
#include "QuorKit/UI/Credits/QuorCreditsWalletPopover.h"
#include "QuorKit/UI/Credits/QuorLanguageAwareUIState.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace std::chrono_literals;
using namespace QuorCreditsUIFormatter;

namespace {
QuorCreditAccountProfile profile(qint64 available, qint64 unit = 10000, bool lowBalance = false)
{
    QuorCreditAccountProfile p;
    p.availableMicros = available;
    p.creditUnitMicros = unit;
    p.lowBalance = lowBalance;
    p.email = QStringLiteral("ada@example.com");
    return p;
}

QuorBudgetWarning warning(const QString& message)
{
    return {QStringLiteral("daily"), QStringLiteral("warning"), std::nullopt, message};
}

QColor alpha(QColor color, double a)
{
    color.setAlphaF(static_cast<float>(a));
    return color;
}
} // namespace

class TestQuorCreditsUI : public QObject {
    Q_OBJECT
private slots:
    void init() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void creditAmounts()
    {
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(formatCredits(1234.56, QuorLanguage::en), QStringLiteral("1,235"));
        QCOMPARE(formatCredits(1250, QuorLanguage::tr), QStringLiteral("1.250"));
        QCOMPARE(formatCredits(12.5, QuorLanguage::tr), QStringLiteral("12,5"));
        QCOMPARE(formatCredits(7.25, QuorLanguage::en), QStringLiteral("7.25"));
        QCOMPARE(formatCredits(3.001, QuorLanguage::en), QStringLiteral("3"));
        QCOMPARE(formatCredits(99.998, QuorLanguage::en), QStringLiteral("100"));
        QCOMPARE(formatCredits(0.1, QuorLanguage::en), QStringLiteral("0.1"));
        QCOMPARE(formatCredits(-5, QuorLanguage::en), QStringLiteral("0"));
        QCOMPARE(formatCredits(inf, QuorLanguage::en), QStringLiteral("0"));
        QCOMPARE(formatCredits(std::nan(""), QuorLanguage::de), QStringLiteral("0"));
        QCOMPARE(formatCredits(1e15, QuorLanguage::en), QStringLiteral("1,000,000,000,000,000"));
        QCOMPARE(formatCredits(2.5, QuorLanguage::ptBR), QStringLiteral("2,5"));
        // Dollars keep two decimals and follow the same language's marks.
        QCOMPARE(dollars(12.34, QuorLanguage::en), QStringLiteral("$12.34"));
        QCOMPARE(dollars(1234.5, QuorLanguage::tr), QStringLiteral("$1.234,50"));
        QCOMPARE(dollars(-3, QuorLanguage::tr), QStringLiteral("$0,00"));
        QCOMPARE(dollars(std::nan(""), QuorLanguage::en), QStringLiteral("$0.00"));
    }

    void contextWindowsAndSizes()
    {
        QCOMPARE(formatContextWindow(0), QString());
        QCOMPARE(formatContextWindow(-4), QString());
        QCOMPARE(formatContextWindow(512), QStringLiteral("512 ctx"));
        QCOMPARE(formatContextWindow(1500), QStringLiteral("1K ctx"));
        QCOMPARE(formatContextWindow(999999), QStringLiteral("999K ctx"));
        QCOMPARE(formatContextWindow(1000000), QStringLiteral("1M ctx"));
        QCOMPARE(formatContextWindow(1500000), QStringLiteral("1.5M ctx"));
        QCOMPARE(formatContextWindow(1960000), QStringLiteral("2M ctx"));
        QCOMPARE(formatBytes(0), QString());
        QCOMPARE(formatBytes(1073741823), QStringLiteral("1024 MB"));
        QCOMPARE(formatBytes(1073741824), QStringLiteral("1.0 GB"));
        QCOMPARE(formatBytes(std::numeric_limits<qint64>::max()), QStringLiteral("8589934592.0 GB"));
    }

    void budgetCapFields()
    {
        QCOMPARE(parseLimitInput(QStringLiteral("   ")), (LimitInput{true, std::nullopt}));
        QCOMPARE(parseLimitInput(QStringLiteral("0")), (LimitInput{true, std::nullopt}));
        QCOMPARE(parseLimitInput(QStringLiteral("0,0")), (LimitInput{true, std::nullopt}));
        QCOMPARE(parseLimitInput(QStringLiteral("12,5")), (LimitInput{true, 12.5}));
        QCOMPARE(parseLimitInput(QStringLiteral(" 1 000 ")), (LimitInput{true, 1000.0}));
        for (const char* bad : {"-3", "abc", "inf", "nan", "1.2.3", "12,5,1"}) {
            QCOMPARE(parseLimitInput(QString::fromLatin1(bad)), (LimitInput{false, std::nullopt}));
        }
        QCOMPARE(editableNumberText(std::nullopt), QString());
        QCOMPARE(editableNumberText(0.0), QString());
        QCOMPARE(editableNumberText(-1.0), QString());
        QCOMPARE(editableNumberText(std::nan("")), QString());
        QCOMPARE(editableNumberText(250.0), QStringLiteral("250"));
        QCOMPARE(editableNumberText(99.998), QStringLiteral("100"));
        QCOMPARE(editableNumberText(0.5), QStringLiteral("0.50"));
        // Beyond the 64-bit range a whole number still writes out.
        QCOMPARE(editableNumberText(1e20), QStringLiteral("100000000000000000000"));
    }

    void progressBarFill()
    {
        QCOMPARE(QuorCompactProgressBar::fillWidth(0, 300), 0.0);
        QCOMPARE(QuorCompactProgressBar::fillWidth(0.001, 300), 4.0);
        QCOMPARE(QuorCompactProgressBar::fillWidth(0.5, 300), 150.0);
        QCOMPARE(QuorCompactProgressBar::fillWidth(1.7, 300), 300.0);
        QCOMPARE(QuorCompactProgressBar::fillWidth(-0.2, 300), 0.0);
        QCOMPARE(QuorCompactProgressBar::fillWidth(std::nan(""), 300), 0.0);
        QuorCompactProgressBar bar(0.3, Qt::red);
        QCOMPARE(bar.height(), 5);
    }

    void languageChangesRaiseTheRevisionLater()
    {
        auto state = std::make_unique<QuorLanguageAwareUIState>();
        QSignalSpy bumped(state.get(), &QuorLanguageAwareUIState::languageRevisionChanged);
        QuorLanguages::setCurrent(QuorLanguage::tr);
        // Not during the announcement itself: a turn later.
        QCOMPARE(state->languageRevision(), 0);
        QuorLanguages::setCurrent(QuorLanguage::de);
        QUOR_TRY_COMPARE(state->languageRevision(), 2);
        QCOMPARE(bumped.count(), 2);

        // A state gone before its turn comes is simply skipped.
        QuorLanguages::setCurrent(QuorLanguage::en);
        state.reset();
        QCoreApplication::processEvents();
    }

    void pillLooks()
    {
        using Pill = QuorCreditsHeaderPill;
        const QString host = Pill::portalHost();
        QCOMPARE(host, QStringLiteral("tallowmer.com"));

        Pill::Look look = Pill::look(false, std::nullopt, QuorCreditsHealthStatus::disconnected, {}, QuorLanguage::en);
        QCOMPARE(look.label, QStringLiteral("Credits"));
        QCOMPARE(look.dotColor, QuorGlassTokens::textMuted());
        QCOMPARE(look.borderColor, QuorGlassTokens::borderSubtle());
        QVERIFY(!look.showsTriangle);
        QCOMPARE(look.tooltip, QStringLiteral("Connect your tallowmer.com shared credits wallet"));
        look = Pill::look(false, std::nullopt, QuorCreditsHealthStatus::disconnected, {}, QuorLanguage::tr);
        QCOMPARE(look.label, QStringLiteral("Kredi"));
        QCOMPARE(look.tooltip, QStringLiteral("tallowmer.com ortak kredi cüzdanınızı bağlayın"));

        // Signed in before the profile has come: still the disconnected face.
        look = Pill::look(true, std::nullopt, QuorCreditsHealthStatus::disconnected, {}, QuorLanguage::en);
        QCOMPARE(look.label, QStringLiteral("Credits"));
        QVERIFY(!look.showsTriangle);

        look = Pill::look(true, profile(12'500'000), QuorCreditsHealthStatus::healthy, {}, QuorLanguage::en);
        QCOMPARE(look.label, QStringLiteral("1,250 cr"));
        QCOMPARE(look.dotColor, QuorGlassTokens::success());
        QCOMPARE(look.tooltip, QStringLiteral("1,250 cr · ada@example.com"));
        QCOMPARE(Pill::look(true, profile(12'500'000), QuorCreditsHealthStatus::healthy, {}, QuorLanguage::tr).label,
                 QStringLiteral("1.250 kr"));

        for (const qint64 unit : {0, 1, -5}) {
            QCOMPARE(Pill::amountText(profile(42, unit), QuorLanguage::en), QStringLiteral("42 cr"));
        }

        QuorCreditAccountProfile noEmail = profile(12'500'000);
        noEmail.email = std::nullopt;
        const QList<QuorBudgetWarning> warnings{warning("Daily cap nearly used"), warning("Second"), warning("Third")};
        look = Pill::look(true, noEmail, QuorCreditsHealthStatus::warning, warnings, QuorLanguage::en);
        QCOMPARE(look.tooltip, QStringLiteral("1,250 cr · tallowmer.com — Daily cap nearly used"));
        QVERIFY(look.showsTriangle);
        QCOMPARE(look.triangleColor, QuorGlassTokens::warning());
        QCOMPARE(look.borderColor, alpha(QuorGlassTokens::warning(), 0.55));

        look = Pill::look(true, profile(-3), QuorCreditsHealthStatus::critical, {}, QuorLanguage::en);
        QCOMPARE(look.label, QStringLiteral("0 cr"));
        QCOMPARE(look.dotColor, QuorGlassTokens::danger());
        QCOMPARE(look.borderColor, alpha(QuorGlassTokens::danger(), 0.65));
        QCOMPARE(look.triangleColor, QuorGlassTokens::danger());
        QVERIFY(look.showsTriangle);

        // A low balance alone raises the triangle in the warning colour.
        look = Pill::look(true, profile(9'000'000, 10000, true), QuorCreditsHealthStatus::warning, {}, QuorLanguage::en);
        QVERIFY(look.showsTriangle);
        QCOMPARE(look.triangleColor, QuorGlassTokens::warning());
    }

    void pillFollowsTheStoreAndTheLanguage()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        QuorTestHttpServer& server = credits.server;
        QuorCreditsAccountManager& manager = credits.manager;
        QuorCreditsAccountStore& store = credits.store;
        server.route("GET", "/v1/me",
                     QuorTestHttpResponse::json(R"({"email":"ada@example.com","available_micros":12500000,)"
                                                R"("held_micros":0,"credit_unit_micros":10000})"));

        QuorCreditsHeaderPill pill(store, QColor(0xF4, 0x72, 0xD0), std::nullopt);
        QCOMPARE(pill.currentLook().label, QStringLiteral("Credits"));
        // Coming on screen asks the store to refresh; without a token nothing is fetched.
        pill.show();
        QUOR_TRY_VERIFY(store.lastSyncedAt().has_value());
        QCOMPARE(server.requestCount(), 0);

        quorAwait(manager.saveToken(QStringLiteral("tok")));
        quorAwait(store.refresh());
        QVERIFY(store.isSignedIn());
        QCOMPARE(pill.accessibleName(), QStringLiteral("1,250 cr"));
        QCOMPARE(pill.toolTip(), QStringLiteral("1,250 cr · ada@example.com"));

        QuorLanguages::setCurrent(QuorLanguage::tr);
        QUOR_TRY_COMPARE(pill.accessibleName(), QStringLiteral("1.250 kr"));
        // An override holds whatever the interface language does.
        QuorCreditsHeaderPill english(store, Qt::white, QuorLanguage::en);
        QCOMPARE(english.currentLook().label, QStringLiteral("1,250 cr"));
        QuorLanguages::setCurrent(QuorLanguage::de);
        QCoreApplication::processEvents();
        QCOMPARE(english.currentLook().label, QStringLiteral("1,250 cr"));
    }

    // The e-mail and warning come from the server: markup in them is shown, never rendered.
    void pillTooltipShowsServerTextLiterally()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        credits.server.route("GET", "/v1/me",
                             QuorTestHttpResponse::json(
                                 R"({"email":"<b>ada</b>@example.com","available_micros":12500000,"held_micros":0,)"
                                 R"("credit_unit_micros":10000,"budget_warnings":[{"kind":"daily",)"
                                 R"("severity":"warning","message":"<img src='x.png'> cap & more"}]})"));
        quorAwait(credits.manager.saveToken(QStringLiteral("tok")));
        quorAwait(credits.store.refresh());
        QVERIFY(credits.store.isSignedIn());

        QuorCreditsHeaderPill pill(credits.store, Qt::white, QuorLanguage::en);
        const QString shown = QStringLiteral("1,250 cr · <b>ada</b>@example.com — <img src='x.png'> cap & more");
        QCOMPARE(pill.currentLook().tooltip, shown);
        // Read the way the tooltip label reads it: as HTML when it looks like HTML.
        const QString tip = pill.toolTip();
        QTextDocument document;
        if (Qt::mightBeRichText(tip)) {
            document.setHtml(tip);
        } else {
            document.setPlainText(tip);
        }
        QCOMPARE(document.toPlainText(), shown);

        // Text without markup stays exactly as it was.
        QCOMPARE(QuorToolTips::plain(QStringLiteral("1,250 cr · ada@example.com")),
                 QStringLiteral("1,250 cr · ada@example.com"));
    }

    // A signed-in user whose gateway stalls at start sees the warning look, not the signed-out one,
    // and the balance comes back by the pill's own retries, without opening the wallet.
    void pillWithAStalledGatewayAtStart()
    {
        ServedCredits credits;
        QVERIFY(credits.started);
        credits.manager.setAnswerTimeout(300ms);
        QuorTestHttpResponse stalled =
            QuorTestHttpResponse::json(R"({"available_micros":12500000,"held_micros":0,"credit_unit_micros":10000})");
        stalled.delay = 1500ms;
        credits.server.route("GET", "/v1/me", stalled);
        quorAwait(credits.manager.saveToken(QStringLiteral("tok")));

        QuorCreditsHeaderPill pill(credits.store, Qt::white, QuorLanguage::en);
        pill.setRetryInterval(200ms);
        pill.show();
        QUOR_TRY_VERIFY(credits.store.isBalanceUnreadable());
        const QuorCreditsHeaderPill::Look look = pill.currentLook();
        QCOMPARE(look.label, QStringLiteral("Credits"));
        QCOMPARE(look.dotColor, QuorGlassTokens::warning());
        QVERIFY(look.showsTriangle);
        QVERIFY(look.tooltip.startsWith(QStringLiteral("Your credits balance could not be read.")));
        QCOMPARE(credits.store.lastError(), std::optional<QString>(QStringLiteral("The request timed out.")));
        QVERIFY(pill.isRetrying() || credits.store.isRefreshing());

        stalled.delay = 0ms;
        credits.server.route("GET", "/v1/me", stalled);
        QUOR_TRY_COMPARE(pill.accessibleName(), QStringLiteral("1,250 cr"));
        QVERIFY(pill.popover() == nullptr);
        QVERIFY(!pill.isRetrying());
        QCOMPARE(pill.currentLook().dotColor, QuorGlassTokens::success());
        QUOR_TRY_VERIFY(!credits.store.isRefreshing()); // its provider list too, before the store goes
    }

    // A click, Space or Return opens the wallet below the pill; Escape or a second click closes it.
    void thePillOpensTheWallet()
    {
        QTemporaryDir folder;
        QuorCreditsAccountManager manager(folder.path(), std::nullopt, QStringLiteral("http://127.0.0.1:9"));
        QuorCreditsAccountStore store(manager);
        QuorCreditsHeaderPill pill(store, Qt::white, QuorLanguage::tr);
        pill.resize(pill.sizeHint());
        pill.show();
        QCOMPARE(pill.focusPolicy(), Qt::StrongFocus);

        pill.click();
        QVERIFY(pill.uiState()->isPopoverPresented());
        QVERIFY(pill.popover() != nullptr && pill.popover()->isVisible());
        QCOMPARE(pill.wallet()->displayLanguage(), QuorLanguage::tr);
        // A window of its own that screen readers list by its title, with the focus on its first control.
        QVERIFY(pill.popover()->windowType() != Qt::Popup);
        QCOMPARE(pill.popover()->windowTitle(), QStringLiteral("Tallowmer Kredisi"));
        QVERIFY(QTest::qWaitForWindowActive(pill.popover()));
        QTRY_VERIFY(QApplication::focusWidget() != nullptr && pill.wallet()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(pill.wallet(), Qt::Key_Escape);
        QUOR_TRY_COMPARE(pill.popover(), nullptr);
        QVERIFY(!pill.uiState()->isPopoverPresented());

        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
            QTest::keyClick(&pill, key);
            QVERIFY(pill.popover() != nullptr);
            pill.togglePopover();
            QUOR_TRY_COMPARE(pill.popover(), nullptr);
        }
    }
};

QUOR_TEST_MAIN(TestQuorCreditsUI)
#include "tst_quorcreditsui.moc"
