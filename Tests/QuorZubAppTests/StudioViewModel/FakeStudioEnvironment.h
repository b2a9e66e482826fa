#pragma once

#include "QuorKit/Cloud/QuorCredentialRoute.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorZubApp/ViewModels/ZubStudioEnvironment.h"

#include <QCoro/QCoroSignal>

#include <QMap>
#include <QTimer>

#include <memory>
#include <variant>

// A scripted desktop for the studio view model: it records every call, answers from fields the
// test sets, and holds action runs until the test releases them.
class FakeStudioEnvironment : public ZubStudioEnvironment {
public:
    // Opens once: a second emission would resume the waiting coroutine a second time.
    struct Gate {
        quor::detail::SignalRelay relay;
        bool isOpen = false;
        void open()
        {
            if (!isOpen) {
                isOpen = true;
                relay.fire();
            }
        }
    };

    struct Run {
        ZubActionDefinition action;
        QString text;
        QuorCancellationToken token;
        std::shared_ptr<Gate> gate;
        bool finished = false;
    };

    // Runs finish at once unless held; held runs wait for release(i) (or their cancellation).
    bool holdRuns = false;
    std::function<ZubExecutionResult(const ZubActionDefinition&, const QString&)> answer =
        [](const ZubActionDefinition& action, const QString& text) {
            ZubExecutionResult result;
            result.id = QUuid::createUuid();
            result.actionKind = action.kind;
            result.actionTitle = action.titleEN;
            result.inputText = text;
            result.outputText = QStringLiteral("out:") + text;
            result.durationMs = 5;
            result.createdAt = QDateTime::currentDateTimeUtc();
            return result;
        };
    QList<std::shared_ptr<Run>> runs;

    void release(qsizetype index) { runs.at(index)->gate->open(); }

    QCoro::Task<ZubExecutionResult> execute(ZubActionDefinition action, QString inputText, ZubConfig /*config*/,
                                            QuorLanguage /*language*/, QuorCancellationToken cancel) override
    {
        auto run = std::make_shared<Run>(Run{action, inputText, cancel, std::make_shared<Gate>()});
        runs.append(run);
        auto answerCopy = answer;
        if (holdRuns) {
            const auto gate = run->gate;
            cancel.onCancel(&gate->relay, [gate] { gate->open(); });
            if (!gate->isOpen) {
                co_await qCoro(&gate->relay, &quor::detail::SignalRelay::fired);
            }
        }
        run->finished = true;
        co_return answerCopy(action, inputText);
    }

    // Keyring
    QMap<QuorAIProvider, QString> keys;
    // The host each key was saved for; a key without one belongs to its provider's default endpoint.
    QMap<QuorAIProvider, QString> keyHosts;
    std::optional<QString> saveFailure;
    int loadCount = 0;
    // Holds a save until the gate opens.
    std::shared_ptr<Gate> saveGate;
    QCoro::Task<> saveAPIKey(QString key, QuorAIProvider provider, QString endpointURL) override
    {
        if (const auto gate = saveGate; gate && !gate->isOpen) {
            co_await qCoro(&gate->relay, &quor::detail::SignalRelay::fired);
        }
        if (saveFailure) {
            throw QuorError(*saveFailure, *saveFailure);
        }
        keys[provider] = key;
        keyHosts[provider] = QuorCredentialRoute::credentialHost(endpointURL);
        co_return;
    }
    QCoro::Task<std::optional<QString>> savedAPIKeyHost(QuorAIProvider provider, QString /*endpointURL*/) override
    {
        ++loadCount;
        if (!keys.contains(provider)) {
            co_return std::nullopt;
        }
        co_return keyHosts.value(provider, QuorCredentialRoute::credentialHost(QuorAIProviders::defaultEndpoint(provider)));
    }
    QMap<QuorAIProvider, QString> lockedKeys;
    QCoro::Task<std::optional<QString>> loadAPIKey(QuorAIProvider provider) override
    {
        ++loadCount;
        if (!keys.contains(provider)) {
            co_return std::nullopt;
        }
        co_return keys.value(provider);
    }
    // A keyring that keeps the item although asked to delete it.
    bool deleteIgnored = false;
    // A locked keyring: removal is refused and reads find nothing, though the item stays.
    std::optional<QString> deleteFailure;
    QCoro::Task<> deleteAPIKey(QuorAIProvider provider) override
    {
        if (deleteFailure) {
            lockedKeys = keys;
            keys.clear();
            throw QuorError(*deleteFailure, *deleteFailure);
        }
        if (!deleteIgnored) {
            keys.remove(provider);
        }
        co_return;
    }

