#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorByteFormatter.h"
#include "QuorZubCore/Engine/ZubMathEvaluator.h"
#include "QuorZubCore/Services/ZubKeychainSecretStore.h"
#include "QuorZubCore/Services/ZubQuorAIChatClient.h"
#include "QuorZubCore/Services/ZubTranslationAndAIService.h"
#include "QuorZubCoreTests/ActionExecution/ZubServiceFakes.h"
#include "Support/QuorTestHttpServer.h"
#include "Support/QuorTestSupport.h"

#include <QNetworkAccessManager>
#include <QtTest>

using OptionalText = std::optional<QString>;
using Texts = QMap<QString, QString>;
Q_DECLARE_METATYPE(OptionalText)

namespace {
const Texts dictionary{{QStringLiteral("serendipity"), QStringLiteral("luck in finding good things")},
                       {QStringLiteral("kalem"), QStringLiteral("yazı aracı")}};

const QString offlineNoteEN =
    QStringLiteral("] Zero network requests made. Enable Local Ollama (100% Offline AI) or Keyless Web Translate in "
                   "Settings for full translation.");
const QString offlineNoteTR = QStringLiteral("] Sıfır ağ isteği yapıldı. Tam çeviri için Ayarlar'dan Yerel Ollama "
                                             "(%100 Çevrimdışı AI) veya Hızlı Web Çeviri seçin.");
const QString grammarPrompt = QStringLiteral(
    "You are a meticulous editor. Fix spelling, grammar, punctuation, and awkward phrasing in the user's text while "
    "keeping its original language, meaning, and tone crisp and professional. Output ONLY the improved text with no "
    "commentary.");
const QString summaryPrompt = QStringLiteral(
    "Summarize the user's text in 3 concise bullet points in the same language as the input text. Capture key facts "
    "and decisions clearly. Output ONLY the bullet points.");
const QString reply = QStringLiteral("  the AI's reply\n");

QString stats(const QString& text, QuorLanguage language)
{
    return ZubOfflineTextEngine::formatStats(ZubOfflineTextEngine::analyzeStats(text), language);
}

QString explainPrompt(const QString& languageWord)
{
    return QStringLiteral("Explain the user's selected text, term, or code snippet clearly and concisely in ")
        + languageWord + QStringLiteral(". Keep it practical, accurate, and easy to scan in 3–5 sentences.");
}
} // namespace

class TestZubTranslationAndAIService : public QObject {
    Q_OBJECT
private:
    std::shared_ptr<FakeAIClient> m_ai;
    std::shared_ptr<FakeSecretStore> m_keys;

    ZubExecutionResult run(const ZubActionDefinition& action, const QString& input, const ZubConfig& config,
                           QuorLanguage language = QuorLanguage::en, const QUrl& web = {})
    {
        const ZubTranslationAndAIService service(m_ai, m_keys, web.isEmpty() ? QUrl(QStringLiteral("https://127.0.0.1:9")) : web);
        return quorAwait(service.execute(action, input, config, language));
    }

private slots:
    void init()
    {
        m_ai = std::make_shared<FakeAIClient>();
        m_keys = std::make_shared<FakeSecretStore>();
        useFixedEngine(QStringLiteral("en"), dictionary);
    }
    void cleanup() { ZubOfflineTextEngine::setServices({}); }

