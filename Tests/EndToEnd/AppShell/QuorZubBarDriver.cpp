#include "QuorZubBarDriver.h"

#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorZubApp/Views/ZubFloatingBarContentView.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubCore/Engine/ZubFloatingBarLayoutMetrics.h"
#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"

#include "Support/QuorTestSupport.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QWidget>

namespace quorzub_bar {

ZubConfig testConfig(const QList<ZubActionKind>& wanted, bool autoShow)
{
    ZubConfig config = ZubConfig::defaultConfig();
    config.translationBackend = ZubTranslationBackend::offlineOnly;
    config.autoShowOnSelection = autoShow;
    config.hideDelaySeconds = 0;
    for (ZubActionDefinition& action : config.actions) {
        action.isEnabled = wanted.contains(action.kind);
    }
    return config;
}

QPoint barControl(const X11Windows::Client& shown, const ZubConfig& config, const QString& text,
                  const QString& objectName, const std::optional<ZubExecutionResult>& result)
{
    ZubFloatingBarState state;
    state.setSourceText(text);
    state.setDetectedLanguageCode(ZubOfflineTextEngine::detectLanguage(text));
    state.setActions(config.enabledActions());
    state.setLanguage(QuorLanguage::en);
    state.setTargetLanguage(config.targetLanguage);
    state.setCanReplaceInPlace(true);
    state.setResult(result);
    state.setIsPresented(true);
    QWidget twin;
    twin.setAttribute(Qt::WA_DontShowOnScreen);
    auto* content = new ZubFloatingBarContentView(&state, {}, QuorProductPalette::deepCoral, &twin);
    twin.resize(shown.geometry.size());
    content->resize(shown.geometry.size());
    twin.show();
    QCoreApplication::processEvents();
    const auto* control = content->findChild<QWidget*>(objectName);
    if (control == nullptr) {
        qWarning("no bar control %s", qPrintable(objectName));
        return {};
    }
    QRect area(control->mapTo(content, QPoint()), control->size());
    // A pill may be partly scrolled out of the pill row: aim at its visible part.
    if (const auto* row = content->findChild<QAbstractScrollArea*>(QStringLiteral("pillScroll"));
        row != nullptr && row->isAncestorOf(control)) {
        area &= QRect(row->viewport()->mapTo(content, QPoint()), row->viewport()->size());
    }
    return shown.geometry.topLeft() + area.center();
}

ZubExecutionResult resultOf(const QJsonObject& record)
{
    ZubExecutionResult result;
    result.actionKind = *ZubActionKinds::fromRawValue(record.value(QStringLiteral("actionKind")).toString());
    result.actionTitle = record.value(QStringLiteral("actionTitle")).toString();
    result.inputText = record.value(QStringLiteral("inputText")).toString();
    result.outputText = record.value(QStringLiteral("outputText")).toString();
    if (record.contains(QStringLiteral("detectedLanguageCode"))) {
        result.detectedLanguageCode = record.value(QStringLiteral("detectedLanguageCode")).toString();
    }
    if (record.contains(QStringLiteral("targetLanguageCode"))) {
        result.targetLanguageCode = record.value(QStringLiteral("targetLanguageCode")).toString();
    }
    result.durationMs = record.value(QStringLiteral("durationMs")).toInteger();
    result.isError = record.value(QStringLiteral("isError")).toBool();
    return result;
}

bool waitUntilLaunched(const QuorZubInstance& zub, const X11Windows& windows)
{
    std::optional<X11Windows::Client> studio;
    return quorWaitFor([&] { return (studio = windows.find(zub.pid(), studioTitle)).has_value(); })
           && quorWaitFor([&] { return windows.activeWindow() == studio->window; });
}

std::optional<X11Windows::Client> waitForBar(const QuorZubInstance& zub, const X11Windows& windows,
                                             const ZubConfig& config, const std::optional<ZubExecutionResult>& result)
{
    const QSize size = ZubFloatingBarLayoutMetrics::computePanelSize(static_cast<int>(config.enabledActions().size()),
                                                                     result.has_value(), false,
                                                                     result && result->qrPNGData.has_value())
                           .toSize();
    std::optional<X11Windows::Client> shown;
    if (!quorWaitFor([&] {
            shown = windows.find(zub.pid(), barTitle);
            return shown && shown->geometry.size() == size;
        })) {
        qWarning("the bar is not up at %dx%d", size.width(), size.height());
        return std::nullopt;
    }
    return shown;
}

} // namespace quorzub_bar
