#include "QuorZubCore/Services/ZubTranslationAndAIService.h"

#include "QuorKit/Cloud/QuorAIClientError.h"
#include "QuorKit/Cloud/QuorCredentialRoute.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorBidiIsolation.h"
#include "QuorKit/Utilities/QuorByteFormatter.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorPlatform/Tokenization/QuorIcuTextTokenizer.h"
#include "QuorZubCore/Engine/ZubMathEvaluator.h"
#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"
#include "QuorZubCore/Services/ZubTranslationServiceError.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

// Where an AI-powered action goes after the offline preparation.
enum class NetworkStep { none, aiCompletion, webTranslation };

// Everything known about a run once the offline work is done; network steps fill in the rest.
struct Plan {
    QString title;
    std::optional<ZubCaseTransformStyle> titleCaseStyle;
    QString outputText;
    bool isError = false;
    std::optional<QString> detectedCode;
    std::optional<QString> targetCode;
    std::optional<QByteArray> qrPNGData;
    NetworkStep network = NetworkStep::none;
    QString systemPrompt;
};

QString pick(const QString& en, const QString& tr, QuorLanguage language)
{
    return quorText(en, tr, {}, language);
}

// What a server says goes to the bar, the history and over the user's selection, so without its
// control characters. An answer that was nothing else is no answer at all.
std::optional<QString> serverText(const QString& answer)
{
    QString shown = ZubOfflineTextEngine::removeControlCharacters(answer);
    if (QStringView(shown).trimmed().isEmpty()) {
        return std::nullopt;
    }
    return shown;
}

// The credits account's portal, named as the credit error texts name it.
QString creditsPortalHost()
{
    return QUrl(QuorCreditsAccountManager::defaultPortalURL).host();
}

// ---- prompts and notes ----

QString grammarPrompt()
{
    return QStringLiteral("You are a meticulous editor. Fix spelling, grammar, punctuation, and awkward phrasing in the "
                          "user's text while keeping its original language, meaning, and tone crisp and professional. "
                          "Output ONLY the improved text with no commentary.");
}

QString translatePrompt(const QString& targetEnglishName)
{
    return QStringLiteral("You are a professional translator. Translate the user's text naturally and accurately into ")
        + targetEnglishName
        + QStringLiteral(". Preserve meaning, formatting, line breaks, and technical terminology. Respond ONLY with the "
                         "translated text \u2014 no explanations, quotes, or prefixes.");
}

QString summaryPrompt()
{
    return QStringLiteral("Summarize the user's text in 3 concise bullet points in the same language as the input text. "
                          "Capture key facts and decisions clearly. Output ONLY the bullet points.");
}

QString explainPrompt(QuorLanguage language)
{
    return QStringLiteral("Explain the user's selected text, term, or code snippet clearly and concisely in ")
        + pick(QStringLiteral("English"), QStringLiteral("Turkish"), language)
        + QStringLiteral(". Keep it practical, accurate, and easy to scan in 3\u20135 sentences.");
}

QString customPrompt(const ZubActionDefinition& action)
{
    const QString prompt = action.customPrompt.value_or(QString()).trimmed();
    return prompt.isEmpty() ? QStringLiteral("Transform the user's text cleanly and concisely.") : prompt;
}

QString grammarNote(QuorLanguage language)
{
    return pick(QStringLiteral("\n\n[Offline Mode] Applied whitespace cleanup. Enable Local Ollama (100% Offline AI) in "
                               "Settings for full grammar & tone polishing."),
                QStringLiteral("\n\n[Çevrimdışı Mod] Boşluk temizliği uygulandı. Tam yazım ve ton düzeltme için "
                               "Ayarlar'dan Yerel Ollama (%100 Çevrimdışı AI) etkinleştirin."),
                language);
}

QString summaryNote(qint64 words, QuorLanguage language)
{
    const QString count = QString::number(words);
    return pick(QStringLiteral("\n\n[Offline Extractive Preview · ") + count
                    + QStringLiteral(" words] Enable Local Ollama in Settings for AI bullet summaries."),
                QStringLiteral("\n\n[Çevrimdışı Önizleme · ") + count
                    + QStringLiteral(" kelime] Yapay zeka madde özetleri için Ayarlar'dan Yerel Ollama'yı açın."),
                language);
}

