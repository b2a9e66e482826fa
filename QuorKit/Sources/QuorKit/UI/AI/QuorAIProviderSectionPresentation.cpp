#include "QuorKit/UI/AI/QuorAIProviderSectionPresentation.h"

#include "QuorKit/Cloud/QuorCredentialRoute.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Credits/QuorCreditsHeaderPill.h"

namespace {
QString t(const QString& en, const QString& tr, QuorLanguage language)
{
    return quorText(en, tr, {}, language);
}

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QuorAIProviderSectionPresentation::Tile tile(QuorAIProvider provider, const QuorAIProviderSectionPresentation::Inputs& in)
{
    QuorAIProviderSectionPresentation::Tile tile;
    tile.provider = provider;
    switch (provider) {
    case QuorAIProvider::ollamaLocal:
        tile.title = t(QStringLiteral("Local Ollama"), QStringLiteral("Yerel Ollama"), in.language);
        tile.subtitle = t(QStringLiteral("100% Offline"), QStringLiteral("%100 Çevrimdışı"), in.language);
        tile.symbol = QStringLiteral("desktopcomputer");
        break;
    case QuorAIProvider::openAI:
        tile.title = t(QStringLiteral("OpenAI / BYO Key"), QStringLiteral("OpenAI / BYO Key"), in.language);
        tile.subtitle = t(QStringLiteral("Your API key"), QStringLiteral("Kendi anahtarın"), in.language);
        tile.symbol = QStringLiteral("key.fill");
        break;
    case QuorAIProvider::tallowmerCredits:
        tile.title = t(QStringLiteral("Tallowmer Credits"), QStringLiteral("Tallowmer Kredisi"), in.language);
        tile.subtitle = QuorCreditsHeaderPill::portalHost();
        tile.symbol = QStringLiteral("sparkles");
        break;
    }
    tile.isSelected = provider == in.provider;
    tile.symbolColor = tile.isSelected ? in.accent : QuorGlassTokens::textSecondary();
    tile.fill = tile.isSelected ? QuorGlassTokens::surface3() : QuorGlassTokens::surface1();
    tile.border = tile.isSelected ? withAlpha(in.accent, 0.85) : QuorGlassTokens::borderSubtle();
    return tile;
}

void fillKeyBlock(QuorAIProviderSectionPresentation& p, const QuorAIProviderSectionPresentation::Inputs& in)
{
    const QuorLanguage language = in.language;
    p.keyHeading = t(QStringLiteral("API Key (system keyring)"), QStringLiteral("API Anahtarı (sistem anahtarlığı)"),
                     language);
    p.showsSavedLabel = in.hasSavedAPIKey;
    p.savedLabel = t(QStringLiteral("Saved securely"), QStringLiteral("Güvenle kayıtlı"), language);
    p.keyPlaceholder = in.hasSavedAPIKey
                           ? t(QStringLiteral("Saved in the system keyring — enter a new key to replace…"),
                               QStringLiteral("Sistem anahtarlığında kayıtlı — değiştirmek için yeni anahtar girin…"),
                               language)
                           : t(QStringLiteral("sk-…"), QStringLiteral("sk-…"), language);
    p.saveTitle = t(QStringLiteral("Save Key"), QStringLiteral("Kaydet"), language);
    // One keyring operation at a time: a second press would race the first one's answer.
    p.saveEnabled = !QuorAIProviderSectionPresentation::trimmedKey(in.apiKeyInput).isEmpty() && !in.isWorkingOnKey;
    p.showsClearButton = in.hasSavedAPIKey && in.canClearKey;
    p.clearTitle = t(QStringLiteral("Clear"), QStringLiteral("Temizle"), language);
    p.clearEnabled = !in.isWorkingOnKey;
    p.showsHttpsNotice = QuorCredentialRoute::needsHttpsForCredential(QUrl(in.endpointURL.trimmed()));
    p.httpsNotice = t(QStringLiteral("The API key needs an https:// endpoint: over plain http a key goes only to this "
                                     "computer or your private network."),
                      QStringLiteral("API anahtarı için https:// ile başlayan bir uç nokta gerekir: düz http üzerinden "
                                     "anahtar yalnızca bu bilgisayara veya özel ağınıza gönderilir."),
                      language);
    p.showsFeedback = in.feedback.has_value();
    if (in.feedback) {
        p.feedbackText = in.feedback->text;
        p.feedbackColor = in.feedback->isError ? QuorGlassTokens::danger() : QuorGlassTokens::success();
    }
}

void fillCreditsNote(QuorAIProviderSectionPresentation& p, const QuorAIProviderSectionPresentation::Inputs& in)
{
    const QString host = QuorCreditsHeaderPill::portalHost();
    if (in.isSignedIn) {
        p.noteSymbol = QStringLiteral("checkmark.seal.fill");
        p.noteSymbolColor = QuorGlassTokens::success();
        p.noteText = t(QStringLiteral("Automatically authenticated with your shared ") + host +
                           QStringLiteral(" session token."),
                       QStringLiteral("Ortak ") + host + QStringLiteral(" oturum jetonunuzla otomatik olarak yetkilendirilir."),
                       in.language);
    } else {
        p.noteSymbol = QStringLiteral("info.circle");
        p.noteSymbolColor = in.accent;
        // The sign-in is in the card's credits section, above this one.
        p.noteText = t(QStringLiteral("Connect your ") + host + QStringLiteral(" account above — no separate API key needed."),
                       QStringLiteral("Yukarıdan ") + host + QStringLiteral(" hesabınızı bağlayın — ayrıca API anahtarı gerekmez."),
                       in.language);
    }
}
} // namespace