    void kindsUnderEachBackend_data();
    void kindsUnderEachBackend()
    {
        QFETCH(ZubActionKind, kind);
        QFETCH(ZubTranslationBackend, backend);
        QFETCH(QuorLanguage, language);
        QFETCH(QString, engineLanguage);
        QFETCH(OptionalText, customPrompt);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(bool, isError);
        QFETCH(OptionalText, detected);
        QFETCH(OptionalText, target);
        QFETCH(QString, prompt);
        useFixedEngine(engineLanguage, dictionary);

        const auto action = actionOf(kind, customPrompt);
        const auto result = run(action, input, configWith(backend), language);
        QCOMPARE(result.outputText, output);
        QCOMPARE(result.isError, isError);
        QCOMPARE(result.detectedLanguageCode, detected);
        QCOMPARE(result.targetLanguageCode, target);
        QCOMPARE(result.actionKind, kind);
        QCOMPARE(result.actionTitle, action.localizedTitle(language));
        QCOMPARE(result.inputText, input.trimmed());
        QVERIFY(result.durationMs >= 1);
        QCOMPARE(m_ai->calls.size(), prompt.isEmpty() ? 0 : 1);
        if (!prompt.isEmpty()) {
            QCOMPARE(m_ai->calls.first().systemPrompt, prompt);
            QCOMPARE(m_ai->calls.first().userPrompt, input.trimmed());
        }
    }

    void blankInputIsAnErrorForEveryKindAndBackend()
    {
        for (const auto kind : ZubActionKinds::allCases()) {
            for (const auto backend : ZubTranslationBackends::allCases()) {
                const auto result = run(actionOf(kind), QStringLiteral("  \n "), configWith(backend), QuorLanguage::tr);
                QCOMPARE(result.outputText, QStringLiteral("Önce bir metin seçin veya yazın."));
                QVERIFY(result.isError);
                QCOMPARE(result.inputText, QStringLiteral("  \n "));
                QCOMPARE(result.detectedLanguageCode, OptionalText());
                QCOMPARE(result.targetLanguageCode, OptionalText());
                QVERIFY(result.durationMs >= 1);
            }
        }
        QVERIFY(m_ai->calls.isEmpty());
    }

    // Every kind yields a result under every backend; only the expected ones are errors.
    void everyKindGivesAResultUnderEveryBackend()
    {
        QuorTestHttpServer server;
        QVERIFY(server.start());
        server.route("GET", "/translate_a/single", QuorTestHttpResponse::json("[[[\"merhaba\"]],null,\"en\"]"));
        for (const auto kind : ZubActionKinds::allCases()) {
            for (const auto backend : ZubTranslationBackends::allCases()) {
                const auto result = run(actionOf(kind), QStringLiteral("hello world"), configWith(backend),
                                        QuorLanguage::en, server.baseUrl());
                const bool expectedError = kind == ZubActionKind::calculate || kind == ZubActionKind::dictionary
                    || (kind == ZubActionKind::customAI && backend == ZubTranslationBackend::offlineOnly);
                QVERIFY2(result.isError == expectedError, qPrintable(ZubActionKinds::rawValue(kind)));
                QVERIFY2(!result.outputText.isEmpty(), qPrintable(ZubActionKinds::rawValue(kind)));
                QVERIFY(!result.id.isNull());
                QVERIFY(result.createdAt.isValid());
                QCOMPARE(result.qrPNGData.has_value(), kind == ZubActionKind::qrCode);
            }
        }
        QCOMPARE(server.requestCount(), 1); // only translate with the web backend
    }

