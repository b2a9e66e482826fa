#include "AICardTestSupport.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/UI/AI/QuorAIUnifiedSettingsCard.h"
#include "QuorKit/UI/Credits/QuorCreditsAccountPanel.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorPlatform/Core/QuorError.h"
#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QUuid>
#include <QtTest>

using namespace ai_card_test;
using namespace std::chrono_literals;
using P = QuorAIProviderSectionPresentation;

namespace {
QString freshAccount()
{
    return QStringLiteral("ai-api-key-openAI-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QCoro::Task<QuorAPIKeyOutcome> refuseAfter(std::chrono::milliseconds delay, QString reason)
{
    co_await quorSleep(delay, QuorCancellationToken());
    co_return QuorAPIKeyOutcome::failed(reason);
}

QCoro::Task<QuorAPIKeyOutcome> throwing()
{
    throw QuorError(QStringLiteral("Keyring <b>locked</b>"), QStringLiteral("Anahtarlık <b>kilitli</b>"));
    co_return QuorAPIKeyOutcome::done();
}

P::Inputs inputs(QuorAIProvider provider, QuorLanguage language = QuorLanguage::en)
{
    P::Inputs in;
    in.provider = provider;
    in.accent = accent;
    in.language = language;
    return in;
}

QAbstractButton* button(const QWidget& card, const QString& name)
{
    return card.findChild<QAbstractButton*>(name);
}

QLabel* feedbackLabel(const QWidget& card)
{
    return card.findChild<QLabel*>(QStringLiteral("apiKeyFeedback"));
}

QuorAIUnifiedSettingsCard::SaveAPIKey neverSaves()
{
    return [](QString) -> QCoro::Task<QuorAPIKeyOutcome> { return refuseAfter(0ms, QStringLiteral("unused")); };
}
} // namespace

class TestQuorAIUnifiedSettingsCard : public QObject {
    Q_OBJECT
private slots:
    void init() { QuorLanguages::setCurrent(QuorLanguage::en); }

    void tilesAndTheBlockUnderThemFollowTheProvider()
    {
        P p = P::make(inputs(QuorAIProvider::ollamaLocal));
        QCOMPARE(p.headerTitle, QStringLiteral("AI Provider"));
        QCOMPARE(p.block, P::Block::none);
        QVERIFY(!p.showsConnectButton);
        QCOMPARE(p.tiles.size(), 3);
        QCOMPARE(p.tiles[0].title, QStringLiteral("Local Ollama"));
        QVERIFY(p.tiles[0].isSelected && !p.tiles[1].isSelected && !p.tiles[2].isSelected);
        QCOMPARE(p.tiles[2].subtitle, QStringLiteral("tallowmer.com"));

        // The key block: no saved key means no Clear, no "Saved securely", the bare placeholder.
        P::Inputs in = inputs(QuorAIProvider::openAI);
        in.canClearKey = true;
        in.apiKeyInput = QStringLiteral(" \n\t");
        p = P::make(in);
        QCOMPARE(p.block, P::Block::apiKey);
        QCOMPARE(p.keyHeading, QStringLiteral("API Key (system keyring)"));
        QVERIFY(!p.showsSavedLabel);
        QVERIFY(!p.showsClearButton);
        QCOMPARE(p.keyPlaceholder, QStringLiteral("sk-…"));
        QVERIFY(!p.saveEnabled);
        QVERIFY(!p.showsFeedback);

        in.hasSavedAPIKey = true;
        in.apiKeyInput = QStringLiteral("sk-x");
        in.feedback = QuorAPIKeyFeedback{QStringLiteral("API key saved."), false};
        p = P::make(in);
        QVERIFY(p.showsSavedLabel && p.showsClearButton && p.saveEnabled && p.clearEnabled);
        QCOMPARE(p.keyPlaceholder, QStringLiteral("Saved in the system keyring — enter a new key to replace…"));
        QCOMPARE(p.feedbackColor, QuorGlassTokens::success());
        // While the keyring works, neither button takes a second request.
        in.isWorkingOnKey = true;
        in.feedback = QuorAPIKeyFeedback{QStringLiteral("refused"), true};
        p = P::make(in);
        QVERIFY(!p.saveEnabled && !p.clearEnabled);
        QCOMPARE(p.feedbackColor, QuorGlassTokens::danger());
        // Without the application's removal there is nothing to clear with.
        in.canClearKey = false;
        QVERIFY(!P::make(in).showsClearButton);

        in = inputs(QuorAIProvider::tallowmerCredits, QuorLanguage::tr);
        in.canConnect = true;
        p = P::make(in);
        QCOMPARE(p.block, P::Block::creditsNote);
        QVERIFY(p.showsConnectButton);
        QCOMPARE(p.connectTitle, QStringLiteral("Tolvane Bağla"));
        QCOMPARE(p.noteSymbol, QStringLiteral("info.circle"));
        QCOMPARE(p.noteSymbolColor, accent);
        QCOMPARE(p.noteText, QStringLiteral("Yukarıdan tallowmer.com hesabınızı bağlayın — ayrıca API anahtarı gerekmez."));
        in.isSignedIn = true;
        p = P::make(in);
        QCOMPARE(p.noteSymbol, QStringLiteral("checkmark.seal.fill"));
        QCOMPARE(p.noteSymbolColor, QuorGlassTokens::success());
        QCOMPARE(p.noteText, QStringLiteral("Ortak tallowmer.com oturum jetonunuzla otomatik olarak yetkilendirilir."));
        QCOMPARE(p.tiles[2].title, QStringLiteral("Tallowmer Kredisi"));

        QCOMPARE(P::saveFailedFeedback(QStringLiteral("  "), QuorLanguage::tr),
                 (QuorAPIKeyFeedback{QStringLiteral("API anahtarı kaydedilmedi."), true}));
    }

    void choosingAProviderRewritesEndpointModelAndChip()
    {
        Bench bench;
        const auto card = bench.card(neverSaves());
        card->uiState()->setApiKeyInput(QStringLiteral("typed"));
        card->uiState()->setSearchQuery(QStringLiteral("gpt"));
        card->uiState()->setApiKeyFeedback(QuorAPIKeyFeedback{QStringLiteral("API key saved."), false});

        // Choosing the provider already in force still replaces endpoint and model.
        button(*card, QStringLiteral("provider:openAI"))->click();
        QCOMPARE(bench.config, QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("https://api.openai.com/v1/chat/completions"),
                                            QStringLiteral("gpt-4o-mini")));
        QCOMPARE(bench.written.size(), 1);
        QCOMPARE(card->uiState()->selectedCategory(), QuorAIModelFilterCategory::cloud);
        QVERIFY(!card->uiState()->apiKeyFeedback());
        QCOMPARE(card->uiState()->apiKeyInput(), QStringLiteral("typed"));
        QCOMPARE(card->uiState()->searchQuery(), QStringLiteral("gpt"));

        // No local model found yet: the "Local" chip.
        button(*card, QStringLiteral("provider:ollamaLocal"))->click();
        QCOMPARE(bench.config, QuorAIConfig(QuorAIProvider::ollamaLocal, QStringLiteral("http://127.0.0.1:11434/api/chat"),
                                            QStringLiteral("llama3.2")));
        QCOMPARE(card->uiState()->selectedCategory(), QuorAIModelFilterCategory::local);
        QVERIFY(card->findChild<QWidget*>(QStringLiteral("apiKeyBlock"))->isHidden());
        QVERIFY(card->findChild<QWidget*>(QStringLiteral("creditsNote"))->isHidden());

        button(*card, QStringLiteral("provider:tallowmerCredits"))->click();
        QCOMPARE(bench.config.provider, QuorAIProvider::tallowmerCredits);
        QCOMPARE(bench.config.endpointURL,
                 QuorCreditsAccountManager::resolvedGatewayURL() + QStringLiteral("/v1/ai/chat/completions"));
        QCOMPARE(bench.config.model, QStringLiteral("tallowmer-auto"));
        QCOMPARE(card->uiState()->selectedCategory(), QuorAIModelFilterCategory::tallowmer);
        QVERIFY(!card->findChild<QWidget*>(QStringLiteral("creditsNote"))->isHidden());

        // Once the local server reported a model, choosing Ollama shows what is installed.
        quorAwait(bench.catalog->refresh(false, true));
        QCOMPARE(bench.catalog->discoveredLocalModels().size(), 1);
        card->uiState()->setSearchQuery(QString());
        button(*card, QStringLiteral("provider:ollamaLocal"))->click();
        QCOMPARE(card->uiState()->selectedCategory(), QuorAIModelFilterCategory::installed);
        const auto installed = card->filteredRows();
        QCOMPARE(installed.size(), 1);
        QCOMPARE(installed[0].apiModelId, QStringLiteral("llama3.2:3b"));
        QVERIFY(card->rows().size() > installed.size());
    }

    // A key goes over plain http only to this computer or the private network; the key block says
    // so, in both languages, for any other http endpoint.
    void theKeyBlockSaysWhenAnEndpointNeedsHttps_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<bool>("shown");
        QTest::newRow("https") << "https://api.example.test/v1/chat/completions" << false;
        QTest::newRow("http to the internet") << "http://api.example.test/v1/chat/completions" << true;
        QTest::newRow("http to a home server") << "http://192.168.1.20:8000/v1/chat/completions" << false;
        QTest::newRow("http to this computer") << "http://127.0.0.1:1234/v1/chat/completions" << false;
        QTest::newRow("no address yet") << "" << false;
    }

