#pragma once

#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorZubApp/ViewModels/RunningAppCandidate.h"
#include "QuorZubApp/ViewModels/ZubSaveReport.h"
#include "QuorZubApp/ViewModels/ZubStudioEnvironment.h"
#include "QuorZubApp/ViewModels/ZubStudioModel.h"
#include "QuorZubApp/ViewModels/ZubStudioTab.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubConfig.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"
#include "QuorZubCore/Services/ZubConfigStore.h"
#include "QuorZubCore/Services/ZubConfigWriter.h"
#include "QuorZubCore/Services/ZubHistoryLoader.h"
#include "QuorZubCore/Services/ZubHistoryWriter.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUuid>

#include <chrono>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QuorAppLogger;
class ZubFloatingBarController;

// The application's one state object: holds the configuration and the history, owns the floating
// bar and the desktop services, and is the only way the studio window, the tray window and the
// floating bar change anything. Every change of its state is announced by changed(). Work that
// waits (actions, the keyring, capture, replacement) runs in coroutines that hold the view model
// weakly. GUI thread only.
class ZubStudioViewModel : public ZubStudioModel {
    Q_OBJECT
public:
    static constexpr qsizetype historyLimit = 250;
    static constexpr std::chrono::milliseconds toastDuration{2800};
    static constexpr std::chrono::milliseconds sourceActivationDelay{70};

    // `storeDirectory` is for tests; the application keeps its files in the default folder.
    explicit ZubStudioViewModel(std::unique_ptr<ZubStudioEnvironment> environment,
                                std::optional<QString> storeDirectory = std::nullopt, QObject* parent = nullptr);
    ~ZubStudioViewModel() override;

    // --- Published state -------------------------------------------------------------------
    const ZubConfig& config() const override { return m_config; }
    // Views edit configuration fields here and then call persistConfig().
    void setConfig(const ZubConfig& config) override;
    // Newest first. While a history of megabytes is still being read at start, only this run's
    // records; changed() announces the whole.
    const QList<ZubHistoryRecord>& history() const override { return m_history; }
    ZubStudioTab selectedTab() const override { return m_selectedTab; }
    void setSelectedTab(ZubStudioTab tab) override;
    QuorLanguage language() const override { return m_language; }
    void setLanguage(QuorLanguage language) override;
    // An open floating bar switches to a newly chosen interface language at once.
    void setFloatingBarLanguage(QuorLanguage language) override;
    bool launchAtLogin() const override { return m_launchAtLogin; }
    bool accessibilityGranted() const override { return m_accessibilityGranted; }
    void setAccessibilityGranted(bool granted) override;
    bool screenRecordingGranted() const override { return m_screenRecordingGranted; }
    void setScreenRecordingGranted(bool granted) override;
    // The desktop's answers, asked afresh.
    bool checkAccessibilityGranted() const override;
    bool checkScreenRecordingGranted() const override;
    QString playgroundText() const override { return m_playgroundText; }
    void setPlaygroundText(const QString& text) override;
    void replacePlaygroundText(qsizetype position, qsizetype removed, const QString& inserted) override;
    const std::optional<ZubExecutionResult>& playgroundResult() const override { return m_playgroundResult; }
    void setPlaygroundResult(const std::optional<ZubExecutionResult>& result) override;
    bool isPlaygroundBusy() const override { return m_isPlaygroundBusy; }
    bool isOCRCapturing() const override { return m_isOCRCapturing; }
    bool isSpeaking() const override { return m_isSpeaking; }
    const QString& apiKeyDraft() const { return m_apiKeyDraft; }
    void setApiKeyDraft(const QString& draft);
    bool hasSavedAPIKey() const override { return m_hasSavedAPIKey; }
    const QList<RunningAppCandidate>& runningApps() const override { return m_runningApps; }
    bool isVersionLogsSheetPresented() const override { return m_isVersionLogsSheetPresented; }
    void setVersionLogsSheetPresented(bool presented) override;
    std::optional<ZubStudioScrollPosition> keptScrollPosition() const override { return m_keptScrollPosition; }
    void keepScrollPosition(std::optional<ZubStudioScrollPosition> position) override
    {
        m_keptScrollPosition = position;
    }
    std::optional<QString> toastMessage() const override { return m_toastMessage; }
    bool toastIsError() const override { return m_toastIsError; }

    std::shared_ptr<QuorAppLogger> logger() const override { return m_logger; }
    ZubFloatingBarController* floatingBarController() const { return m_floatingBarController; }
    ZubStudioEnvironment& environment() const { return *m_environment; }
    const ZubConfigStore& store() const { return m_store; }
    // History changes reach the file on a worker thread; this returns once the last one is there.
    void flushHistory() { m_historyWriter.flush(); }
    // So do configuration changes.
    void flushConfig() { m_configWriter.flush(); }
    // What the user reads when the settings could not be saved in `folder`, from the failed step's errno.
    static QString configSaveFailureMessage(int errorNumber, const QString& folder, QuorLanguage language);
    // The same for the history.
    static QString historySaveFailureMessage(int errorNumber, const QString& folder, QuorLanguage language);