    void aiFailuresCarryTheProviderHint_data()
    {
        QTest::addColumn<QuorAIProvider>("provider");
        QTest::addColumn<Texts>("storedKeys");
        QTest::addColumn<QuorLanguage>("language");
        QTest::addColumn<OptionalText>("sentKey");
        QTest::addColumn<QString>("hint");
        const Texts both{{QStringLiteral("ai-api-key-openAI"), QStringLiteral("sk-stored")},
                         {QStringLiteral("ai-api-key-ollamaLocal"), QStringLiteral("never-sent")},
                         {QStringLiteral("ai-api-key-tallowmerCredits"), QStringLiteral("never-sent")}};
        const QuorAIConfig ollama(QuorAIProvider::ollamaLocal);
        QTest::newRow("local server")
            << QuorAIProvider::ollamaLocal << both << QuorLanguage::en << OptionalText()
            << QStringLiteral("Make sure Ollama is running locally (%1) with model '%2'.").arg(ollama.endpointURL, ollama.model);
        QTest::newRow("local server, Turkish")
            << QuorAIProvider::ollamaLocal << both << QuorLanguage::tr << OptionalText()
            << QStringLiteral("Yerel Ollama sunucusunun (%1) '%2' modeliyle çalıştığından emin olun.")
                   .arg(ollama.endpointURL, ollama.model);
        QTest::newRow("own key, stored") << QuorAIProvider::openAI << both << QuorLanguage::en
                                         << OptionalText(QStringLiteral("sk-stored"))
                                         << QStringLiteral("Check your AI provider endpoint and system keyring API key in Settings.");
        QTest::newRow("own key, none stored")
            << QuorAIProvider::openAI << Texts{} << QuorLanguage::tr << OptionalText()
            << QStringLiteral("Ayarlar'da AI sağlayıcı adresini ve sistem anahtarlığı API anahtarını kontrol edin.");
        QTest::newRow("credits") << QuorAIProvider::tallowmerCredits << both << QuorLanguage::en << OptionalText()
                                 << QStringLiteral("Check your tallowmer.com connection, credit balance, or app spending "
                                                   "cap in the top-bar Credits menu or Settings.");
    }

    void aiFailuresCarryTheProviderHint()
    {
        QFETCH(QuorAIProvider, provider);
        QFETCH(Texts, storedKeys);
        QFETCH(QuorLanguage, language);
        QFETCH(OptionalText, sentKey);
        QFETCH(QString, hint);
        for (auto it = storedKeys.cbegin(); it != storedKeys.cend(); ++it) {
            m_keys->items.insert(ZubTranslationAndAIService::keychainService + u'/' + it.key(), it.value());
        }
        m_ai->failure = QuorError(QStringLiteral("Provider returned an empty response."),
                                  QStringLiteral("Sağlayıcı boş yanıt döndürdü."));
        const auto result = run(actionOf(ZubActionKind::summarize), QStringLiteral("Some text."),
                                configWith(ZubTranslationBackend::aiProvider, provider), language);
        QVERIFY(result.isError);
        QCOMPARE(result.outputText, localizedDescription(*m_ai->failure, language) + QStringLiteral("\n\n") + hint);
        QCOMPARE(result.targetLanguageCode, OptionalText(QStringLiteral("en")));
        QCOMPARE(m_ai->calls.size(), 1);
        QCOMPARE(m_ai->calls.first().apiKey, sentKey);
        QCOMPARE(m_ai->calls.first().config, QuorAIConfig(provider));
        // The key, and the host it belongs to when there is one (recorded for a key kept from before
        // keys carried their host): no other provider touches the keyring.
        QStringList reads;
        if (provider == QuorAIProvider::openAI) {
            reads.append(QStringLiteral("load ai-api-key-openAI"));
            if (storedKeys.contains(QStringLiteral("ai-api-key-openAI"))) {
                reads << QStringLiteral("load ai-api-key-openAI-host") << QStringLiteral("save ai-api-key-openAI-host");
            }
        }
        QCOMPARE(m_keys->log, reads);
    }

    void aiRepliesLoseTheirControlsButTheSelectionKeepsThem()
    {
        m_ai->reply = QStringLiteral("\u202Egnp.exe\u202C\tdone\u001B[0m\n") + QChar(0);
        const QString selected = QStringLiteral("user\u001B text \u202E");
        const auto result = run(actionOf(ZubActionKind::customAI), selected, configWith(ZubTranslationBackend::aiProvider));
        QCOMPARE(result.outputText, QStringLiteral("gnp.exe\tdone[0m\n"));
        QCOMPARE(result.inputText, selected);
        QCOMPARE(m_ai->calls.first().userPrompt, selected);

        // Nothing but controls is no answer, not an empty result.
        m_ai->reply = QStringLiteral(" \u202E\u001B\n");
        const auto empty = run(actionOf(ZubActionKind::customAI), selected, configWith(ZubTranslationBackend::aiProvider));
        QVERIFY(empty.isError);
        QVERIFY2(empty.outputText.startsWith(QStringLiteral("Provider returned an empty response.")),
                 qPrintable(empty.outputText));
    }