    void theKeyBlockSaysWhenAnEndpointNeedsHttps()
    {
        QFETCH(QString, endpoint);
        QFETCH(bool, shown);
        P::Inputs in = inputs(QuorAIProvider::openAI);
        in.endpointURL = endpoint;
        QCOMPARE(P::make(in).showsHttpsNotice, shown);
        in.language = QuorLanguage::tr;
        const P turkish = P::make(in);
        in.language = QuorLanguage::en;
        QVERIFY(turkish.httpsNotice.contains(QStringLiteral("https://")));
        QVERIFY(turkish.httpsNotice != P::make(in).httpsNotice);

        Bench bench;
        auto card = bench.card(neverSaves(), {});
        card->selectProvider(QuorAIProvider::openAI);
        card->setManualEndpoint(endpoint);
        QCOMPARE(!card->findChild<QLabel*>(QStringLiteral("httpsNotice"))->isHidden(), shown);
    }

    void theKeyFieldIsNamedAfterItsLabel()
    {
        Bench bench;
        auto card = bench.card(neverSaves(), {});
        card->selectProvider(QuorAIProvider::openAI);
        auto* field = card->findChild<QLineEdit*>(QStringLiteral("apiKeyField"));
        QCOMPARE(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Name),
                 QStringLiteral("API Key (system keyring)"));
        card->setLanguageOverride(QuorLanguage::tr);
        QCOMPARE(field->accessibleName(), QStringLiteral("API Anahtarı (sistem anahtarlığı)"));
    }

    void theKeyFieldSavesToAndRemovesFromTheKeyring()
    {
        Bench bench;
        const QString account = freshAccount();
        bool hasSavedKey = false;
        auto card = bench.card([account](QString key) { return keyringSave(account, std::move(key)); },
                               [account] { return keyringDelete(account); });
        button(*card, QStringLiteral("provider:openAI"))->click();
        auto* field = card->findChild<QLineEdit*>(QStringLiteral("apiKeyField"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QVERIFY(!button(*card, QStringLiteral("saveKey"))->isEnabled());
        field->setText(QStringLiteral("  \t "));
        QVERIFY(!button(*card, QStringLiteral("saveKey"))->isEnabled());
        QVERIFY(button(*card, QStringLiteral("clearKey"))->isHidden());

        field->setText(QStringLiteral("  sk-live-1234\t "));
        QVERIFY(button(*card, QStringLiteral("saveKey"))->isEnabled());
        // Return in the field saves, as Save Key does.
        QTest::keyClick(field, Qt::Key_Return);
        QUOR_TRY_VERIFY(card->uiState()->apiKeyFeedback().has_value());
        QCOMPARE(*card->uiState()->apiKeyFeedback(), (QuorAPIKeyFeedback{QStringLiteral("API key saved."), false}));
        QCOMPARE(quorAwait(QuorKeychainStore::load(keyringService, account)), QStringLiteral("sk-live-1234"));
        QCOMPARE(field->text(), QString());
        QVERIFY(!feedbackLabel(*card)->isHidden());

        // The application now says a key is stored: the label, the placeholder and Clear follow.
        hasSavedKey = true;
        card->setHasSavedAPIKey(hasSavedKey);
        QVERIFY(!card->findChild<QWidget*>(QStringLiteral("savedLabel"))->isHidden());
        QVERIFY(!button(*card, QStringLiteral("clearKey"))->isHidden());
        QCOMPARE(field->placeholderText(), QStringLiteral("Saved in the system keyring — enter a new key to replace…"));

        button(*card, QStringLiteral("clearKey"))->click();
        QUOR_TRY_COMPARE(card->uiState()->apiKeyFeedback()->text, QStringLiteral("API key removed."));
        QCOMPARE(quorAwait(QuorKeychainStore::load(keyringService, account)), std::nullopt);

        // A feedback line keeps the language it was made in; choosing a provider removes it.
        card->setLanguageOverride(QuorLanguage::tr);
        QCOMPARE(feedbackLabel(*card)->text(), QStringLiteral("API key removed."));
        QCOMPARE(card->presentation().saveTitle, QStringLiteral("Kaydet"));
        card->selectProvider(QuorAIProvider::openAI);
        QVERIFY(feedbackLabel(*card)->isHidden());
    }

    void aRefusedKeyIsNeverReportedSaved()
    {
        Bench bench;
        int calls = 0;
        auto card = bench.card([&calls](QString) {
            ++calls;
            return refuseAfter(150ms, QStringLiteral("The system keyring is <b>locked</b>."));
        });
        auto* field = card->findChild<QLineEdit*>(QStringLiteral("apiKeyField"));
        field->setText(QStringLiteral("sk-abc"));
        button(*card, QStringLiteral("saveKey"))->click();
        // One request at a time while the keyring thinks.
        QVERIFY(card->uiState()->isWorkingOnKey());
        QVERIFY(!button(*card, QStringLiteral("saveKey"))->isEnabled());
        card->saveKey();
        QUOR_TRY_VERIFY(!card->uiState()->isWorkingOnKey());
        QCOMPARE(calls, 1);
        QLabel* line = feedbackLabel(*card);
        QCOMPARE(line->text(), QStringLiteral("The system keyring is <b>locked</b>."));
        QCOMPARE(line->textFormat(), Qt::PlainText);
        QCOMPARE(card->presentation().feedbackColor, QuorGlassTokens::danger());
        QVERIFY(card->findChild<QWidget*>(QStringLiteral("savedLabel"))->isHidden());
        // What was typed stays for another try.
        QCOMPARE(field->text(), QStringLiteral("sk-abc"));

        // An operation that throws is a refusal too, with the error's own words.
        Bench other;
        auto throwingCard = other.card([](QString) { return throwing(); }, [] { return throwing(); },
                                       QuorLanguage::tr, true);
        throwingCard->findChild<QLineEdit*>(QStringLiteral("apiKeyField"))->setText(QStringLiteral("sk-abc"));
        button(*throwingCard, QStringLiteral("saveKey"))->click();
        QUOR_TRY_VERIFY(throwingCard->uiState()->apiKeyFeedback().has_value());
        QCOMPARE(*throwingCard->uiState()->apiKeyFeedback(),
                 (QuorAPIKeyFeedback{QStringLiteral("Anahtarlık <b>kilitli</b>"), true}));
        button(*throwingCard, QStringLiteral("clearKey"))->click();
        QUOR_TRY_VERIFY(!throwingCard->uiState()->isWorkingOnKey());
        QVERIFY(throwingCard->uiState()->apiKeyFeedback()->isError);
        QCOMPARE(throwingCard->findChild<QLineEdit*>(QStringLiteral("apiKeyField"))->text(), QStringLiteral("sk-abc"));
    }

    void aCardGoneBeforeTheKeyringAnswersIsLeftAlone()
    {
        Bench bench;
        auto card = bench.card([](QString) { return refuseAfter(100ms, QStringLiteral("late")); });
        card->uiState()->setApiKeyInput(QStringLiteral("sk-late"));
        card->saveKey();
        card.reset();
        quorSpin(250ms);
    }

    void comingOnScreenRefreshesTheAccountAndTheCatalog()
    {
        Bench bench;
        auto card = bench.card(neverSaves());
        QCOMPARE(bench.server.requests("/api/tags").size(), 0);
        card->show();
        QUOR_TRY_COMPARE(bench.catalog->discoveredLocalModels().size(), 1);
        QVERIFY(bench.credits->lastSyncedAt().has_value());
        QUOR_TRY_VERIFY(!bench.catalog->isSyncing());
        const QDateTime synced = *bench.credits->lastSyncedAt();

        // Shown again soon: the account is fresh enough, the local servers are asked again.
        card->hide();
        card->show();
        QUOR_TRY_COMPARE(bench.server.requests("/api/tags").size(), 2);
        QCOMPARE(*bench.credits->lastSyncedAt(), synced);
        QUOR_TRY_VERIFY(!bench.catalog->isSyncing());
    }

    void theCreditsNoteFollowsTheAccount()
    {
        Bench bench;
        bench.config = QuorAIConfig(QuorAIProvider::tallowmerCredits);
        auto card = bench.card(neverSaves());
        auto* note = card->findChild<QWidget*>(QStringLiteral("creditsNote"));
        QCOMPARE(note->findChild<QLabel*>(QStringLiteral("symbol"))->property("symbolName").toString(),
                 QStringLiteral("info.circle"));
        bench.signIn();
        QVERIFY(bench.credits->isSignedIn());
        QCOMPARE(note->findChild<QLabel*>(QStringLiteral("symbol"))->property("symbolName").toString(),
                 QStringLiteral("checkmark.seal.fill"));
        QCOMPARE(note->findChild<QLabel*>(QStringLiteral("text"))->text(),
                 QStringLiteral("Automatically authenticated with your shared tallowmer.com session token."));
    }

    // The credits section stands first: signed out it explains and offers the sign-in, signed in it
    // shows the balance, the account's buttons and the application's budget.
    void theCreditsSectionComesFirst()
    {
        Bench bench;
        auto card = bench.card(neverSaves());
        QuorCreditsAccountPanel* credits = card->creditsSection();
        const QList<QuorGlassCard*> sections = card->findChildren<QuorGlassCard*>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(sections.size(), 3);
        QCOMPARE(sections[0]->content(), credits);
        QCOMPARE(sections[1]->content()->objectName(), QStringLiteral("providerSection"));
        QVERIFY(credits->authBlock() != nullptr);
        QVERIFY(credits->findChild<QAbstractButton*>(QStringLiteral("refresh"))->isHidden());
        QVERIFY(credits->presentation().explanation.startsWith(QStringLiteral("Connect once with tallowmer.com")));

        bench.signIn();
        QCOMPARE(credits->findChild<QLabel*>(QStringLiteral("credits"))->text(), QStringLiteral("1,250 cr"));
        QCOMPARE(credits->findChild<QLabel*>(QStringLiteral("dollars"))->text(), QStringLiteral("≈ $12.50"));
        QVERIFY(credits->authBlock() == nullptr);
        QVERIFY(credits->summaryBlock() != nullptr && credits->editorBlock() != nullptr);
        QVERIFY(!credits->findChild<QAbstractButton*>(QStringLiteral("refresh"))->isHidden());
        QCOMPARE(credits->findChild<QAbstractButton*>(QStringLiteral("portal"))->text(), QStringLiteral("Portal ↗"));
        card->setLanguageOverride(QuorLanguage::tr);
        QCOMPARE(credits->findChild<QLabel*>(QStringLiteral("credits"))->text(), QStringLiteral("1.250 kr"));
    }

    void withoutAnOverrideTheCardFollowsTheInterfaceLanguage()
    {
        Bench bench;
        auto card = bench.card(neverSaves(), {}, std::nullopt);
        auto* header = card->findChild<QWidget*>(QStringLiteral("providerSection"));
        QVERIFY(header != nullptr);
        QCOMPARE(card->presentation().headerTitle, QStringLiteral("AI Provider"));
        QuorLanguages::setCurrent(QuorLanguage::tr);
        QUOR_TRY_COMPARE(card->presentation().headerTitle, QStringLiteral("AI Sağlayıcı"));
        QCOMPARE(card->presentation().keyHeading, QStringLiteral("API Anahtarı (sistem anahtarlığı)"));
        // An override holds whatever the interface language does.
        card->setLanguageOverride(QuorLanguage::en);
        QCOMPARE(card->presentation().headerTitle, QStringLiteral("AI Provider"));
    }

    void screenshots()
    {
        for (const QuorLanguage language : {QuorLanguage::en, QuorLanguage::tr}) {
            Bench bench;
            bench.config = QuorAIConfig(QuorAIProvider::openAI);
            auto* card = bench.card(neverSaves(), [] { return refuseAfter(0ms, QString()); }, language, true).release();
            card->uiState()->setApiKeyFeedback(P::savedFeedback(language));
            Backdrop backdrop(card);
            backdrop.resize(760, 300);
            backdrop.show();
            saveScreenshot(&backdrop, QStringLiteral("aicard-key-") + QuorLanguages::rawValue(language));

            card->uiState()->setApiKeyInput(QStringLiteral("sk-proj-example"));
            card->uiState()->setApiKeyFeedback(P::saveFailedFeedback({}, language));
            saveScreenshot(&backdrop, QStringLiteral("aicard-refused-") + QuorLanguages::rawValue(language));

            card->selectProvider(QuorAIProvider::tallowmerCredits);
            saveScreenshot(&backdrop, QStringLiteral("aicard-credits-") + QuorLanguages::rawValue(language));
            QUOR_TRY_VERIFY(!bench.catalog->isSyncing() && !bench.credits->isRefreshing());
        }
    }
};

QUOR_TEST_MAIN(TestQuorAIUnifiedSettingsCard)
#include "tst_quoraiunifiedsettingscard.moc"