    // The bilingual sample text the playground starts with.
    static QString playgroundSampleText(QuorLanguage language);
    // The speech locale for a language code, compared whole and case-insensitively.
    static QString resolveSpeechLocale(const std::optional<QString>& code, QuorLanguage language);

    // --- State, start-up and settings ------------------------------------------------------
    void showToast(const QString& message, bool isError) override;
    void bindStudioWindowOpener(std::function<void()> opener);
    void setAutoShowOnSelection(bool enabled) override;
    void persistConfig() override;
    // The same, and `confirmation` (a toast) once the file holds the change; a failed save shows why
    // in its place.
    void persistConfig(const QString& confirmation);
    void cycleTargetLanguage();
    void updateAIConfig(const QuorAIConfig& aiConfig) override;
    void refreshAPIKeyStatus();
    // Both finish once the keyring answered: the key of the configured provider really is stored (or
    // really is gone), or why not.
    QCoro::Task<QuorAPIKeyOutcome> saveAPIKeyToKeychain(std::optional<QString> key) override;
    QCoro::Task<QuorAPIKeyOutcome> deleteAPIKeyFromKeychain() override;
    QuorCreditsAccountStore& creditsStore() const override;
    QuorAIModelCatalogStore& catalogStore() const override;
    void toggleLaunchAtLogin(bool enabled) override;
    void requestAccessibilityPermission() override;
    void refreshRunningApps() override;

    // --- Selection road and results --------------------------------------------------------
    void triggerManualZub();
    void triggerScreenOCRTranslate() override;
    void previewPlaygroundInFloatingBar() override;
    // `margins`: the white space the selection had around `text`, which a replacement gets back.
    void presentFloatingBar(const QString& text, QPoint near, bool canReplaceInPlace, SelectionMargins margins = {});
    void copyExecutionResult(const ZubExecutionResult& result) override;
    void toggleSpeak(const ZubExecutionResult& result) override;
    void speak(const QString& text, const std::optional<QString>& languageCode) override;
    void saveQRCodePNG(const QByteArray& pngData) override;

    // --- Playground, action list, exclusions and history editing ---------------------------
    void runPlaygroundAction(const ZubActionDefinition& action) override;
    void toggleActionEnabled(const QUuid& id, bool enabled) override;
    void moveAction(const QUuid& id, int offset) override;
    void addCustomAIAction(const QString& titleEN, const QString& titleTR, const QString& symbolName,
                           const QString& prompt) override;
    void deleteCustomAction(const QUuid& id) override;
    void resetDefaultActions() override;
    void addExcludedBundleID(const QString& value) override;
    void removeExcludedBundleID(const QString& value) override;
    void toggleHistoryPin(const QUuid& id) override;
    void deleteHistoryRecord(const QUuid& id) override;
    void clearUnpinnedHistory() override;

private:
    template <typename T>
    void assign(T& field, const T& value);

    void setupFloatingBarCallbacks();
    void registerHotkeys();
    void syncSelectionWatcher();
    void rebuildExcludedBundleIDs();
    void saveConfig(std::optional<QString> confirmation);
    void configWritten(quint64 number, const ZubConfigStore::SaveResult& result);
    void historyWritten(quint64 number, const ZubConfigStore::SaveResult& result);
    void tell(const std::optional<ZubSaveReport::Message>& message);
    // The bar's text unless a text is given.
    void executeFloatingAction(const ZubActionDefinition& action, const std::optional<QString>& inputText);
    void recordHistory(const ZubExecutionResult& result);
    // Applies a change to the history and saves it; `confirmation` is told once the file holds it.
    // While the history of megabytes read at start is still being read, the change applies to this
    // run's records at once and to the whole once it is read, and only the whole is saved: nothing
    // waits for the reading.
    void editHistory(std::function<void(QList<ZubHistoryRecord>&)> edit,
                     std::optional<QString> confirmation = std::nullopt);
    // Takes the history read at start and applies the changes made meanwhile.
    void adoptLoadedHistory();
    void saveHistory();
    void handleActionSideEffects(const ZubActionDefinition& action, const ZubExecutionResult& result);
    // Hands a web search to the browser: the bar goes once it opened, a failure is told with the address.
    void openInBrowser(const QUrl& url);
    void replaceSelectionInSourceApp(const QString& text);
    void stopSpeechForDismiss();
    void setSpeaking(bool speaking);
    void normalizeActionOrder();
    void finishFloatingAction(const ZubActionDefinition& action, const ZubExecutionResult& result);
    void finishPlaygroundAction(const ZubActionDefinition& action, const ZubExecutionResult& result);
    // Logs how an action run from `origin` ("Floating", "Playground") ended.
    void logActionOutcome(const QString& origin, const ZubActionDefinition& action, const ZubExecutionResult& result);
    void routeRecognizedText(const QString& text);
    QString text(const QString& en, const QString& tr) const;