    void caseFollowsTheLocaleAndNamesTheStyle()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        ZubConfig config = configWith(ZubTranslationBackend::offlineOnly);
        config.preferredCaseStyle = ZubCaseTransformStyle::lowercase;
        const auto result = run(actionOf(ZubActionKind::caseTransform), QStringLiteral(" IŞIK İNCİ "), config);
        QLocale::setDefault(previous);
        QCOMPARE(result.outputText, QStringLiteral("ışık inci"));
        QCOMPARE(result.actionTitle,
                 QStringLiteral("Case · ") + ZubCaseTransformStyles::displayName(ZubCaseTransformStyle::lowercase,
                                                                                QuorLanguage::en));
    }

    void qrCodeCarriesTheImage()
    {
        ZubOfflineTextEngine::setServices({}); // the real generator
        const auto result = run(actionOf(ZubActionKind::qrCode), QStringLiteral(" héllo 👨‍👩‍👧 "),
                                configWith(ZubTranslationBackend::offlineOnly), QuorLanguage::tr);
        QVERIFY(result.qrPNGData && result.qrPNGData->startsWith("\x89PNG"));
        QCOMPARE(result.outputText, QStringLiteral("QR Kod hazır (") + QuorByteFormatter::format(result.qrPNGData->size())
                                        + QStringLiteral(" · 7 karakter)"));
    }

    void apiKeysAreTrimmedAndBlankMeansDelete()
    {
        const ZubTranslationAndAIService service(m_ai, m_keys);
        const QString endpoint = QStringLiteral("https://AI.Example.test./v1/chat/completions");
        quorAwait(service.saveAPIKey(QStringLiteral("  sk-abc \n"), QuorAIProvider::openAI, endpoint));
        QCOMPARE(m_keys->items.value(QStringLiteral("com.tallowmer.quorzub/ai-api-key-openAI")), QStringLiteral("sk-abc"));
        QCOMPARE(m_keys->items.value(QStringLiteral("com.tallowmer.quorzub/ai-api-key-openAI-host")),
                 QStringLiteral("ai.example.test"));
        QCOMPARE(quorAwait(service.loadAPIKey(QuorAIProvider::openAI)), OptionalText(QStringLiteral("sk-abc")));
        QCOMPARE(quorAwait(service.savedAPIKeyHost(QuorAIProvider::openAI, QString())),
                 OptionalText(QStringLiteral("ai.example.test")));
        QCOMPARE(quorAwait(service.loadAPIKey(QuorAIProvider::ollamaLocal)), OptionalText());

        quorAwait(service.saveAPIKey(QStringLiteral(" \t\n"), QuorAIProvider::openAI, endpoint));
        QVERIFY(m_keys->items.isEmpty());
        QCOMPARE(m_keys->log.last(), QStringLiteral("remove ai-api-key-openAI-host"));

        m_keys->items.insert(QStringLiteral("com.tallowmer.quorzub/ai-api-key-tallowmerCredits"), QStringLiteral("t"));
        quorAwait(service.deleteAPIKey(QuorAIProvider::tallowmerCredits));
        QVERIFY(m_keys->items.isEmpty());

        m_keys->failure = QuorError(QStringLiteral("The keyring is locked."), QStringLiteral("Anahtarlık kilitli."));
        QVERIFY_THROWS_EXCEPTION(QuorError,
                                 quorAwait(service.saveAPIKey(QStringLiteral("k"), QuorAIProvider::openAI, endpoint)));
    }

    // A key goes only to the host it was saved for. A key kept from before keys carried their host
    // stays with the public https endpoint the settings name, else with the provider's own.
    void aKeyGoesOnlyToItsHost_data()
    {
        QTest::addColumn<OptionalText>("savedFor");
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<OptionalText>("sent");
        const OptionalText key(QStringLiteral("sk-abc"));
        const QString cloud = QStringLiteral("https://ai.example.test/v1/chat/completions");
        QTest::newRow("its own host") << OptionalText(cloud) << QStringLiteral("https://AI.example.test/other") << key;
        QTest::newRow("a local runtime") << OptionalText(cloud) << QStringLiteral("http://127.0.0.1:1234/v1/chat/completions")
                                         << OptionalText();
        QTest::newRow("another service") << OptionalText(cloud) << QStringLiteral("https://api.other.test/v1/chat/completions")
                                         << OptionalText();
        QTest::newRow("kept from before, provider's endpoint")
            << OptionalText() << QuorAIProviders::defaultEndpoint(QuorAIProvider::openAI) << key;
        QTest::newRow("kept from before, a public https endpoint") << OptionalText() << cloud << key;
        QTest::newRow("kept from before, a local runtime")
            << OptionalText() << QStringLiteral("http://127.0.0.1:1234/v1/chat/completions") << OptionalText();
        QTest::newRow("kept from before, plain http")
            << OptionalText() << QStringLiteral("http://ai.example.test/v1/chat/completions") << OptionalText();
    }

    void aKeyGoesOnlyToItsHost()
    {
        QFETCH(OptionalText, savedFor);
        QFETCH(QString, endpoint);
        QFETCH(OptionalText, sent);
        const ZubTranslationAndAIService service(m_ai, m_keys);
        if (savedFor) {
            quorAwait(service.saveAPIKey(QStringLiteral("sk-abc"), QuorAIProvider::openAI, *savedFor));
        } else {
            m_keys->items.insert(QStringLiteral("com.tallowmer.quorzub/ai-api-key-openAI"), QStringLiteral("sk-abc"));
        }
        ZubConfig config = configWith(ZubTranslationBackend::aiProvider, QuorAIProvider::openAI);
        config.aiConfig.endpointURL = endpoint;
        run(actionOf(ZubActionKind::summarize), QStringLiteral("some text"), config);
        QCOMPARE(m_ai->calls.size(), 1);
        QCOMPARE(m_ai->calls.first().apiKey, sent);
        // The host is on record from then on: the key does not follow the endpoint elsewhere.
        const QString recorded = m_keys->items.value(QStringLiteral("com.tallowmer.quorzub/ai-api-key-openAI-host"));
        QVERIFY(!recorded.isEmpty());
        QCOMPARE(quorAwait(service.savedAPIKeyHost(QuorAIProvider::openAI, QStringLiteral("https://api.other.test/v1"))),
                 OptionalText(recorded));
    }

    // The application's own AI client and the desktop keyring behind the service.
    void theRealClientAndKeyring()
    {
        QuorTestHttpServer server;
        QVERIFY(server.start());
        server.enqueue("POST", "/v1/chat/completions",
                       QuorTestHttpResponse::json(R"({"choices":[{"message":{"content":" Fixed text. "}}]})"));
        server.enqueue("POST", "/v1/chat/completions", QuorTestHttpResponse::json(R"({"error":{"message":"boom"}})", 500));
        QNetworkAccessManager network;
        const ZubTranslationAndAIService service(
            std::make_shared<ZubQuorAIChatClient>(QuorAIClient(&network, nullptr)),
            std::make_shared<ZubKeychainSecretStore>());
        ZubConfig config = configWith(ZubTranslationBackend::aiProvider);
        config.aiConfig = QuorAIConfig(QuorAIProvider::openAI, server.url(QStringLiteral("/v1/chat/completions")).toString());
        quorAwait(service.saveAPIKey(QStringLiteral(" sk-test \n"), QuorAIProvider::openAI, config.aiConfig.endpointURL));
        const auto fixed = quorAwait(service.execute(actionOf(ZubActionKind::fixGrammar), QStringLiteral("fixd txt"),
                                                     config, QuorLanguage::en));
        QCOMPARE(fixed.outputText, QStringLiteral("Fixed text."));
        QCOMPARE(server.lastRequest()->header("Authorization"), QByteArray("Bearer sk-test"));

        const auto failed = quorAwait(service.execute(actionOf(ZubActionKind::fixGrammar), QStringLiteral("fixd txt"),
                                                      config, QuorLanguage::tr));
        QCOMPARE(failed.outputText, QStringLiteral("HTTP 500: boom\n\nAyarlar'da AI sağlayıcı adresini ve sistem "
                                                   "anahtarlığı API anahtarını kontrol edin."));
        quorAwait(service.deleteAPIKey(QuorAIProvider::openAI));
        QCOMPARE(quorAwait(service.loadAPIKey(QuorAIProvider::openAI)), OptionalText());
    }
};

