#include "QuorZubApp/Views/Studio/ZubStudioHeaderPresentation.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <algorithm>

namespace {
QColor white(double opacity)
{
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity));
}
} // namespace

const QList<ZubStudioTab>& ZubStudioHeaderPresentation::tabOrder()
{
    static const QList<ZubStudioTab> order{ZubStudioTab::playground, ZubStudioTab::actions, ZubStudioTab::history,
                                           ZubStudioTab::settings};
    return order;
}

QString ZubStudioHeaderPresentation::tabTitle(ZubStudioTab tab, QuorLanguage language, qsizetype enabledActions,
                                              qsizetype historyRecords)
{
    switch (tab) {
    case ZubStudioTab::playground:
        return quorText(QStringLiteral("Playground"), QStringLiteral("Oyun Alanı"), {}, language);
    case ZubStudioTab::actions: {
        const QString count = QString::number(enabledActions);
        return quorText(QStringLiteral("Actions (") + count + QLatin1Char(')'),
                        QStringLiteral("Aksiyonlar (") + count + QLatin1Char(')'), {}, language);
    }
    case ZubStudioTab::history: {
        const QString count = QString::number(historyRecords);
        return quorText(QStringLiteral("History (") + count + QLatin1Char(')'),
                        QStringLiteral("Geçmiş (") + count + QLatin1Char(')'), {}, language);
    }
    case ZubStudioTab::settings:
        return quorText(QStringLiteral("Settings"), QStringLiteral("Ayarlar"), {}, language);
    }
    return {};
}

QString ZubStudioHeaderPresentation::tabIcon(ZubStudioTab tab)
{
    switch (tab) {
    case ZubStudioTab::playground: return QStringLiteral("sparkles.rectangle.stack.fill");
    case ZubStudioTab::actions: return QStringLiteral("slider.horizontal.3");
    case ZubStudioTab::history: return QStringLiteral("clock.arrow.circlepath");
    case ZubStudioTab::settings: return QStringLiteral("gearshape.fill");
    }
    return {};
}

ZubStudioHeaderPresentation ZubStudioHeaderPresentation::make(QuorLanguage language, ZubStudioTab selectedTab,
                                                              qsizetype enabledActions, qsizetype historyRecords,
                                                              bool autoShowOnSelection, bool isOCRCapturing)
{
    ZubStudioHeaderPresentation p;
    p.productName = QStringLiteral("QuorZub");
    p.versionTooltip = quorText(QStringLiteral("Version & Runtime Logs"), QStringLiteral("Sürüm & Uygulama Logları"), {},
                                language);
    for (const ZubStudioTab tab : tabOrder()) {
        p.tabs.append({tab, tabTitle(tab, language, enabledActions, historyRecords), tabIcon(tab), tab == selectedTab});
    }
    p.autoShowEnabled = autoShowOnSelection;
    p.autoPillLabel = autoShowOnSelection ? quorText(QStringLiteral("Auto-Zub"), QStringLiteral("Otomatik"), {}, language)
                                          : quorText(QStringLiteral("Paused"), QStringLiteral("Duraklatıldı"), {}, language);
    p.ocrTitle = isOCRCapturing ? quorText(QStringLiteral("Capturing…"), QStringLiteral("Yakalanıyor…"), {}, language)
                                : quorText(QStringLiteral("OCR Translate"), QStringLiteral("OCR Çevir"), {}, language);
    p.ocrEnabled = !isOCRCapturing;
    return p;
}

ZubStudioHeaderPresentation ZubStudioHeaderPresentation::make(const ZubStudioModel& model)
{
    // Counted, not sorted: the header is made again at every change of the model, and the list may
    // hold thousands of actions.
    const QList<ZubActionDefinition>& actions = model.config().actions;
    const qsizetype enabled = std::count_if(actions.cbegin(), actions.cend(),
                                            [](const ZubActionDefinition& action) { return action.isEnabled; });
    return make(model.language(), model.selectedTab(), enabled, model.history().size(),
                model.config().autoShowOnSelection, model.isOCRCapturing());
}

ZubStudioHeaderPresentation::TabLook ZubStudioHeaderPresentation::tabLook(bool isActive, bool isHovered)
{
    if (isActive) {
        return {true, white(1.0), white(0.14)};
    }
    return {false, white(isHovered ? 0.88 : 0.62), isHovered ? white(0.06) : QColor(Qt::transparent)};
}

ZubStudioHeaderPresentation::PillLook ZubStudioHeaderPresentation::pillLook(bool isEnabled, bool isHovered)
{
    const QColor dot = isEnabled ? QuorGlassTokens::success() : white(0.32);
    const QColor label = white(isEnabled || isHovered ? 0.92 : 0.6);
    const QColor background = white(isHovered ? 0.11 : (isEnabled ? 0.08 : 0.04));
    return {dot, label, background};
}