QString explainNote(QuorLanguage language)
{
    return pick(QStringLiteral("\n\n[Offline Mode] Enable Local Ollama (100% offline AI) in Settings for conceptual "
                               "explanations."),
                QStringLiteral("\n\n[Çevrimdışı Mod] Kavram açıklamaları için Ayarlar'dan Yerel Ollama'yı (%100 "
                               "çevrimdışı AI) etkinleştirin."),
                language);
}

QString providerHint(const QuorAIConfig& config, QuorLanguage language)
{
    switch (config.provider) {
    case QuorAIProvider::ollamaLocal:
        return pick(QStringLiteral("Make sure Ollama is running locally (") + config.endpointURL
                        + QStringLiteral(") with model '") + config.model + QStringLiteral("'."),
                    QStringLiteral("Yerel Ollama sunucusunun (") + config.endpointURL + QStringLiteral(") '")
                        + config.model + QStringLiteral("' modeliyle çalıştığından emin olun."),
                    language);
    case QuorAIProvider::openAI:
        return pick(QStringLiteral("Check your AI provider endpoint and system keyring API key in Settings."),
                    QStringLiteral("Ayarlar'da AI sağlayıcı adresini ve sistem anahtarlığı API anahtarını kontrol edin."),
                    language);
    case QuorAIProvider::tallowmerCredits:
        return pick(QStringLiteral("Check your ") + creditsPortalHost()
                        + QStringLiteral(" connection, credit balance, or app spending cap in the top-bar Credits menu "
                                         "or Settings."),
                    QStringLiteral("Üst çubuktaki Kredi menüsünden veya Ayarlar'dan ") + creditsPortalHost()
                        + QStringLiteral(" bağlantınızı, kredi bakiyenizi veya uygulama harcama limitinizi kontrol edin."),
                    language);
    }
    return {};
}

QString describe(std::exception_ptr failure, QuorLanguage language)
{
    try {
        std::rethrow_exception(std::move(failure));
    } catch (const QuorAIClientError& error) {
        return error.localizedDescription(language);
    } catch (const std::exception& error) {
        return localizedDescription(error, language);
    } catch (...) {
        return pick(QStringLiteral("Unknown error."), QStringLiteral("Bilinmeyen hata."), language);
    }
}

// ---- offline pieces ----

QString statsReport(const QString& trimmed, QuorLanguage language)
{
    return ZubOfflineTextEngine::formatStats(ZubOfflineTextEngine::analyzeStats(trimmed), language);
}

// The first sentences as bullet lines; the text itself when it has no sentence.
QString extractOfflineLeadSentences(const QString& text, int maxCount)
{
    quor::platform::IcuTextTokenizer sentences(quor::platform::TokenUnit::sentence);
    QStringList lines;
    sentences.enumerateTokens(text, [&lines, maxCount](QStringView sentence) {
        const QString trimmed = sentence.trimmed().toString();
        if (lines.size() < maxCount && !trimmed.isEmpty()) {
            lines.append(QStringLiteral("• ") + trimmed);
        }
    });
    return lines.isEmpty() ? text : lines.join(u'\n');
}

QString buildOfflineFallback(const QString& text, const std::optional<QString>& detectedCode,
                             const QString& targetCode, QuorLanguage language)
{
    const bool singleToken = std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
    const auto entry = singleToken ? ZubOfflineTextEngine::lookupDictionary(text) : std::nullopt;
    const QString body = entry ? *entry : statsReport(text, language);
    const QString source = detectedCode ? detectedCode->toUpper() : QStringLiteral("?");
    const QString target = targetCode.toUpper();
    const QString note =
        pick(QStringLiteral("[Offline Only · ") + source + QStringLiteral(" → ") + target
                 + QStringLiteral("] Zero network requests made. Enable Local Ollama (100% Offline AI) or Keyless Web "
                                  "Translate in Settings for full translation."),
             QStringLiteral("[Salt Çevrimdışı · ") + source + QStringLiteral(" → ") + target
                 + QStringLiteral("] Sıfır ağ isteği yapıldı. Tam çeviri için Ayarlar'dan Yerel Ollama (%100 Çevrimdışı "
                                  "AI) veya Hızlı Web Çeviri seçin."),
             language);
    return body + QStringLiteral("\n\n") + note;
}

QString dictionaryMiss(const QString& trimmed, QuorLanguage language)
{
    // The selection's own direction overrides stay inside the quote.
    const QString term = QuorBidiIsolation::isolated(QuorGraphemes::prefix(trimmed, 48));
    return pick(QStringLiteral("No system dictionary entry found for \"") + term + QStringLiteral("\"."),
                QStringLiteral("\"") + term + QStringLiteral("\" için sistem sözlüğü kaydı bulunamadı."), language);
}

