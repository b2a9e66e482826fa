#include "QuorKit/Cloud/QuorCreditAccountProfile.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Cloud/QuorCreditsError.h"
#include "QuorKit/Cloud/QuorDeviceSignInStart.h"
#include "QuorKit/Cloud/QuorGatewayAIModelsResponse.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "Support/QuorTestSupport.h"

#include <QtTest>

#include <limits>

namespace {
QuorCreditAccountProfile decode(const QByteArray& json)
{
    return QuorCreditAccountProfile::fromJson(QuorJson::parseObject(json));
}
} // namespace

class TestQuorCreditsModel : public QObject {
    Q_OBJECT
private slots:
    void emptyProfileTakesEveryDefault()
    {
        const QuorCreditAccountProfile profile = decode("{}");
        QCOMPARE(profile.balanceMicros, 0);
        QCOMPARE(profile.creditUnitMicros, 1000);
        QVERIFY(!profile.lowBalance);
        QCOMPARE(profile.portalUrl, QuorCreditsAccountManager::defaultPortalURL);
        QVERIFY(!profile.userId && !profile.appBudgets && !profile.currentAppBudget && !profile.budgetWarnings);
        QCOMPARE(decode(QuorJson::compact(profile.toJson())), profile);
    }

    void balanceDefaultsToHeldPlusAvailableAndUnitIsAtLeastOne()
    {
        QuorCreditAccountProfile profile = decode(R"({"available_micros":1500000,"held_micros":500000})");
        QCOMPARE(profile.balanceMicros, 2'000'000);
        profile = decode(R"({"available_micros":1500000,"held_micros":500000,"credit_unit_micros":0,"low_balance":true})");
        QCOMPARE(profile.creditUnitMicros, 1);
        QCOMPARE(profile.creditsAvailable(), 1'500'000.0);
        QVERIFY(profile.lowBalance); // the gateway's flag is kept, never recomputed on decoding
        QCOMPARE(decode(R"({"credit_unit_micros":-7})").creditUnitMicros, 1);
    }

    void malformedProfilesFailToDecode()
    {
        // A present member of the wrong type, one bad list element, and a sum outside 64 bits.
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, decode(R"({"available_micros":"12"})"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, decode(R"({"available_micros":1.5})"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, decode(R"({"app_budgets":[{"app":"A"},{"daily_limit_credits":1}]})"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, decode(R"({"budget_warnings":[{"kind":"k","severity":"s"}]})"));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError,
                                 decode(R"({"available_micros":9223372036854775807,"held_micros":1})"));
        // A balance given explicitly is taken as it is, even beside extreme parts.
        QCOMPARE(decode(R"({"available_micros":9223372036854775807,"held_micros":1,"balance_micros":5})").balanceMicros, 5);
        // Null is the same as missing.
        QCOMPARE(decode(R"({"available_micros":null,"email":null})"), decode("{}"));
    }

    void budgetRatiosAndLimits()
    {
        auto budget = QuorAppBudgetStatus::fromJson(QuorJson::parseObject(
            R"({"app":"QuorZub","daily_limit_credits":50,"spent_today_credits":10})"));
        QCOMPARE(budget.effectiveDailyRatio(), std::optional<double>(0.2));
        QVERIFY(!budget.effectiveMonthlyRatio());
        QVERIFY(budget.hasAnyLimit());
        budget.dailyRatio = 0.9;
        QCOMPARE(budget.effectiveDailyRatio(), std::optional<double>(0.9));
        budget = QuorAppBudgetStatus::fromJson(QuorJson::parseObject(R"({"app":"A","daily_limit_credits":0})"));
        QVERIFY(!budget.effectiveDailyRatio());
        QVERIFY(!budget.hasAnyLimit());
        QVERIFY(!budget.nearLimit && !budget.exceeded);
        QCOMPARE(budget.spentMonthCredits, 0.0);
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorAppBudgetStatus::fromJson(QuorJson::parseObject("{}")));
    }

    void warningIdentityAndSeverity()
    {
        const auto withEmptyApp = QuorBudgetWarning::fromJson(
            QuorJson::parseObject(R"({"kind":"daily","severity":"CRITICAL","app":"","message":"m"})"));
        const auto withoutApp =
            QuorBudgetWarning::fromJson(QuorJson::parseObject(R"({"kind":"daily","severity":"warn","message":"m"})"));
        QCOMPARE(withEmptyApp.id(), QStringLiteral("daily|CRITICAL||m"));
        QCOMPARE(withoutApp.id(), QStringLiteral("daily|warn||m"));
        QVERIFY(withEmptyApp.isCritical());
        QVERIFY(!withoutApp.isCritical());
    }

