#include "QuorZubApp/Views/Studio/ZubPlaygroundPresentation.h"

#include "QuorZubApp/Views/ZubResultTextPreview.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"
#include "QuorZubCore/Models/ZubActionKind.h"
#include "QuorZubCore/Models/ZubCaseTransformStyle.h"
#include "QuorZubCore/Models/ZubTargetLanguage.h"
#include "QuorZubCore/Models/ZubTranslationBackend.h"

#include <algorithm>

namespace {
QString t(const char* en, const char* tr, QuorLanguage language)
{
    return quorText(QString::fromUtf8(en), QString::fromUtf8(tr), {}, language);
}
} // namespace

QList<ZubPlaygroundPresentation::Sample> ZubPlaygroundPresentation::sampleTexts(QuorLanguage language)
{
    return {
        {t("TR Paragraph", "TR Metin", language),
         QStringLiteral("Bugün yeni Linux uygulamamızın çevrimdışı dil algılama ve ekran OCR motorunu tamamladık.")},
        {t("EN Paragraph", "EN Metin", language),
         QStringLiteral("Native Linux apps built with Swift 6 feel remarkably responsive and respect user privacy.")},
        {t("Dirty URL", "Takip URL", language),
         QStringLiteral("https://tallowmer.com/quorzub?version=1&utm_source=twitter&utm_campaign=launch"
                        "&fbclid=IwAR2abc&si=xyz99#features")},
        {t("Math %", "Matematik %", language), QStringLiteral("4250 + 20%")},
        {t("Comma Decimal", "Virgüllü Hesap", language), QStringLiteral("(12,5 * 4) + 7,5")},
        {t("Markdown", "Markdown", language),
         QStringLiteral("## **QuorZub** Release\n- Fast [Swift 6](https://www.swift.org) engine\n- `100%` offline tools")},
        {t("Dictionary", "Sözlük", language), QStringLiteral("serendipity")},
    };
}

std::optional<QString> ZubPlaygroundPresentation::detectedBadgeFor(const QString& text, QuorLanguage language)
{
    return detectedBadgeFor(ZubOfflineTextEngine::detectLanguage(text), language);
}

std::optional<QString> ZubPlaygroundPresentation::detectedBadgeFor(const std::optional<QString>& languageCode,
                                                                   QuorLanguage language)
{
    if (!languageCode) {
        return std::nullopt;
    }
    return t("Detected", "Algılanan", language) + QStringLiteral(": ") + languageCode->toUpper();
}

QString ZubPlaygroundPresentation::statsTextFor(const QString& text, QuorLanguage language)
{
    return statsTextFor(ZubOfflineTextEngine::analyzeStats(text), language);
}

QString ZubPlaygroundPresentation::statsTextFor(const ZubTextStats& stats, QuorLanguage language)
{
    return QString::number(stats.words) + QLatin1Char(' ') + t("words", "kelime", language) + QStringLiteral(" · ") +
           QString::number(stats.characters) + QLatin1Char(' ') + t("chars", "krk", language);
}

ZubPlaygroundPresentation::ResultCard ZubPlaygroundPresentation::makeResultCard(const ZubExecutionResult& result,
                                                                           bool isSpeaking, QuorLanguage language)
{
    ResultCard card;
    card.isError = result.isError;
    card.headerSymbol = result.isError ? QStringLiteral("exclamationmark.triangle.fill")
                                       : ZubActionKinds::defaultSymbolName(result.actionKind);
    card.title = result.localizedActionTitle(language);
    if (result.detectedLanguageCode && result.targetLanguageCode) {
        card.languageBadge = result.detectedLanguageCode->toUpper() + QStringLiteral(" → ") +
                             result.targetLanguageCode->toUpper();
    }
    card.duration = QString::number(result.durationMs) + QStringLiteral(" ms");
    if (result.qrPNGData) {
        QImage image;
        if (image.loadFromData(*result.qrPNGData, "PNG") && !image.isNull()) {
            card.qrImage = image;
        }
    }
    card.outputText = ZubResultTextPreview::make(result.outputText, language, shownResultCharacters);
    card.inputText = ZubResultTextPreview::make(result.inputText, language, shownResultCharacters);
    card.copyTitle = card.qrImage ? t("Copy Image", "Görseli Kopyala", language)
                                  : t("Copy Result", "Sonucu Kopyala", language);
    card.saveTitle = t("Save PNG", "PNG Kaydet", language);
    card.showsReplace = !card.qrImage && !result.isError && ZubActionKinds::supportsInPlaceReplace(result.actionKind);
    card.replaceTitle = t("Replace Input", "Girdiyi Değiştir", language);
    card.speakIsActive = isSpeaking;
    card.speakTitle = isSpeaking ? t("Stop Speech", "Durdur", language) : t("Speak (TTS)", "Sesli Oku", language);
    card.speakSymbol = isSpeaking ? QStringLiteral("stop.fill") : QStringLiteral("speaker.wave.2.fill");
    return card;
}

ZubPlaygroundPresentation ZubPlaygroundPresentation::make(const QString& text,
                                                           const std::optional<ZubExecutionResult>& result, bool isBusy,
                                                           bool isSpeaking, const ZubConfig& config,
                                                           QuorLanguage language)
{
    return makeFromFigures(ZubPlaygroundFigures::measure(text), result, isBusy, isSpeaking, config, language);
}

