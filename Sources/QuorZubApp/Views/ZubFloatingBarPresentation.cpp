#include "QuorZubApp/Views/ZubFloatingBarPresentation.h"

#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubApp/Views/ZubResultTextPreview.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorGraphemes.h"

#include <algorithm>

namespace {
constexpr qsizetype kPreviewLength = 72;
} // namespace

ZubFloatingBarPresentation::ResultCard ZubFloatingBarPresentation::makeResultCard(const ZubExecutionResult& r,
                                                                                  const ZubFloatingBarState& state)
{
    const QuorLanguage language = state.language();
    ResultCard card;
    card.isError = r.isError;
    card.headerSymbol = r.isError ? QStringLiteral("exclamationmark.triangle.fill")
                                  : ZubActionKinds::defaultSymbolName(r.actionKind);
    card.title = r.localizedActionTitle(language); // follows a change of interface language
    if (r.detectedLanguageCode && r.targetLanguageCode) {
        card.languageCapsule = r.detectedLanguageCode->toUpper() + QStringLiteral(" → ") + r.targetLanguageCode->toUpper();
    }
    card.duration = QString::number(r.durationMs) + QStringLiteral(" ms");
    if (r.qrPNGData) {
        if (state.cachedQRImage() && !state.cachedQRImage()->isNull()) {
            card.qrImage = state.cachedQRImage();
        } else {
            // Decoded for display only; the state keeps no copy.
            const QImage decoded = QImage::fromData(*r.qrPNGData, "PNG");
            if (!decoded.isNull()) {
                card.qrImage = decoded;
            }
        }
    }
    card.outputText = ZubResultTextPreview::make(r.outputText, language);
    card.outputName = quorText(QStringLiteral("Result: %1"), QStringLiteral("Sonuç: %1"), {}, language).arg(card.title);
    card.inputText = ZubResultTextPreview::make(r.inputText, language);
    card.saveTitle = quorText(QStringLiteral("Save PNG"), QStringLiteral("PNG Kaydet"), {}, language);
    card.copyTitle = quorText(QStringLiteral("Copy"), QStringLiteral("Kopyala"), {}, language);
    card.showsReplace = !r.isError && state.canReplaceInPlace() && ZubActionKinds::supportsInPlaceReplace(r.actionKind)
                        && !r.qrPNGData;
    card.replaceTitle = quorText(QStringLiteral("Replace"), QStringLiteral("Değiştir"), {}, language);
    card.showsSpeak = !r.qrPNGData && !r.outputText.isEmpty();
    card.speakIsActive = state.isSpeaking();
    card.speakTitle = state.isSpeaking() ? quorText(QStringLiteral("Stop"), QStringLiteral("Durdur"), {}, language)
                                         : quorText(QStringLiteral("Speak"), QStringLiteral("Seslendir"), {}, language);
    card.speakSymbol = state.isSpeaking() ? QStringLiteral("stop.fill") : QStringLiteral("speaker.wave.2.fill");
    card.closeTitle = quorText(QStringLiteral("Close"), QStringLiteral("Kapat"), {}, language);
    return card;
}

ZubFloatingBarPresentation::Pill ZubFloatingBarPresentation::makePill(const ZubFloatingBarState& state, qsizetype index)
{
    const ZubActionDefinition& action = state.actions()[index];
    return {action, action.localizedTitle(state.language()), state.activeActionID() == action.id};
}

QList<ZubFloatingBarPresentation::Pill> ZubFloatingBarPresentation::makePills(const ZubFloatingBarState& state,
                                                                             qsizetype first, qsizetype count)
{
    const qsizetype total = state.actions().size();
    first = std::clamp<qsizetype>(first, 0, total);
    const qsizetype end = count < 0 ? total : std::min(total, first + count);
    QList<Pill> pills;
    pills.reserve(end - first);
    for (qsizetype i = first; i < end; ++i) {
        pills.append(makePill(state, i));
    }
    return pills;
}

ZubFloatingBarPresentation ZubFloatingBarPresentation::make(const ZubFloatingBarState& state, qsizetype firstPill,
                                                            qsizetype pillCount)
{
    const QuorLanguage language = state.language();
    ZubFloatingBarPresentation p;
    if (const auto& code = state.detectedLanguageCode()) {
        p.languageBadge = code->toUpper() + QStringLiteral("→") + ZubTargetLanguages::shortBadge(state.targetLanguage());
    }
    p.badgeTooltip = quorText(QStringLiteral("Click to cycle target language"),
                              QStringLiteral("Hedef dili değiştirmek için tıklayın"), {}, language);
    p.dismissTooltip = quorText(QStringLiteral("Dismiss (Esc)"), QStringLiteral("Kapat (Esc)"), {}, language);
    p.firstPill = std::clamp<qsizetype>(firstPill, 0, state.actions().size());
    p.pills = makePills(state, p.firstPill, pillCount);
    if (state.isExecuting()) {
        p.card = Card::running;
        p.runningTitle = quorText(QStringLiteral("Processing selection..."), QStringLiteral("Seçili metin işleniyor..."),
                                  {}, language);
        p.runningPreview = QuorGraphemes::prefix(state.sourceText(), kPreviewLength);
    } else if (const auto& result = state.result()) {
        p.card = Card::result;
        p.result = makeResultCard(*result, state);
    }
    return p;
}
