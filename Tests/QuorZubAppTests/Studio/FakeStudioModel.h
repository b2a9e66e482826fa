#pragma once

#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorAIModelRegistry.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "Support/QuorTestSupport.h"

#include <QDir>
#include <QStringList>

#include <functional>

// A studio model that keeps its state in memory and records every call the views make, so tests
// see exactly what a control did. Each setter announces a change as the real view model does.
class FakeStudioModel : public ZubStudioModel {
public:
    FakeStudioModel()
    {
        m_config = ZubConfig::defaultConfig();
        const QString folder = quorTestSandboxPath() + QStringLiteral("/studio-logs");
        m_logger = std::make_shared<QuorAppLogger>(QStringLiteral("QuorZub"), folder, QuorAppLogger::defaultMaxFileBytes,
                                                   5, [] { return QuorAppVersion{"1.0.0", "100"}; });
        // A catalog of its own that never leaves this computer: the published catalog and the
        // local servers are asked at an address where nothing listens.
        const QString nowhere = QStringLiteral("http://127.0.0.1:1");
        m_registry = std::make_unique<QuorAIModelRegistry>(quorTestSandboxPath() + QStringLiteral("/studio-catalog"),
                                                           nowhere + QStringLiteral("/models.json"));
        m_catalog = std::make_unique<QuorAIModelCatalogStore>(m_registry.get(), nowhere, nowhere);
    }

    // A shown AI card refreshes the catalog; that refresh ends before the catalog goes, so on a busy
    // machine it is not left suspended when the test process exits (a leak to the sanitizer).
    ~FakeStudioModel() override
    {
        quorWaitFor([this] { return !m_catalog->isSyncing(); }, std::chrono::seconds(20));
    }

    // Every call by name, with its argument when it has one: "persistConfig", "addExcludedBundleID: x".
    QStringList calls;
    // The configuration as last persisted (what config.json would hold).
    std::optional<ZubConfig> persisted;
    QList<ZubActionDefinition> ranActions;
    QList<ZubExecutionResult> copiedResults;
    QList<ZubExecutionResult> spokenResults;
    QList<QByteArray> savedPNGs;
    bool accessibilityAnswer = true;
    bool screenRecordingAnswer = false;
    bool launchAtLoginAccepted = true;
    QList<RunningAppCandidate> workspaceApps;
    std::optional<QuorLanguage> floatingBarLanguage;
    // The keyring's answer to the next key operations: none means it does what it is asked.
    std::optional<QString> keyringRefusal;

    ZubStudioTab selectedTab() const override { return m_tab; }
    void setSelectedTab(ZubStudioTab tab) override { set(m_tab, tab); }
    QuorLanguage language() const override { return m_language; }
    void setLanguage(QuorLanguage language) override
    {
        calls << QStringLiteral("setLanguage: ") + QuorLanguages::rawValue(language);
        set(m_language, language);
    }
    void setFloatingBarLanguage(QuorLanguage language) override
    {
        calls << QStringLiteral("setFloatingBarLanguage: ") + QuorLanguages::rawValue(language);
        floatingBarLanguage = language;
    }

    const ZubConfig& config() const override { return m_config; }
    void setConfig(const ZubConfig& config) override { set(m_config, config); }
    void persistConfig() override
    {
        calls << QStringLiteral("persistConfig");
        persisted = m_config;
    }
    const QList<ZubHistoryRecord>& history() const override { return m_history; }
    void setHistory(const QList<ZubHistoryRecord>& history) { set(m_history, history); }

    QString playgroundText() const override { return m_playgroundText; }
    void setPlaygroundText(const QString& text) override { set(m_playgroundText, text); }
    const std::optional<ZubExecutionResult>& playgroundResult() const override { return m_result; }
    void setPlaygroundResult(const std::optional<ZubExecutionResult>& result) override { set(m_result, result); }
    bool isPlaygroundBusy() const override { return m_busy; }
    void setBusy(bool busy) { set(m_busy, busy); }
    bool isSpeaking() const override { return m_speaking; }
    void setSpeaking(bool speaking) { set(m_speaking, speaking); }
    bool isOCRCapturing() const override { return m_capturing; }
    void setCapturing(bool capturing) { set(m_capturing, capturing); }