    using FinishAction = void (ZubStudioViewModel::*)(const ZubActionDefinition&, const ZubExecutionResult&);
    // Executes `action` on `text` and hands the result to `finish`, unless the view model is gone
    // or the run was cancelled by then.
    static QCoro::Task<> runAction(QPointer<ZubStudioViewModel> self, ZubActionDefinition action, QString text,
                                   ZubConfig config, QuorLanguage language, QuorCancellationToken token,
                                   FinishAction finish);
    static QCoro::Task<> clearToastLater(QPointer<ZubStudioViewModel> self, QuorCancellationToken token);
    static QCoro::Task<> runManualTrigger(QPointer<ZubStudioViewModel> self, QPoint mouseLocation);
    static QCoro::Task<> runReplace(QPointer<ZubStudioViewModel> self, QString text,
                                    std::optional<ZubStudioEnvironment::Application> sourceApp);
    static QCoro::Task<> runScreenOCR(QPointer<ZubStudioViewModel> self);
    void updateHasSavedAPIKey();
    static QCoro::Task<> loadAPIKeyStatus(QPointer<ZubStudioViewModel> self, QuorAIProvider provider,
                                          QString endpointURL, quint64 generation);
    static QCoro::Task<QuorAPIKeyOutcome> saveAPIKeyTask(QPointer<ZubStudioViewModel> self, QString key,
                                                         QuorAIProvider provider, QString endpointURL);
    static QCoro::Task<QuorAPIKeyOutcome> deleteAPIKeyTask(QPointer<ZubStudioViewModel> self, QuorAIProvider provider);

    // Services
    // Shared with running coroutines, so a call in progress outlives the view model.
    std::shared_ptr<ZubStudioEnvironment> m_environment;
    std::shared_ptr<QuorAppLogger> m_logger;
    ZubConfigStore m_store;
    ZubHistoryWriter m_historyWriter;
    ZubConfigWriter m_configWriter;
    // Until the history read at start is taken.
    std::unique_ptr<ZubHistoryLoader> m_historyLoader;
    // The changes made while it is read, in order.
    QList<std::function<void(QList<ZubHistoryRecord>&)>> m_historyEditsWhileLoading;
    ZubFloatingBarController* m_floatingBarController;

    // Published
    ZubConfig m_config;
    QList<ZubHistoryRecord> m_history;
    ZubStudioTab m_selectedTab = ZubStudioTab::playground;
    QuorLanguage m_language;
    bool m_launchAtLogin = false;
    bool m_accessibilityGranted = false;
    bool m_screenRecordingGranted = false;
    QString m_playgroundText;
    std::optional<ZubExecutionResult> m_playgroundResult;
    bool m_isPlaygroundBusy = false;
    bool m_isOCRCapturing = false;
    bool m_isSpeaking = false;
    QString m_apiKeyDraft;
    bool m_hasSavedAPIKey = false;
    // The host the provider's stored key belongs to; nothing without a key.
    std::optional<QString> m_savedAPIKeyHost;
    QList<RunningAppCandidate> m_runningApps;
    bool m_isVersionLogsSheetPresented = false;
    std::optional<QString> m_toastMessage;
    bool m_toastIsError = false;
    std::optional<ZubStudioScrollPosition> m_keptScrollPosition;

    // Private
    QuorTask m_activeFloatingExecutionTask;
    QuorTask m_playgroundExecutionTask;
    QuorTask m_toastTask;
    std::optional<ZubStudioEnvironment::Application> m_lastCapturedSourceApp;
    // The white space around the selection the bar shows, put back around a replacement.
    SelectionMargins m_replaceMargins;
    QSet<QString> m_normalizedExcludedBundleIDs;
    std::function<void()> m_studioWindowOpener;
    std::optional<QMetaObject::Connection> m_reopenWindowObserver;
    // A newer key-status read supersedes an older one that is still waiting on the keyring.
    quint64 m_apiKeyStatusGeneration = 0;
    ZubSaveReport m_configReport;
    ZubSaveReport m_historyReport;
    // A history confirmation whose change waits for the history read at start to be saved.
    std::optional<QString> m_unsavedHistoryConfirmation;
};

// Changes a published field and announces it; an unchanged value announces nothing.
template <typename T>
void ZubStudioViewModel::assign(T& field, const T& value)
{
    if (field == value) {
        return;
    }
    field = value;
    emit changed();
}