void planQRCode(Plan& plan, const QString& trimmed, QuorLanguage language)
{
    const auto png = ZubOfflineTextEngine::generateQRCodePNG(trimmed, 10.0);
    if (!png) {
        plan.outputText = pick(QStringLiteral("Could not generate QR code for this text."),
                               QStringLiteral("Bu metin için QR kod oluşturulamadı."), language);
        plan.isError = true;
        return;
    }
    const QString size = QuorByteFormatter::format(png->size());
    const QString characters = QString::number(QuorGraphemes::count(trimmed));
    plan.qrPNGData = png;
    plan.outputText = pick(QStringLiteral("QR Code ready (") + size + QStringLiteral(" · ") + characters
                               + QStringLiteral(" chars)"),
                           QStringLiteral("QR Kod hazır (") + size + QStringLiteral(" · ") + characters
                               + QStringLiteral(" karakter)"),
                           language);
}

void planCalculation(Plan& plan, const QString& trimmed, QuorLanguage language)
{
    try {
        plan.outputText = ZubMathEvaluator::evaluate(trimmed).formatted;
    } catch (const ZubMathEvaluator::MathError& error) {
        plan.outputText = pick(QStringLiteral("Could not evaluate math expression: "),
                               QStringLiteral("Matematik ifadesi hesaplanamadı: "), language)
            + localizedDescription(error, language);
        plan.isError = true;
    }
}

void planTranslation(Plan& plan, const QString& trimmed, const ZubConfig& config, QuorLanguage language)
{
    const auto resolved = ZubOfflineTextEngine::resolveTargetLanguage(trimmed, config.targetLanguage);
    plan.detectedCode = resolved.detectedCode;
    plan.targetCode = resolved.targetCode;
    switch (config.translationBackend) {
    case ZubTranslationBackend::aiProvider:
        plan.network = NetworkStep::aiCompletion;
        plan.systemPrompt = translatePrompt(resolved.targetEnglishName);
        break;
    case ZubTranslationBackend::freeWebTranslate:
        plan.network = NetworkStep::webTranslation;
        break;
    case ZubTranslationBackend::offlineOnly:
        plan.outputText = buildOfflineFallback(trimmed, resolved.detectedCode, resolved.targetCode, language);
        break;
    }
}

// The offline part of a run, on a worker thread: the whole of an offline action, or the language
// work and prompt of a network one.
Plan planAction(const ZubActionDefinition& action, const QString& trimmed, const ZubConfig& config,
                QuorLanguage language, const QString& title)
{
    Plan plan;
    plan.title = title;
    if (action.kind == ZubActionKind::translate) {
        planTranslation(plan, trimmed, config, language);
        return plan;
    }
    plan.detectedCode = ZubOfflineTextEngine::detectLanguage(trimmed);
    const bool offline = config.translationBackend == ZubTranslationBackend::offlineOnly;
    const auto viaAI = [&plan](const QString& prompt, std::optional<QString> targetCode) {
        plan.network = NetworkStep::aiCompletion;
        plan.systemPrompt = prompt;
        plan.targetCode = std::move(targetCode);
    };
    switch (action.kind) {
    case ZubActionKind::translate:
        break;
    case ZubActionKind::fixGrammar:
        if (offline) {
            plan.outputText = ZubOfflineTextEngine::trimAndCollapseWhitespace(trimmed) + grammarNote(language);
        } else {
            viaAI(grammarPrompt(), plan.detectedCode);
        }
        break;
    case ZubActionKind::summarize:
        if (offline) {
            plan.outputText = extractOfflineLeadSentences(trimmed, 2)
                + summaryNote(ZubOfflineTextEngine::analyzeStats(trimmed).words, language);
        } else {
            viaAI(summaryPrompt(), plan.detectedCode);
        }
        break;
    case ZubActionKind::explain:
        if (!offline) {
            viaAI(explainPrompt(language), QuorLanguages::rawValue(language));
        } else if (const auto entry = ZubOfflineTextEngine::lookupDictionary(trimmed)) {
            plan.outputText = *entry;
        } else {
            plan.outputText = statsReport(trimmed, language) + explainNote(language);
        }
        break;
    case ZubActionKind::plainCopy:
        plan.outputText = ZubOfflineTextEngine::trimAndCollapseWhitespace(trimmed);
        break;
    case ZubActionKind::cleanURL:
        plan.outputText = ZubOfflineTextEngine::cleanTrackingParameters(trimmed).cleanedText;
        break;
    case ZubActionKind::calculate:
        planCalculation(plan, trimmed, language);
        break;
    case ZubActionKind::wordStats:
        plan.outputText = statsReport(trimmed, language);
        break;
    case ZubActionKind::qrCode:
        planQRCode(plan, trimmed, language);
        break;
    case ZubActionKind::dictionary:
        if (const auto entry = ZubOfflineTextEngine::lookupDictionary(trimmed)) {
            plan.outputText = *entry;
        } else {
            plan.outputText = dictionaryMiss(trimmed, language);
            plan.isError = true;
        }
        break;
    case ZubActionKind::caseTransform:
        plan.outputText = ZubOfflineTextEngine::transformCase(trimmed, config.preferredCaseStyle);
        plan.title += QStringLiteral(" · ") + ZubCaseTransformStyles::displayName(config.preferredCaseStyle, language);
        plan.titleCaseStyle = config.preferredCaseStyle;
        break;
    case ZubActionKind::openWebSearch:
        plan.outputText = ZubTranslationAndAIService::webSearchURL(trimmed);
        break;
    case ZubActionKind::speak:
        plan.outputText = trimmed;
        break;
    case ZubActionKind::customAI:
        if (offline) {
            plan.outputText = pick(QStringLiteral("Custom AI actions require Local Ollama or an AI provider. Switch "
                                                  "Backend from Offline Only in Settings."),
                                   QStringLiteral("Özel AI aksiyonları için Yerel Ollama veya bir AI sağlayıcı gerekir. "
                                                  "Ayarlar'dan arka ucu değiştirin."),
                                   language);
            plan.isError = true;
        } else {
            viaAI(customPrompt(action), std::nullopt);
        }
        break;
    }
    return plan;
}