    std::optional<QString> toastMessage() const override { return m_toast; }
    bool toastIsError() const override { return m_toastIsError; }
    void clearToast()
    {
        if (m_toast) {
            m_toast.reset();
            emit changed();
        }
    }
    bool isVersionLogsSheetPresented() const override { return m_sheet; }
    void setVersionLogsSheetPresented(bool presented) override { set(m_sheet, presented); }
    std::optional<ZubStudioScrollPosition> keptScrollPosition() const override { return m_keptScroll; }
    void keepScrollPosition(std::optional<ZubStudioScrollPosition> position) override { m_keptScroll = position; }

    bool accessibilityGranted() const override { return m_accessibility; }
    void setAccessibilityGranted(bool granted) override { set(m_accessibility, granted); }
    bool screenRecordingGranted() const override { return m_screen; }
    void setScreenRecordingGranted(bool granted) override { set(m_screen, granted); }
    bool launchAtLogin() const override { return m_launch; }
    bool hasSavedAPIKey() const override { return m_hasSavedAPIKey; }
    void setHasSavedAPIKey(bool saved) { set(m_hasSavedAPIKey, saved); }
    const QList<RunningAppCandidate>& runningApps() const override { return m_runningApps; }
    std::shared_ptr<QuorAppLogger> logger() const override { return m_logger; }
    QuorCreditsAccountStore& creditsStore() const override { return QuorCreditsAccountStore::shared(); }
    QuorAIModelCatalogStore& catalogStore() const override { return *m_catalog; }

    bool checkAccessibilityGranted() const override
    {
        const_cast<FakeStudioModel*>(this)->calls << QStringLiteral("checkAccessibilityGranted");
        return accessibilityAnswer;
    }
    bool checkScreenRecordingGranted() const override
    {
        const_cast<FakeStudioModel*>(this)->calls << QStringLiteral("checkScreenRecordingGranted");
        return screenRecordingAnswer;
    }

