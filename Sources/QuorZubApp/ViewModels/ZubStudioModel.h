#pragma once

#include "QuorKit/Cloud/QuorAIConfig.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/UI/AI/QuorAPIKeyOutcome.h"
#include "QuorZubApp/ViewModels/RunningAppCandidate.h"
#include "QuorZubApp/ViewModels/ZubStudioTab.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubConfig.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <QCoro/QCoroTask>

#include <functional>
#include <memory>
#include <optional>

class QuorAIModelCatalogStore;
class QuorAppLogger;
class QuorCreditsAccountStore;

// How far a tab's column was scrolled, in pixels from its top.
struct ZubStudioScrollPosition {
    ZubStudioTab tab = ZubStudioTab::playground;
    int offset = 0;
    bool operator==(const ZubStudioScrollPosition& other) const = default;
};

// What the studio window's views read from and do through the application's view model. The views
// keep no copy of a setting: they read here on every sync and change things only through these
// members; `changed` fires after any published change.
class ZubStudioModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual ZubStudioTab selectedTab() const = 0;
    virtual void setSelectedTab(ZubStudioTab tab) = 0;
    virtual QuorLanguage language() const = 0;
    virtual void setLanguage(QuorLanguage language) = 0;
    // The open floating bar's language (an open bar switches at once).
    virtual void setFloatingBarLanguage(QuorLanguage language) = 0;

    virtual const ZubConfig& config() const = 0;
    // Replaces the configuration in memory; a view changes one field and then calls persistConfig().
    virtual void setConfig(const ZubConfig& config) = 0;
    virtual void persistConfig() = 0;
    // Changes the configuration through `edit` and saves it at once, even when nothing changed.
    void editConfig(const std::function<void(ZubConfig&)>& edit)
    {
        ZubConfig edited = config();
        edit(edited);
        setConfig(edited);
        persistConfig();
    }
    // Makes entry `index` of ZubTargetLanguages::allCases() the target and saves; an index out of
    // range changes nothing.
    void chooseTargetLanguage(int index)
    {
        const auto& cases = ZubTargetLanguages::allCases();
        if (index >= 0 && index < cases.size()) {
            editConfig([&](ZubConfig& config) { config.targetLanguage = cases[index]; });
        }
    }
    virtual const QList<ZubHistoryRecord>& history() const = 0;

    virtual QString playgroundText() const = 0;
    virtual void setPlaygroundText(const QString& text) = 0;
    // `inserted` in place of the `removed` characters at `position` of the playground text; a range
    // outside the text changes nothing. A key typed into megabytes comes this way rather than as a
    // whole new text, so that a model holding the only copy can change it where it lies.
    virtual void replacePlaygroundText(qsizetype position, qsizetype removed, const QString& inserted)
    {
        QString text = playgroundText();
        if (position >= 0 && removed >= 0 && position <= text.size() - removed) {
            setPlaygroundText(text.replace(position, removed, inserted));
        }
    }
    virtual const std::optional<ZubExecutionResult>& playgroundResult() const = 0;
    virtual void setPlaygroundResult(const std::optional<ZubExecutionResult>& result) = 0;
    virtual bool isPlaygroundBusy() const = 0;
    virtual bool isSpeaking() const = 0;
    virtual bool isOCRCapturing() const = 0;

    virtual std::optional<QString> toastMessage() const = 0;
    virtual bool toastIsError() const = 0;
    virtual bool isVersionLogsSheetPresented() const = 0;
    virtual void setVersionLogsSheetPresented(bool presented) = 0;
    // Where the shown tab was scrolled when the studio window closed: the window is built afresh
    // when it opens again and takes this back. Not announced by changed(): nothing is drawn from it.
    virtual std::optional<ZubStudioScrollPosition> keptScrollPosition() const = 0;
    virtual void keepScrollPosition(std::optional<ZubStudioScrollPosition> position) = 0;

    virtual bool accessibilityGranted() const = 0;
    virtual void setAccessibilityGranted(bool granted) = 0;
    virtual bool screenRecordingGranted() const = 0;
    virtual void setScreenRecordingGranted(bool granted) = 0;
    virtual bool launchAtLogin() const = 0;
    virtual bool hasSavedAPIKey() const = 0;
    virtual const QList<RunningAppCandidate>& runningApps() const = 0;
    virtual std::shared_ptr<QuorAppLogger> logger() const = 0;
    // The shared credits account and model catalog the AI settings card shows.
    virtual QuorCreditsAccountStore& creditsStore() const = 0;
    virtual QuorAIModelCatalogStore& catalogStore() const = 0;

    // The desktop's answers, asked afresh: the display offers what reading selections and sending
    // keys need; a region-capture tool is installed.
    virtual bool checkAccessibilityGranted() const = 0;
    virtual bool checkScreenRecordingGranted() const = 0;

    virtual void setAutoShowOnSelection(bool enabled) = 0;
    virtual void triggerScreenOCRTranslate() = 0;
    virtual void showToast(const QString& message, bool isError) = 0;
    virtual void previewPlaygroundInFloatingBar() = 0;
    virtual void runPlaygroundAction(const ZubActionDefinition& action) = 0;
    virtual void copyExecutionResult(const ZubExecutionResult& result) = 0;
    virtual void toggleSpeak(const ZubExecutionResult& result) = 0;
    virtual void saveQRCodePNG(const QByteArray& png) = 0;
    virtual void toggleLaunchAtLogin(bool enabled) = 0;
    virtual void requestAccessibilityPermission() = 0;
    virtual void updateAIConfig(const QuorAIConfig& config) = 0;
    // Both finish once the keyring has answered and say whether the key of the configured provider
    // really is stored (or really is gone); a refusal carries its reason in the interface language.
    virtual QCoro::Task<QuorAPIKeyOutcome> saveAPIKeyToKeychain(std::optional<QString> key) = 0;
    virtual QCoro::Task<QuorAPIKeyOutcome> deleteAPIKeyFromKeychain() = 0;
    virtual void addExcludedBundleID(const QString& bundleID) = 0;
    virtual void removeExcludedBundleID(const QString& bundleID) = 0;
    virtual void refreshRunningApps() = 0;

    // The floating bar's action list; each change is saved at once.
    virtual void toggleActionEnabled(const QUuid& id, bool enabled) = 0;
    virtual void moveAction(const QUuid& id, int offset) = 0;
    // Rejects (with an error toast) a blank prompt or two blank titles.
    virtual void addCustomAIAction(const QString& titleEN, const QString& titleTR, const QString& symbolName,
                                   const QString& prompt) = 0;
    virtual void deleteCustomAction(const QUuid& id) = 0;
    virtual void resetDefaultActions() = 0;

    // The history; each change is saved at once.
    virtual void toggleHistoryPin(const QUuid& id) = 0;
    virtual void deleteHistoryRecord(const QUuid& id) = 0;
    virtual void clearUnpinnedHistory() = 0;
    // Speaks a text in the voice of the language code (the detected language without one).
    virtual void speak(const QString& text, const std::optional<QString>& languageCode) = 0;

signals:
    void changed();
    // showToast() raised a message: for whoever shows it outside the studio window too.
    void toastRaised(const QString& message, bool isError);
};