    void balanceUpdates()
    {
        QuorCreditAccountProfile profile;
        profile.heldMicros = 100;
        QuorCreditAccountProfile updated = profile.updatingBalance(2.5, 999);
        QCOMPARE(updated.availableMicros, 2'500'000); // dollars win over credits
        QCOMPARE(updated.balanceMicros, 2'500'100);
        QVERIFY(!updated.lowBalance);

        updated = profile.updatingBalance(-1, std::nullopt);
        QCOMPARE(updated.availableMicros, 0);
        QVERIFY(updated.lowBalance);

        QuorCreditAccountProfile unitOfOne;
        unitOfOne.creditUnitMicros = 1;
        QCOMPARE(unitOfOne.updatingBalance(std::nullopt, 2.5).availableMicros, 3); // halves away from zero
        QVERIFY(profile.updatingBalance(1.999999, std::nullopt).lowBalance);
        QVERIFY(!profile.updatingBalance(2.0, std::nullopt).lowBalance);
        profile.lowBalanceThresholdCredits = 10;
        QVERIFY(profile.updatingBalance(std::nullopt, 9.5).lowBalance);
        QVERIFY(!profile.updatingBalance(0.01, std::nullopt).lowBalance);

        // Nothing usable: the profile comes back as it was, its credit unit included.
        profile.creditUnitMicros = 0;
        QCOMPARE(profile.updatingBalance(qQNaN(), qInf()), profile);
        QCOMPARE(profile.updatingBalance(std::nullopt, 3).creditUnitMicros, 1);
    }

    void balanceUpdatesSaturateInsteadOfOverflowing()
    {
        constexpr qint64 largest = std::numeric_limits<qint64>::max();
        QuorCreditAccountProfile profile;
        profile.heldMicros = 5;
        QuorCreditAccountProfile updated = profile.updatingBalance(1e300, std::nullopt);
        QCOMPARE(updated.availableMicros, largest);
        QCOMPARE(updated.balanceMicros, largest);
        // Credits times the unit can overflow a double to infinity.
        profile.creditUnitMicros = largest;
        updated = profile.updatingBalance(std::nullopt, 1e300);
        QCOMPARE(updated.availableMicros, largest);
        // A negative hold keeps the sum in range in the other direction.
        profile.heldMicros = std::numeric_limits<qint64>::min();
        updated = profile.updatingBalance(1, std::nullopt);
        QCOMPARE(updated.balanceMicros, 1'000'000 + std::numeric_limits<qint64>::min());
        QCOMPARE(QuorCreditAccountProfile::nonNegativeMicros(9223372036854775807.0), largest);
        QCOMPARE(QuorCreditAccountProfile::nonNegativeMicros(qQNaN()), 0);
        QCOMPARE(QuorCreditAccountProfile::nonNegativeMicros(-qInf()), 0);
    }

    void deviceStartAndModelsNeedEveryMember()
    {
        const QByteArray start = R"({"device_code":"D","user_code":"U-1","verification_uri":"https:\/\/x/v",)"
                                 R"("verification_uri_complete":"https:\/\/x/v?c=U-1","expires_in":600,"interval":5})";
        const auto decoded = QuorDeviceSignInStart::fromJson(QuorJson::parseObject(start));
        QCOMPARE(decoded.userCode, QStringLiteral("U-1"));
        QCOMPARE(decoded.interval, 5);
        QCOMPARE(QuorDeviceSignInStart::fromJson(decoded.toJson()), decoded);
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorDeviceSignInStart::fromJson(QuorJson::parseObject(
                                                        R"({"device_code":"D","user_code":"U","verification_uri":"v",)"
                                                        R"("verification_uri_complete":"c","expires_in":600})")));
        QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorGatewayAIModelsResponse::fromJson(QuorJson::parseObject(
                                                        R"({"credit_unit_micros":1000,"providers":[],"aliases":[1]})")));
    }

    void errorTexts()
    {
        QCOMPARE(QuorCreditsError::serverError(502, QStringLiteral("Bad gateway")).errorDescription(QuorLanguage::tr),
                 QStringLiteral("HTTP 502: Bad gateway"));
        QCOMPARE(QuorCreditsError::signInCancelled().errorDescription(QuorLanguage::tr),
                 QStringLiteral("Hesap bağlantısı iptal edildi."));
        QCOMPARE(QuorCreditsError::notSignedIn().errorDescription(QuorLanguage::en),
                 QStringLiteral("Connect your tallowmer.com account first to use Tallowmer Credits."));
        QCOMPARE(QuorCreditsError::unauthorized().errorDescription(QuorLanguage::tr),
                 QStringLiteral("Tallowmer oturumunuzun süresi doldu. Lütfen tallowmer.com hesabınızı yeniden bağlayın."));
        QCOMPARE(QuorCreditsError::signInFailed(QStringLiteral("No")).errorDescription(QuorLanguage::tr), QStringLiteral("No"));
        QVERIFY(QuorCreditsError::insufficientCredits(5).errorDescription(QuorLanguage::en).contains(QStringLiteral("tallowmer.com")));

        // An answer that is not JSON reads as a sentence in the interface language; the parser's
        // words go only to the log.
        const QuorDecodingError broken(QStringLiteral("unterminated string at offset 19"));
        QuorLanguages::setCurrent(QuorLanguage::tr);
        QCOMPARE(QuorCreditsError::describe(broken), QStringLiteral("Sunucunun yanıtı okunamadı. Lütfen daha sonra yeniden deneyin."));
        QuorLanguages::setCurrent(QuorLanguage::en);
        QVERIFY(!localizedDescription(broken).contains(QStringLiteral("offset")));
        QVERIFY(QByteArray(broken.what()).contains("unterminated string at offset 19"));
        QCOMPARE(QuorCreditsError::serverAnswer(500, "<html>x</html>").errorDescription(QuorLanguage::tr),
                 QStringLiteral("Sunucu bir hatayla yanıt verdi (HTTP 500)."));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorCreditsModel)
#include "tst_quorcreditsmodel.moc"