ZubPlaygroundPresentation::TileList ZubPlaygroundPresentation::tilesFor(const ZubConfig& config, QuorLanguage language,
                                                                       qsizetype limit)
{
    // The enabled actions in the bar's order, as ZubConfig::enabledActions() gives them, without
    // copying thousands of them to keep a screenful.
    QList<const ZubActionDefinition*> enabled;
    for (const ZubActionDefinition& action : config.actions) {
        if (action.isEnabled) {
            enabled.append(&action);
        }
    }
    std::stable_sort(enabled.begin(), enabled.end(),
                     [](const ZubActionDefinition* a, const ZubActionDefinition* b) { return a->order < b->order; });
    TileList list;
    list.total = enabled.size();
    const qsizetype shown = std::min(limit, list.total);
    list.tiles.reserve(shown);
    for (qsizetype i = 0; i < shown; ++i) {
        const ZubActionDefinition& action = *enabled[i];
        list.tiles.append({action, action.symbolName, quorText(action.titleEN, action.titleTR, {}, language),
                           ZubActionKinds::isAIPowered(action.kind)});
    }
    return list;
}

ZubPlaygroundPresentation ZubPlaygroundPresentation::makeFromFigures(const std::optional<Figures>& figures,
                                                                      const std::optional<ZubExecutionResult>& result,
                                                                      bool isBusy, bool isSpeaking,
                                                                      const ZubConfig& config, QuorLanguage language)
{
    return makeFromFigures(figures, result, isBusy, isSpeaking, config, language, tilesFor(config, language));
}

ZubPlaygroundPresentation ZubPlaygroundPresentation::makeFromFigures(const std::optional<Figures>& figures,
                                                                      const std::optional<ZubExecutionResult>& result,
                                                                      bool isBusy, bool isSpeaking,
                                                                      const ZubConfig& config, QuorLanguage language,
                                                                      TileList tiles)
{
    ZubPlaygroundPresentation p;
    p.statusPills = {
        {QStringLiteral("globe"), t("Target", "Hedef", language), ZubTargetLanguages::shortBadge(config.targetLanguage)},
        {QStringLiteral("cpu"), t("Backend", "Arka Uç", language),
         ZubTranslationBackends::shortBadge(config.translationBackend, language)},
        {QStringLiteral("keyboard"), t("Zub / OCR", "Zub / OCR", language), QStringLiteral("Ctrl+Alt+A · Ctrl+Alt+Shift+O")},
    };
    p.previewTitle = t("Preview Floating Bar", "Yüzen Çubuğu Önizle", language);
    p.inputTitle = t("Live Sandbox Input", "Canlı Oyun Alanı Metni", language);
    p.inputSubtitle = t("Paste or pick a sample below to test every offline & AI action immediately.",
                        "Tüm çevrimdışı ve AI aksiyonlarını anında denemek için metin yapıştırın veya örnek seçin.",
                        language);
    if (figures) {
        p.detectedBadge = detectedBadgeFor(figures->languageCode, language);
        p.statsText = statsTextFor(figures->stats, language);
    }
    p.samples = sampleTexts(language);

    p.targetMenu.symbol = QStringLiteral("globe");
    p.targetMenu.label = ZubTargetLanguages::displayName(config.targetLanguage, language);
    for (const ZubTargetLanguage target : ZubTargetLanguages::allCases()) {
        p.targetMenu.items << ZubTargetLanguages::displayName(target, language);
    }
    p.targetMenu.currentIndex = static_cast<int>(ZubTargetLanguages::allCases().indexOf(config.targetLanguage));
    p.caseMenu.symbol = QStringLiteral("textformat");
    p.caseMenu.label = ZubCaseTransformStyles::displayName(config.preferredCaseStyle, language);
    for (const ZubCaseTransformStyle style : ZubCaseTransformStyles::allCases()) {
        p.caseMenu.items << ZubCaseTransformStyles::displayName(style, language);
    }
    p.caseMenu.currentIndex = static_cast<int>(ZubCaseTransformStyles::allCases().indexOf(config.preferredCaseStyle));
    p.pasteTitle = t("Paste Clipboard", "Panodan Yapıştır", language);
    p.clearTitle = t("Clear", "Temizle", language);

    p.gridTitle = t("Run Any Zub Action", "Bir Zub Aksiyonu Çalıştır", language);
    p.tiles = std::move(tiles.tiles);
    p.tileCount = tiles.total;
    p.tilesEnabled = !isBusy;

    p.busyTitle = t("Executing action...", "Aksiyon çalıştırılıyor...", language);
    if (isBusy) {
        p.resultState = ResultState::busy;
    } else if (result) {
        p.result = makeResultCard(*result, isSpeaking, language);
        p.resultState = p.result->qrImage ? ResultState::qrResult : ResultState::textResult;
    }
    return p;
}

ZubPlaygroundPresentation ZubPlaygroundPresentation::make(const ZubStudioModel& model)
{
    return make(model.playgroundText(), model.playgroundResult(), model.isPlaygroundBusy(), model.isSpeaking(),
                model.config(), model.language());
}
