#pragma once

#include "QuorKit/Cloud/QuorAIProvider.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubConfig.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"
#include "QuorZubCore/Services/SelectionMargins.h"
#include "QuorZubCore/Services/SelectionReplaceOutcome.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

class ZubFloatingBarDismissSource;

// Everything the studio view model asks of the desktop and of the services beyond its own state:
// running actions, the keyring, the selection, the clipboard, hot keys, windows of other
// applications, speech, screen capture, permissions and the login item. The application passes the
// desktop's implementation; tests pass a scripted one. GUI thread only.
class ZubStudioEnvironment {
public:
    // An application as the workspace reports it.
    struct Application {
        // Desktop file id when known, else the lower-cased window class; empty when unknown.
        QString bundleID;
        QString name;
        // Ordinary windowed applications (not docks, panels or background helpers).
        bool isRegular = true;
        // What the workspace needs to activate it again (a window id on X11).
        quint64 handle = 0;

        bool operator==(const Application& other) const = default;
    };

    using ExcludedBundleIDsProvider = std::function<QSet<QString>()>;
    using LocationFilter = std::function<bool(QPoint)>;
    // The trimmed selected text, the release point, and the white space trimming took off.
    using SelectionHandler = std::function<void(const QString&, QPoint, const SelectionMargins&)>;
    // A finished selection that could not be taken; the error tells the user why.
    using SelectionFailureHandler = std::function<void(const QuorError&)>;

    virtual ~ZubStudioEnvironment() = default;

    // Actions. Never throws an action's failure: it comes back as an error result.
    virtual QCoro::Task<ZubExecutionResult> execute(ZubActionDefinition action, QString inputText, ZubConfig config,
                                                    QuorLanguage language, QuorCancellationToken cancel) = 0;

    // The keyring. A key is saved for the host of `endpointURL` and goes only there; save throws a
    // QuorError when the keyring refuses.
    virtual QCoro::Task<> saveAPIKey(QString key, QuorAIProvider provider, QString endpointURL) = 0;
    virtual QCoro::Task<std::optional<QString>> loadAPIKey(QuorAIProvider provider) = 0;
    // The host the stored key belongs to (lower-cased); nothing without a key. `endpointURL` is the
    // endpoint in the settings, which a key kept from before keys carried their host may belong to.
    virtual QCoro::Task<std::optional<QString>> savedAPIKeyHost(QuorAIProvider provider, QString endpointURL) = 0;
    virtual QCoro::Task<> deleteAPIKey(QuorAIProvider provider) = 0;

    // Selections in other applications.
    virtual bool isMonitoringSelection() const = 0;
    virtual void startSelectionMonitoring(ExcludedBundleIDsProvider excludedBundleIDs,
                                          LocationFilter shouldIgnoreLocation, SelectionHandler onSelection,
                                          SelectionFailureHandler onFailure) = 0;
    virtual void stopSelectionMonitoring() = 0;
    // Throws a QuorError for a selection too large to work on.
    virtual QCoro::Task<std::optional<QString>> captureSelectedText(bool allowClipboardFallback) = 0;
    // Pasted only when the target fetched the replacement; see SelectionReplaceOutcome.
    virtual QCoro::Task<SelectionReplaceOutcome> replaceSelection(QString text) = 0;

    // The general clipboard. Reading may wait on its owner; it throws a QuorError for a text too
    // large to work on.
    virtual QCoro::Task<std::optional<QString>> clipboardText() = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual void setClipboardImage(const QImage& image) = 0;

    // Global hot keys, in the suite's stored form (key code, Command/Shift/Option bits).
    virtual std::optional<quint32> registerHotkey(quint32 keyCode, quint32 carbonModifiers,
                                                  std::function<void()> action) = 0;
    virtual void unregisterAllHotkeys() = 0;

    // The workspace.
    virtual std::optional<Application> frontmostApplication() const = 0;
    virtual QList<Application> runningApplications() const = 0;
    virtual void activate(const Application& application) = 0;
    virtual QString ownBundleID() const = 0;
    virtual QPoint cursorPosition() const = 0;
    // Opens a web address (http or https) in the browser and tells `outcome` later, on the GUI
    // thread, whether it opened: a launcher that started but failed did not. Other addresses are
    // not opened.
    virtual void openURL(const QUrl& url, std::function<void(bool opened)> outcome) = 0;

    // Speech; the finish handler runs when an utterance ends, is stopped or could not be spoken,
    // and is given the reason in the last case only.
    virtual bool isSpeaking() const = 0;
    virtual void speak(const QString& text, const QString& localeIdentifier) = 0;
    virtual void stopSpeaking() = 0;
    virtual void setSpeechFinishedHandler(std::function<void(const QuorError* failure)> handler) = 0;

    // The user drags a screen region; its recognized text, trimmed and never empty. Throws
    // QuorCancelledError when the user abandoned the capture, another QuorError when it failed.
    virtual QCoro::Task<QString> captureScreenText(QStringList languages) = 0;

    // A file name to save a PNG image under, asked of the user; nothing when cancelled.
    virtual std::optional<QString> choosePNGSavePath(const QString& suggestedFileName) = 0;

    // Permissions and the login item.
    virtual bool isAccessibilityGranted(bool prompt) const = 0;
    virtual bool isScreenRecordingGranted() const = 0;
    virtual void openAccessibilitySettings() = 0;
    virtual bool isLaunchAtLoginEnabled() const = 0;
    virtual bool setLaunchAtLogin(bool enabled) = 0;

    // Where the floating bar hears outside clicks and Escape; may be null.
    virtual ZubFloatingBarDismissSource* dismissSource() = 0;
};