QuorAIProviderSectionPresentation QuorAIProviderSectionPresentation::make(const Inputs& in)
{
    QuorAIProviderSectionPresentation p;
    p.headerTitle = t(QStringLiteral("AI Provider"), QStringLiteral("AI Sağlayıcı"), in.language);
    p.showsConnectButton = in.canConnect;
    p.connectTitle = t(QStringLiteral("Connect Tolvane"), QStringLiteral("Tolvane Bağla"), in.language);
    for (const QuorAIProvider provider : QuorAIProviders::allCases()) {
        p.tiles.append(tile(provider, in));
    }
    switch (in.provider) {
    case QuorAIProvider::ollamaLocal:
        p.block = Block::none;
        break;
    case QuorAIProvider::openAI:
        p.block = Block::apiKey;
        fillKeyBlock(p, in);
        break;
    case QuorAIProvider::tallowmerCredits:
        p.block = Block::creditsNote;
        fillCreditsNote(p, in);
        break;
    }
    return p;
}

QuorAIProviderSectionPresentation::Selection QuorAIProviderSectionPresentation::selection(QuorAIProvider provider,
                                                                                          bool hasDiscoveredLocalModels)
{
    Selection selection;
    // The whole configuration is replaced: an endpoint or model typed earlier does not survive a
    // change of provider, nor a second choice of the same one.
    selection.config = QuorAIConfig(provider, QuorAIProviders::defaultEndpoint(provider),
                                    QuorAIProviders::defaultModel(provider));
    switch (provider) {
    case QuorAIProvider::ollamaLocal:
        selection.category =
            hasDiscoveredLocalModels ? QuorAIModelFilterCategory::installed : QuorAIModelFilterCategory::local;
        break;
    case QuorAIProvider::openAI:
        selection.category = QuorAIModelFilterCategory::cloud;
        break;
    case QuorAIProvider::tallowmerCredits:
        selection.category = QuorAIModelFilterCategory::tallowmer;
        break;
    }
    return selection;
}

QString QuorAIProviderSectionPresentation::trimmedKey(const QString& input)
{
    return input.trimmed();
}

QuorAPIKeyFeedback QuorAIProviderSectionPresentation::savedFeedback(QuorLanguage language)
{
    return {t(QStringLiteral("API key saved."), QStringLiteral("API anahtarı kaydedildi."), language), false};
}

QuorAPIKeyFeedback QuorAIProviderSectionPresentation::removedFeedback(QuorLanguage language)
{
    return {t(QStringLiteral("API key removed."), QStringLiteral("API anahtarı silindi."), language), false};
}

QuorAPIKeyFeedback QuorAIProviderSectionPresentation::saveFailedFeedback(const QString& reason, QuorLanguage language)
{
    const QString text = reason.trimmed().isEmpty()
                             ? t(QStringLiteral("The API key was not saved."), QStringLiteral("API anahtarı kaydedilmedi."),
                                 language)
                             : reason;
    return {text, true};
}

QuorAPIKeyFeedback QuorAIProviderSectionPresentation::removeFailedFeedback(const QString& reason, QuorLanguage language)
{
    const QString text = reason.trimmed().isEmpty()
                             ? t(QStringLiteral("The API key was not removed."), QStringLiteral("API anahtarı silinemedi."),
                                 language)
                             : reason;
    return {text, true};
}