void TestZubTranslationAndAIService::kindsUnderEachBackend_data()
{
    QTest::addColumn<ZubActionKind>("kind");
    QTest::addColumn<ZubTranslationBackend>("backend");
    QTest::addColumn<QuorLanguage>("language");
    QTest::addColumn<QString>("engineLanguage");
    QTest::addColumn<OptionalText>("customPrompt");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("isError");
    QTest::addColumn<OptionalText>("detected");
    QTest::addColumn<OptionalText>("target");
    QTest::addColumn<QString>("prompt");

    using K = ZubActionKind;
    using B = ZubTranslationBackend;
    const auto en = QuorLanguage::en;
    const auto tr = QuorLanguage::tr;
    const OptionalText none;
    const OptionalText codeEN(QStringLiteral("en"));
    const OptionalText codeTR(QStringLiteral("tr"));
    const auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
    const QString sixty = QStringLiteral("abcdefghij").repeated(6);

    row("translate offline, known word")
        << K::translate << B::offlineOnly << en << "en" << none << "serendipity"
        << "luck in finding good things\n\n[Offline Only · EN → TR" + offlineNoteEN << false << codeEN << codeTR << "";
    row("translate offline, Turkish, language unknown")
        << K::translate << B::offlineOnly << tr << "un" << none << " kalem "
        << "yazı aracı\n\n[Salt Çevrimdışı · ? → TR" + offlineNoteTR << false << none << codeTR << "";
    row("translate offline, several words")
        << K::translate << B::offlineOnly << en << "tr" << none << "iki kelime"
        << stats("iki kelime", en) + "\n\n[Offline Only · TR → EN" + offlineNoteEN << false << codeTR << codeEN << "";
    row("translate through the AI")
        << K::translate << B::aiProvider << en << "tr" << none << "Merhaba dünya" << reply << false << codeTR << codeEN
        << "You are a professional translator. Translate the user's text naturally and accurately into English. "
           "Preserve meaning, formatting, line breaks, and technical terminology. Respond ONLY with the translated text "
           "— no explanations, quotes, or prefixes.";
    row("grammar offline")
        << K::fixGrammar << B::offlineOnly << en << "en" << none << "  too   many  spaces "
        << "too many spaces\n\n[Offline Mode] Applied whitespace cleanup. Enable Local Ollama (100% Offline AI) in "
           "Settings for full grammar & tone polishing."
        << false << codeEN << none << "";
    row("grammar through the AI") << K::fixGrammar << B::aiProvider << en << "en" << none << "teh text" << reply << false
                                  << codeEN << codeEN << grammarPrompt;
    row("grammar with the web backend still uses the AI")
        << K::fixGrammar << B::freeWebTranslate << en << "en" << none << "teh text" << reply << false << codeEN << codeEN
        << grammarPrompt;
    row("summary offline, one sentence")
        << K::summarize << B::offlineOnly << en << "en" << none << "One two three four five."
        << "• One two three four five.\n\n[Offline Extractive Preview · 5 words] Enable Local Ollama in Settings for AI "
           "bullet summaries."
        << false << codeEN << none << "";
    row("summary offline, Turkish, four sentences")
        << K::summarize << B::offlineOnly << tr << "en" << none << "First one here. Second one here. Third one. Fourth."
        << "• First one here.\n• Second one here.\n\n[Çevrimdışı Önizleme · 9 kelime] Yapay zeka madde özetleri için "
           "Ayarlar'dan Yerel Ollama'yı açın."
        << false << codeEN << none << "";
    row("summary through the AI") << K::summarize << B::freeWebTranslate << en << "tr" << none << "Uzun bir metin."
                                  << reply << false << codeTR << codeTR << summaryPrompt;
    row("explain offline, dictionary entry") << K::explain << B::offlineOnly << en << "en" << none << "serendipity"
                                             << "luck in finding good things" << false << codeEN << none << "";
    row("explain offline, Turkish, no entry")
        << K::explain << B::offlineOnly << tr << "en" << none << "no such term"
        << stats("no such term", tr)
               + "\n\n[Çevrimdışı Mod] Kavram açıklamaları için Ayarlar'dan Yerel Ollama'yı (%100 çevrimdışı AI) "
                 "etkinleştirin."
        << false << codeEN << none << "";
    row("explain through the AI, Turkish interface")
        << K::explain << B::aiProvider << tr << "en" << none << "RAII" << reply << false << codeEN << codeTR
        << explainPrompt("Turkish");
    row("explain through the AI, Brazilian interface")
        << K::explain << B::aiProvider << QuorLanguage::ptBR << "en" << none << "RAII" << reply << false << codeEN
        << OptionalText("pt-BR") << explainPrompt(quorText("English", "Turkish", {}, QuorLanguage::ptBR));
    const QString mathError = [] {
        try {
            ZubMathEvaluator::evaluate(QStringLiteral("2 +"));
        } catch (const std::exception& error) {
            return localizedDescription(error, QuorLanguage::en);
        }
        return QString();
    }();
    QVERIFY(!mathError.isEmpty());
    row("incomplete calculation") << K::calculate << B::offlineOnly << en << "un" << none << "2 +"
                                  << "Could not evaluate math expression: " + mathError << true << none << none << "";
    // A selection's right-to-left override is quoted, isolated, and never turns the message around.
    row("calculation quotes an override") << K::calculate << B::offlineOnly << en << "un" << none << "2 \u202E 3"
                                          << "Could not evaluate math expression: Unsupported character '\u2068\u202E\u2069' "
                                             "in expression."
                                          << true << none << none << "";
    row("dictionary miss quotes 48 characters")
        << K::dictionary << B::offlineOnly << en << "en" << none << sixty
        << "No system dictionary entry found for \"\u2068" + sixty.left(48) + "\u2069\"." << true << codeEN << none << "";
    row("dictionary miss, Turkish") << K::dictionary << B::offlineOnly << tr << "en" << none << sixty
                                    << "\"\u2068" + sixty.left(48) + "\u2069\" için sistem sözlüğü kaydı bulunamadı." << true
                                    << codeEN << none << "";
    row("web search keeps + & =") << K::openWebSearch << B::aiProvider << en << "en" << none << " C++ & a=b ünlü "
                                  << "https://www.google.com/search?q=C%2B%2B%20%26%20a%3Db%20%C3%BCnl%C3%BC" << false
                                  << codeEN << none << "";
    row("custom offline")
        << K::customAI << B::offlineOnly << en << "en" << OptionalText("Rhyme it") << "text"
        << "Custom AI actions require Local Ollama or an AI provider. Switch Backend from Offline Only in Settings."
        << true << codeEN << none << "";
    row("custom with a blank prompt") << K::customAI << B::aiProvider << en << "en" << OptionalText(" \n ") << "text"
                                      << reply << false << codeEN << none
                                      << "Transform the user's text cleanly and concisely.";
    row("custom prompt trimmed") << K::customAI << B::freeWebTranslate << en << "en" << OptionalText(" Rhyme it.\n")
                                 << "text" << reply << false << codeEN << none << "Rhyme it.";
}

QUOR_TEST_GUI_MAIN(TestZubTranslationAndAIService)
#include "tst_zubtranslationandaiservice.moc"
