#pragma once

#include "QuorZubApp/ViewModels/ZubStudioEnvironment.h"

#include <memory>

// The studio view model's environment on an X11 desktop: the action service with the keyring,
// the selection watcher, the clipboard, global hot keys, the EWMH workspace, speech, region
// capture with text recognition, the X11 capability checks and the autostart entry.
class ZubDesktopEnvironment : public ZubStudioEnvironment {
public:
    ZubDesktopEnvironment();
    ~ZubDesktopEnvironment() override;

    QCoro::Task<ZubExecutionResult> execute(ZubActionDefinition action, QString inputText, ZubConfig config,
                                            QuorLanguage language, QuorCancellationToken cancel) override;
    QCoro::Task<> saveAPIKey(QString key, QuorAIProvider provider, QString endpointURL) override;
    QCoro::Task<std::optional<QString>> loadAPIKey(QuorAIProvider provider) override;
    QCoro::Task<std::optional<QString>> savedAPIKeyHost(QuorAIProvider provider, QString endpointURL) override;
    QCoro::Task<> deleteAPIKey(QuorAIProvider provider) override;

    bool isMonitoringSelection() const override;
    void startSelectionMonitoring(ExcludedBundleIDsProvider excludedBundleIDs, LocationFilter shouldIgnoreLocation,
                                  SelectionHandler onSelection, SelectionFailureHandler onFailure) override;
    void stopSelectionMonitoring() override;
    QCoro::Task<std::optional<QString>> captureSelectedText(bool allowClipboardFallback) override;
    QCoro::Task<SelectionReplaceOutcome> replaceSelection(QString text) override;

    QCoro::Task<std::optional<QString>> clipboardText() override;
    void setClipboardText(const QString& text) override;
    void setClipboardImage(const QImage& image) override;

    std::optional<quint32> registerHotkey(quint32 keyCode, quint32 carbonModifiers,
                                          std::function<void()> action) override;
    void unregisterAllHotkeys() override;

    std::optional<Application> frontmostApplication() const override;
    QList<Application> runningApplications() const override;
    void activate(const Application& application) override;
    QString ownBundleID() const override;
    QPoint cursorPosition() const override;
    void openURL(const QUrl& url, std::function<void(bool opened)> outcome) override;

    bool isSpeaking() const override;
    void speak(const QString& text, const QString& localeIdentifier) override;
    void stopSpeaking() override;
    void setSpeechFinishedHandler(std::function<void(const QuorError* failure)> handler) override;

    QCoro::Task<QString> captureScreenText(QStringList languages) override;

    std::optional<QString> choosePNGSavePath(const QString& suggestedFileName) override;

    bool isAccessibilityGranted(bool prompt) const override;
    bool isScreenRecordingGranted() const override;
    void openAccessibilitySettings() override;
    bool isLaunchAtLoginEnabled() const override;
    bool setLaunchAtLogin(bool enabled) override;

    ZubFloatingBarDismissSource* dismissSource() override;

private:
    static QCoro::Task<QString> captureScreenTextWith(QStringList languages);

    struct Services;
    std::unique_ptr<Services> m_services;
};