    void setAutoShowOnSelection(bool enabled) override
    {
        calls << QStringLiteral("setAutoShowOnSelection: ") + (enabled ? "true" : "false");
        m_config.autoShowOnSelection = enabled;
        persistConfig();
        showToast(enabled ? QStringLiteral("Auto-Zub on text selection enabled.") : QStringLiteral("Auto-Zub paused."), false);
    }
    void triggerScreenOCRTranslate() override { calls << QStringLiteral("triggerScreenOCRTranslate"); }
    void showToast(const QString& message, bool isError) override
    {
        m_toastIsError = isError;
        m_toast = message;
        emit changed();
    }
    void previewPlaygroundInFloatingBar() override { calls << QStringLiteral("previewPlaygroundInFloatingBar"); }
    void runPlaygroundAction(const ZubActionDefinition& action) override
    {
        calls << QStringLiteral("runPlaygroundAction");
        ranActions << action;
        set(m_busy, true);
    }
    void copyExecutionResult(const ZubExecutionResult& result) override
    {
        calls << QStringLiteral("copyExecutionResult");
        copiedResults << result;
    }
    void toggleSpeak(const ZubExecutionResult& result) override
    {
        calls << QStringLiteral("toggleSpeak");
        spokenResults << result;
        set(m_speaking, !m_speaking);
    }
    // Runs while the save "dialog" is open, as a modal dialog's own event loop would.
    std::function<void()> whileSaving;
    void saveQRCodePNG(const QByteArray& png) override
    {
        calls << QStringLiteral("saveQRCodePNG");
        savedPNGs << png;
        if (whileSaving) {
            whileSaving();
        }
    }
    void toggleLaunchAtLogin(bool enabled) override
    {
        calls << QStringLiteral("toggleLaunchAtLogin: ") + (enabled ? "true" : "false");
        m_launch = launchAtLoginAccepted ? enabled : m_launch;
        emit changed();
    }
    void requestAccessibilityPermission() override
    {
        calls << QStringLiteral("requestAccessibilityPermission");
        set(m_accessibility, accessibilityAnswer);
    }
    void updateAIConfig(const QuorAIConfig& config) override
    {
        calls << QStringLiteral("updateAIConfig");
        m_config.aiConfig = config;
        persistConfig();
        emit changed();
    }
    QCoro::Task<QuorAPIKeyOutcome> saveAPIKeyToKeychain(std::optional<QString> key) override
    {
        calls << QStringLiteral("saveAPIKeyToKeychain: ") + key.value_or(QString());
        if (keyringRefusal) {
            showToast(*keyringRefusal, true);
            co_return QuorAPIKeyOutcome::failed(*keyringRefusal);
        }
        set(m_hasSavedAPIKey, true);
        co_return QuorAPIKeyOutcome::done();
    }
    QCoro::Task<QuorAPIKeyOutcome> deleteAPIKeyFromKeychain() override
    {
        calls << QStringLiteral("deleteAPIKeyFromKeychain");
        if (keyringRefusal) {
            co_return QuorAPIKeyOutcome::failed(*keyringRefusal);
        }
        set(m_hasSavedAPIKey, false);
        co_return QuorAPIKeyOutcome::done();
    }
    void addExcludedBundleID(const QString& bundleID) override
    {
        calls << QStringLiteral("addExcludedBundleID: ") + bundleID;
        const QString trimmed = bundleID.trimmed();
        if (trimmed.isEmpty() || m_config.excludedBundleIDs.contains(trimmed, Qt::CaseInsensitive)) {
            return;
        }
        m_config.excludedBundleIDs.append(trimmed);
        persistConfig();
        emit changed();
    }
    void removeExcludedBundleID(const QString& bundleID) override
    {
        calls << QStringLiteral("removeExcludedBundleID: ") + bundleID;
        m_config.excludedBundleIDs.removeIf(
            [&bundleID](const QString& entry) { return entry.compare(bundleID, Qt::CaseInsensitive) == 0; });
        persistConfig();
        emit changed();
    }
    void refreshRunningApps() override
    {
        calls << QStringLiteral("refreshRunningApps");
        set(m_runningApps, workspaceApps);
    }