Plan planSafely(const ZubActionDefinition& action, const QString& trimmed, const ZubConfig& config,
                QuorLanguage language, const QString& title)
{
    try {
        return planAction(action, trimmed, config, language, title);
    } catch (...) {
        Plan plan;
        plan.title = title;
        plan.outputText = describe(std::current_exception(), language);
        plan.isError = true;
        return plan;
    }
}

ZubExecutionResult finish(const ZubActionDefinition& action, const QString& inputText, Plan plan,
                          const QElapsedTimer& clock)
{
    const double elapsedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    ZubExecutionResult result;
    result.id = QUuid::createUuid();
    result.actionKind = action.kind;
    result.actionTitle = std::move(plan.title);
    result.actionTitleEN = action.titleEN;
    result.actionTitleTR = action.titleTR;
    result.titleCaseStyle = plan.titleCaseStyle;
    result.inputText = inputText;
    result.outputText = std::move(plan.outputText);
    result.detectedLanguageCode = std::move(plan.detectedCode);
    result.targetLanguageCode = std::move(plan.targetCode);
    result.qrPNGData = std::move(plan.qrPNGData);
    result.isError = plan.isError;
    result.durationMs = std::max<qint64>(1, std::llround(elapsedMs));
    result.createdAt = QDateTime::currentDateTimeUtc();
    return result;
}

QCoro::Task<> saveKey(std::shared_ptr<ZubSecretStore> store, QString key, QuorAIProvider provider, QString host)
{
    const QString trimmed = key.trimmed();
    const QString service = ZubTranslationAndAIService::keychainService;
    const QString account = ZubTranslationAndAIService::keychainAccount(provider);
    const QString hostAccount = ZubTranslationAndAIService::keychainHostAccount(provider);
    if (!store) {
        if (trimmed.isEmpty()) {
            co_return;
        }
        throw QuorError(QStringLiteral("The system keyring is not available."),
                        QStringLiteral("Sistem anahtarlığı kullanılamıyor."));
    }
    if (trimmed.isEmpty()) {
        co_await store->remove(service, account);
        co_await store->remove(service, hostAccount);
        co_return;
    }
    co_await store->save(trimmed, service, account);
    std::exception_ptr failure;
    try {
        co_await store->save(host, service, hostAccount);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // A key must never stand beside the host of the key before it: without its own host it goes.
        co_await store->remove(service, account);
        std::rethrow_exception(failure);
    }
}

QCoro::Task<std::optional<QString>> loadKey(std::shared_ptr<ZubSecretStore> store, QuorAIProvider provider)
{
    if (!store) {
        co_return std::nullopt;
    }
    co_return co_await store->load(ZubTranslationAndAIService::keychainService,
                                   ZubTranslationAndAIService::keychainAccount(provider));
}