    // Selection
    bool monitoring = false;
    int startCount = 0;
    int stopCount = 0;
    ExcludedBundleIDsProvider excludedProvider;
    LocationFilter ignoreLocation;
    SelectionHandler onSelection;
    SelectionFailureHandler onSelectionFailure;
    std::optional<QString> capturedText;
    // Thrown by the next capture or clipboard read (a text too large).
    std::optional<QuorError> readFailure;
    SelectionReplaceOutcome replaceOutcome = SelectionReplaceOutcome::pasted;
    QStringList replaced;
    bool isMonitoringSelection() const override { return monitoring; }
    void startSelectionMonitoring(ExcludedBundleIDsProvider excluded, LocationFilter ignore, SelectionHandler handler,
                                  SelectionFailureHandler failure) override
    {
        monitoring = true;
        ++startCount;
        excludedProvider = std::move(excluded);
        ignoreLocation = std::move(ignore);
        onSelection = std::move(handler);
        onSelectionFailure = std::move(failure);
    }
    void stopSelectionMonitoring() override
    {
        monitoring = false;
        ++stopCount;
    }
    QCoro::Task<std::optional<QString>> captureSelectedText(bool /*allowClipboardFallback*/) override
    {
        if (readFailure) {
            throw *readFailure;
        }
        co_return capturedText;
    }
    QCoro::Task<SelectionReplaceOutcome> replaceSelection(QString text) override
    {
        replaced.append(text);
        // What the watcher leaves on the clipboard.
        if (replaceOutcome == SelectionReplaceOutcome::notFetched || replaceOutcome == SelectionReplaceOutcome::unconfirmed) {
            clipboard = text;
        } else if (replaceOutcome == SelectionReplaceOutcome::takenOver) {
            clipboard = QStringLiteral("another program's clip");
        }
        co_return replaceOutcome;
    }

    // Clipboard
    std::optional<QString> clipboard;
    std::optional<QImage> clipboardImage;
    QCoro::Task<std::optional<QString>> clipboardText() override { co_return clipboard; }
    void setClipboardText(const QString& text) override
    {
        clipboard = text;
        clipboardImage.reset();
    }
    void setClipboardImage(const QImage& image) override
    {
        clipboardImage = image;
        clipboard.reset();
    }

    // Hot keys
    struct Hotkey {
        quint32 keyCode;
        quint32 modifiers;
        std::function<void()> action;
    };
    QList<Hotkey> hotkeys;
    int unregisterCount = 0;
    std::optional<quint32> registerHotkey(quint32 keyCode, quint32 carbonModifiers, std::function<void()> action) override
    {
        hotkeys.append({keyCode, carbonModifiers, std::move(action)});
        return static_cast<quint32>(hotkeys.size());
    }
    void unregisterAllHotkeys() override
    {
        ++unregisterCount;
        hotkeys.clear();
    }

    // Workspace
    std::optional<Application> frontmost;
    QList<Application> running;
    QList<Application> activated;
    QPoint cursor{500, 400};
    QList<QUrl> opened;
    bool browserOpens = true; // what the browser answers, told from the event loop
    std::optional<Application> frontmostApplication() const override { return frontmost; }
    QList<Application> runningApplications() const override { return running; }
    void activate(const Application& application) override { activated.append(application); }
    QString ownBundleID() const override { return QStringLiteral("com.tallowmer.quorzub"); }
    QPoint cursorPosition() const override { return cursor; }
    void openURL(const QUrl& url, std::function<void(bool)> outcome) override
    {
        opened.append(url);
        QTimer::singleShot(0, [outcome = std::move(outcome), answer = browserOpens] { outcome(answer); });
    }

    // Speech: stopping reports the end of the utterance, as a synthesizer does.
    bool speaking = false;
    QList<std::pair<QString, QString>> spoken;
    std::function<void(const QuorError*)> speechFinished;
    bool isSpeaking() const override { return speaking; }
    void speak(const QString& text, const QString& locale) override
    {
        speaking = true;
        spoken.append({text, locale});
    }
    void stopSpeaking() override
    {
        speaking = false;
        if (speechFinished) {
            speechFinished(nullptr);
        }
    }
    void setSpeechFinishedHandler(std::function<void(const QuorError*)> handler) override
    {
        speechFinished = std::move(handler);
    }
    void finishSpeaking() { stopSpeaking(); }
    void failSpeaking(const QuorError& error)
    {
        speaking = false;
        if (speechFinished) {
            speechFinished(&error);
        }
    }

    // Screen capture: a text, QuorCancelledError (nullopt), or a failure message.
    std::variant<QString, std::nullopt_t, QuorError> screenText = std::nullopt;
    std::shared_ptr<Gate> captureGate;
    QList<QStringList> captureLanguages;
    QCoro::Task<QString> captureScreenText(QStringList languages) override
    {
        captureLanguages.append(languages);
        const auto outcome = screenText;
        if (const auto gate = captureGate; gate && !gate->isOpen) {
            co_await qCoro(&gate->relay, &quor::detail::SignalRelay::fired);
        }
        if (const auto* text = std::get_if<QString>(&outcome)) {
            co_return *text;
        }
        if (const auto* error = std::get_if<QuorError>(&outcome)) {
            throw *error;
        }
        throw QuorCancelledError();
    }

    std::optional<QString> savePath;
    QStringList suggestedNames;
    std::optional<QString> choosePNGSavePath(const QString& suggestedFileName) override
    {
        suggestedNames.append(suggestedFileName);
        return savePath;
    }

    bool accessibility = true;
    bool screenRecording = true;
    int accessibilitySettingsOpened = 0;
    bool launchAtLoginState = false;
    bool launchAtLoginWorks = true;
    bool isAccessibilityGranted(bool /*prompt*/) const override { return accessibility; }
    bool isScreenRecordingGranted() const override { return screenRecording; }
    void openAccessibilitySettings() override { ++accessibilitySettingsOpened; }
    bool isLaunchAtLoginEnabled() const override { return launchAtLoginState; }
    bool setLaunchAtLogin(bool enabled) override
    {
        if (!launchAtLoginWorks) {
            return false;
        }
        launchAtLoginState = enabled;
        return true;
    }

    ZubFloatingBarDismissSource* dismissSource() override { return nullptr; }
};