    // The action list and the history behave as the view model's do, so a view sees the outcome.
    void toggleActionEnabled(const QUuid& id, bool enabled) override
    {
        calls << QStringLiteral("toggleActionEnabled: ") + idText(id) + (enabled ? " true" : " false");
        for (ZubActionDefinition& action : m_config.actions) {
            if (action.id == id) {
                action.isEnabled = enabled;
                persistConfig();
                emit changed();
                return;
            }
        }
    }
    void moveAction(const QUuid& id, int offset) override
    {
        calls << QStringLiteral("moveAction: ") + idText(id) + QLatin1Char(' ') + QString::number(offset);
        QList<ZubActionDefinition> sorted = m_config.sortedActions();
        qsizetype index = -1;
        for (qsizetype i = 0; i < sorted.size(); ++i) {
            if (sorted[i].id == id) {
                index = i;
            }
        }
        if (index < 0 || index + offset < 0 || index + offset >= sorted.size()) {
            return;
        }
        sorted.swapItemsAt(index, index + offset);
        for (qsizetype i = 0; i < sorted.size(); ++i) {
            sorted[i].order = i;
        }
        m_config.actions = sorted;
        persistConfig();
        emit changed();
    }
    void addCustomAIAction(const QString& titleEN, const QString& titleTR, const QString& symbolName,
                           const QString& prompt) override
    {
        calls << QStringLiteral("addCustomAIAction: ") + QStringList{titleEN, titleTR, symbolName, prompt}.join('|');
        const QString english = titleEN.trimmed();
        const QString turkish = titleTR.trimmed();
        const QString instruction = prompt.trimmed();
        if (instruction.isEmpty() || (english.isEmpty() && turkish.isEmpty())) {
            showToast(QStringLiteral("Title and prompt template are required."), true);
            return;
        }
        qint64 order = -1;
        for (const ZubActionDefinition& action : m_config.actions) {
            order = std::max(order, action.order);
        }
        m_config.actions.append(ZubActionDefinition::make(
            QUuid::createUuid(), ZubActionKind::customAI, english.isEmpty() ? turkish : english,
            turkish.isEmpty() ? english : turkish, symbolName.isEmpty() ? QStringLiteral("sparkles") : symbolName,
            true, instruction, order + 1));
        persistConfig();
        showToast(QStringLiteral("Custom AI action added."), false);
    }
    void deleteCustomAction(const QUuid& id) override
    {
        calls << QStringLiteral("deleteCustomAction: ") + idText(id);
        m_config.actions.removeIf([&id](const ZubActionDefinition& action) {
            return action.id == id && action.kind == ZubActionKind::customAI;
        });
        QList<ZubActionDefinition> sorted = m_config.sortedActions();
        for (qsizetype i = 0; i < sorted.size(); ++i) {
            sorted[i].order = i;
        }
        m_config.actions = sorted;
        persistConfig();
        emit changed();
    }
    void resetDefaultActions() override
    {
        calls << QStringLiteral("resetDefaultActions");
        m_config.actions = ZubActionDefinition::defaultActions();
        persistConfig();
        showToast(QStringLiteral("Restored default actions."), false);
    }
    void toggleHistoryPin(const QUuid& id) override
    {
        calls << QStringLiteral("toggleHistoryPin: ") + idText(id);
        for (ZubHistoryRecord& record : m_history) {
            if (record.id == id) {
                record.isPinned = !record.isPinned;
                emit changed();
                return;
            }
        }
    }
    void deleteHistoryRecord(const QUuid& id) override
    {
        calls << QStringLiteral("deleteHistoryRecord: ") + idText(id);
        m_history.removeIf([&id](const ZubHistoryRecord& record) { return record.id == id; });
        emit changed();
    }
    void clearUnpinnedHistory() override
    {
        calls << QStringLiteral("clearUnpinnedHistory");
        m_history.removeIf([](const ZubHistoryRecord& record) { return !record.isPinned; });
        showToast(QStringLiteral("Cleared unpinned history."), false);
    }
    // What speak() was asked to say, and in which language.
    QList<std::pair<QString, std::optional<QString>>> spokenTexts;
    void speak(const QString& text, const std::optional<QString>& languageCode) override
    {
        calls << QStringLiteral("speak");
        spokenTexts.append({text, languageCode});
    }

    static QString idText(const QUuid& id) { return id.toString(QUuid::WithoutBraces); }
    int count(const QString& call) const { return static_cast<int>(calls.count(call)); }

private:
    template <typename T>
    void set(T& field, const T& value)
    {
        if (!(field == value)) {
            field = value;
            emit changed();
        }
    }

    ZubStudioTab m_tab = ZubStudioTab::playground;
    QuorLanguage m_language = QuorLanguage::en;
    ZubConfig m_config;
    QList<ZubHistoryRecord> m_history;
    QString m_playgroundText;
    std::optional<ZubExecutionResult> m_result;
    bool m_busy = false;
    bool m_speaking = false;
    bool m_capturing = false;
    std::optional<QString> m_toast;
    bool m_toastIsError = false;
    bool m_sheet = false;
    std::optional<ZubStudioScrollPosition> m_keptScroll;
    bool m_accessibility = false;
    bool m_screen = false;
    bool m_launch = false;
    bool m_hasSavedAPIKey = false;
    QList<RunningAppCandidate> m_runningApps;
    std::shared_ptr<QuorAppLogger> m_logger;
    std::unique_ptr<QuorAIModelRegistry> m_registry;
    std::unique_ptr<QuorAIModelCatalogStore> m_catalog;
};