struct StoredKey {
    QString key;
    QString host; // lower-cased
};

// The host a key kept from before keys carried their host was saved for. That key went to whatever
// endpoint the settings named, so the endpoint named now is taken when it is a public https address;
// a local runtime there (an earlier catalog pick could leave one) or plain http was never what a
// cloud key was meant for, and then the provider's own endpoint is.
QString hostOfKeyFromBefore(QuorAIProvider provider, const QString& endpointURL)
{
    const QUrl endpoint(endpointURL.trimmed());
    const QString host = QuorCredentialRoute::credentialHost(endpoint);
    if (endpoint.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 && !host.isEmpty()
        && !QuorCredentialRoute::isPrivateNetwork(endpoint)) {
        return host;
    }
    return QuorCredentialRoute::credentialHost(QuorAIProviders::defaultEndpoint(provider));
}

// The stored key and the host it was saved for. A key kept from before keys carried their host gets
// one now (see above), recorded so that it stays with that host when the endpoint changes later.
QCoro::Task<std::optional<StoredKey>> loadStoredKey(std::shared_ptr<ZubSecretStore> store, QuorAIProvider provider,
                                                    QString endpointURL)
{
    const std::optional<QString> key = co_await loadKey(store, provider);
    if (!key || key->isEmpty()) {
        co_return std::nullopt;
    }
    const QString service = ZubTranslationAndAIService::keychainService;
    const QString hostAccount = ZubTranslationAndAIService::keychainHostAccount(provider);
    const std::optional<QString> host = co_await store->load(service, hostAccount);
    if (host && !host->trimmed().isEmpty()) {
        co_return StoredKey{*key, host->trimmed().toLower()};
    }
    StoredKey stored{*key, hostOfKeyFromBefore(provider, endpointURL)};
    try {
        co_await store->save(stored.host, service, hostAccount);
    } catch (...) {
        // Unrecorded, the same host is found again next time, unless the endpoint changed meanwhile.
    }
    co_return stored;
}

QCoro::Task<std::optional<QString>> loadKeyHost(std::shared_ptr<ZubSecretStore> store, QuorAIProvider provider,
                                                QString endpointURL)
{
    const std::optional<StoredKey> stored = co_await loadStoredKey(std::move(store), provider, std::move(endpointURL));
    co_return stored ? std::optional<QString>(stored->host) : std::nullopt;
}

// The stored key when it was saved for the endpoint's host; nothing for any other host.
QCoro::Task<std::optional<QString>> loadKeyFor(std::shared_ptr<ZubSecretStore> store, QuorAIProvider provider,
                                               QString endpointURL)
{
    const std::optional<StoredKey> stored = co_await loadStoredKey(std::move(store), provider, endpointURL);
    if (!stored || stored->host != QuorCredentialRoute::credentialHost(endpointURL)) {
        co_return std::nullopt;
    }
    co_return stored->key;
}

QCoro::Task<> deleteKey(std::shared_ptr<ZubSecretStore> store, QuorAIProvider provider)
{
    if (store) {
        co_await store->remove(ZubTranslationAndAIService::keychainService,
                               ZubTranslationAndAIService::keychainAccount(provider));
        co_await store->remove(ZubTranslationAndAIService::keychainService,
                               ZubTranslationAndAIService::keychainHostAccount(provider));
    }
}

} // namespace

const QString ZubTranslationAndAIService::keychainService = QStringLiteral("com.tallowmer.quorzub");

QString ZubTranslationAndAIService::keychainAccount(QuorAIProvider provider)
{
    return QStringLiteral("ai-api-key-") + QuorAIProviders::rawValue(provider);
}

QString ZubTranslationAndAIService::keychainHostAccount(QuorAIProvider provider)
{
    return keychainAccount(provider) + QStringLiteral("-host");
}

ZubTranslationAndAIService::ZubTranslationAndAIService(std::shared_ptr<ZubAIChatClient> aiClient,
                                                       std::shared_ptr<ZubSecretStore> secretStore,
                                                       QUrl webTranslationBaseURL, QNetworkAccessManager* network)
    : m_aiClient(std::move(aiClient)), m_secretStore(std::move(secretStore)),
      m_webTranslationBaseURL(std::move(webTranslationBaseURL)), m_network(network)
{
}

QCoro::Task<ZubExecutionResult> ZubTranslationAndAIService::execute(ZubActionDefinition action, QString inputText,
                                                                    ZubConfig config, QuorLanguage language,
                                                                    QuorCancellationToken cancel) const
{
    return run(m_aiClient, m_secretStore, m_webTranslationBaseURL, m_network, m_webTranslationDeadline,
               std::move(action), std::move(inputText), std::move(config), language, std::move(cancel));
}

QCoro::Task<> ZubTranslationAndAIService::saveAPIKey(QString key, QuorAIProvider provider, QString endpointURL) const
{
    return saveKey(m_secretStore, std::move(key), provider, QuorCredentialRoute::credentialHost(endpointURL));
}

QCoro::Task<std::optional<QString>> ZubTranslationAndAIService::savedAPIKeyHost(QuorAIProvider provider,
                                                                               QString endpointURL) const
{
    return loadKeyHost(m_secretStore, provider, std::move(endpointURL));
}

QCoro::Task<std::optional<QString>> ZubTranslationAndAIService::loadAPIKey(QuorAIProvider provider) const
{
    return loadKey(m_secretStore, provider);
}

QCoro::Task<> ZubTranslationAndAIService::deleteAPIKey(QuorAIProvider provider) const
{
    return deleteKey(m_secretStore, provider);
}

QCoro::Task<ZubExecutionResult> ZubTranslationAndAIService::run(std::shared_ptr<ZubAIChatClient> aiClient,
                                                                std::shared_ptr<ZubSecretStore> secretStore,
                                                                QUrl webBaseURL, QPointer<QNetworkAccessManager> network,
                                                                std::chrono::milliseconds webDeadline,
                                                                ZubActionDefinition action, QString inputText,
                                                                ZubConfig config, QuorLanguage language,
                                                                QuorCancellationToken cancel)
{
    QElapsedTimer clock;
    clock.start();
    const QString title = pick(action.titleEN, action.titleTR, language);
    const QString trimmed = inputText.trimmed();
    if (trimmed.isEmpty()) {
        Plan empty;
        empty.title = title;
        empty.outputText = pick(QStringLiteral("Select or enter some text first."),
                                QStringLiteral("Önce bir metin seçin veya yazın."), language);
        empty.isError = true;
        co_return finish(action, inputText, std::move(empty), clock);
    }

    Plan plan = co_await QtConcurrent::run(planSafely, action, trimmed, config, language, title);

    if (plan.network == NetworkStep::aiCompletion) {
        try {
            // Only the bring-your-own-key provider takes a key from the keyring, and only for the
            // host it was saved for: a catalog pick or an edited endpoint that points elsewhere (a
            // local runtime, another service) never receives it. The credits gateway uses the
            // signed-in account and the local server needs none.
            std::optional<QString> apiKey;
            if (config.aiConfig.provider == QuorAIProvider::openAI) {
                apiKey = co_await loadKeyFor(secretStore, QuorAIProvider::openAI, config.aiConfig.endpointURL);
            }
            if (!aiClient) {
                throw QuorError(QStringLiteral("No AI client is available."),
                                QStringLiteral("Kullanılabilir bir AI istemcisi yok."));
            }
            const std::optional<QString> answer =
                serverText(co_await aiClient->complete(plan.systemPrompt, trimmed, config.aiConfig, apiKey, cancel));
            if (!answer) {
                throw QuorAIClientError::emptyResponse();
            }
            plan.outputText = *answer;
        } catch (...) {
            plan.outputText = describe(std::current_exception(), language) + QStringLiteral("\n\n")
                + providerHint(config.aiConfig, language);
            plan.isError = true;
        }
    } else if (plan.network == NetworkStep::webTranslation) {
        try {
            const WebTranslation web = co_await fetchFreeWebTranslation(
                network, webBaseURL, trimmed, plan.targetCode.value_or(QString()), cancel, webDeadline);
            const std::optional<QString> translated = serverText(web.translated);
            if (!translated) {
                throw ZubTranslationServiceError::parseFailure();
            }
            plan.outputText = *translated;
            if (const auto reported = serverText(web.detectedLanguage.value_or(QString()))) {
                plan.detectedCode = reported;
            }
        } catch (...) {
            plan.outputText = pick(QStringLiteral("Web translation failed: "),
                                   QStringLiteral("Web çevirisi başarısız oldu: "), language)
                + describe(std::current_exception(), language);
            plan.isError = true;
        }
    }
    co_return finish(action, trimmed, std::move(plan), clock);
}
