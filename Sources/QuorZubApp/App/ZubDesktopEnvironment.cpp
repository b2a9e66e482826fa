#include "QuorZubApp/App/ZubDesktopEnvironment.h"

#include "QuorKit/Cloud/QuorAIClient.h"
#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/System/QuorGlobalHotkeyManager.h"
#include "QuorKit/System/QuorLaunchAtLogin.h"
#include "QuorKit/System/QuorPermissionCenter.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorPlatform/Pasteboard/QuorClipboard.h"
#include "QuorPlatform/Speech/QuorEspeakSpeechSynthesizer.h"
#include "QuorPlatform/Workspace/QuorX11Workspace.h"
#include "QuorZubApp/Views/ZubGlobalMouseDismissSource.h"
#include "QuorZubCore/Services/ScreenOCRService.h"
#include "QuorZubCore/Services/SelectionWatcherService.h"
#include "QuorZubCore/Services/ZubKeychainSecretStore.h"
#include "QuorZubCore/Services/ZubQuorAIChatClient.h"
#include "QuorZubCore/Services/ZubTranslationAndAIService.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QNetworkAccessManager>

namespace {
using quor::platform::WindowApplication;
namespace X11Workspace = quor::platform::X11Workspace;

ZubStudioEnvironment::Application applicationOf(const WindowApplication& window)
{
    ZubStudioEnvironment::Application application;
    // This process's own windows carry whatever class the toolkit gave them.
    application.bundleID = window.processIdentifier == QCoreApplication::applicationPid()
        ? QuorBundle::main().bundleIdentifier()
        : window.bundleIdentifier();
    application.name = window.localizedName();
    application.handle = window.window;
    return application;
}
} // namespace

struct ZubDesktopEnvironment::Services {
    SelectionWatcherService selection;
    QuorGlobalHotkeyManager hotkeys;
    ZubGlobalMouseDismissSource dismiss;
    QNetworkAccessManager network;
    ZubTranslationAndAIService actions{
        std::make_shared<ZubQuorAIChatClient>(QuorAIClient(&network, &QuorCreditsAccountManager::shared())),
        std::make_shared<ZubKeychainSecretStore>(), ZubTranslationAndAIService::defaultWebTranslationBaseURL(), &network};
    // Made on the first utterance: opening the audio output is no part of starting up.
    std::unique_ptr<quor::platform::EspeakSpeechSynthesizer> speech;
    std::function<void(const QuorError* failure)> speechFinished;

    quor::platform::EspeakSpeechSynthesizer& synthesizer()
    {
        if (!speech) {
            speech = std::make_unique<quor::platform::EspeakSpeechSynthesizer>();
            const auto report = [this](quint64) {
                if (speechFinished) {
                    speechFinished(nullptr);
                }
            };
            QObject::connect(speech.get(), &quor::platform::EspeakSpeechSynthesizer::finished, speech.get(), report);
            QObject::connect(speech.get(), &quor::platform::EspeakSpeechSynthesizer::cancelled, speech.get(), report);
            QObject::connect(speech.get(), &quor::platform::EspeakSpeechSynthesizer::failed, speech.get(),
                             [this](quint64, const quor::platform::SpeechError& error) {
                                 if (speechFinished) {
                                     speechFinished(&error);
                                 }
                             });
        }
        return *speech;
    }
};

ZubDesktopEnvironment::ZubDesktopEnvironment() : m_services(std::make_unique<Services>()) {}

ZubDesktopEnvironment::~ZubDesktopEnvironment() = default;

QCoro::Task<ZubExecutionResult> ZubDesktopEnvironment::execute(ZubActionDefinition action, QString inputText,
                                                               ZubConfig config, QuorLanguage language,
                                                               QuorCancellationToken cancel)
{
    // The service copies what it needs into the call, so the call may outlive this environment.
    return m_services->actions.execute(std::move(action), std::move(inputText), std::move(config), language,
                                       std::move(cancel));
}

QCoro::Task<> ZubDesktopEnvironment::saveAPIKey(QString key, QuorAIProvider provider, QString endpointURL)
{
    return m_services->actions.saveAPIKey(std::move(key), provider, std::move(endpointURL));
}

QCoro::Task<std::optional<QString>> ZubDesktopEnvironment::savedAPIKeyHost(QuorAIProvider provider,
                                                                          QString endpointURL)
{
    return m_services->actions.savedAPIKeyHost(provider, std::move(endpointURL));
}

QCoro::Task<std::optional<QString>> ZubDesktopEnvironment::loadAPIKey(QuorAIProvider provider)
{
    return m_services->actions.loadAPIKey(provider);
}

QCoro::Task<> ZubDesktopEnvironment::deleteAPIKey(QuorAIProvider provider)
{
    return m_services->actions.deleteAPIKey(provider);
}

bool ZubDesktopEnvironment::isMonitoringSelection() const
{
    return m_services->selection.isMonitoring();
}

void ZubDesktopEnvironment::startSelectionMonitoring(ExcludedBundleIDsProvider excludedBundleIDs,
                                                     LocationFilter shouldIgnoreLocation, SelectionHandler onSelection,
                                                     SelectionFailureHandler onFailure)
{
    m_services->selection.startMonitoring(
        std::move(excludedBundleIDs),
        [ignore = std::move(shouldIgnoreLocation)](QPointF point) { return ignore(point.toPoint()); },
        [handler = std::move(onSelection)](const QString& text, QPointF point, const SelectionMargins& margins) {
            handler(text, point.toPoint(), margins);
        },
        std::move(onFailure));
}

void ZubDesktopEnvironment::stopSelectionMonitoring()
{
    m_services->selection.stopMonitoring();
}

QCoro::Task<std::optional<QString>> ZubDesktopEnvironment::captureSelectedText(bool allowClipboardFallback)
{
    return m_services->selection.captureSelectedText(allowClipboardFallback);
}

QCoro::Task<SelectionReplaceOutcome> ZubDesktopEnvironment::replaceSelection(QString text)
{
    return m_services->selection.replaceSelection(std::move(text));
}

QCoro::Task<std::optional<QString>> ZubDesktopEnvironment::clipboardText()
{
    return quor::platform::Clipboard::shared().text();
}

void ZubDesktopEnvironment::setClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

void ZubDesktopEnvironment::setClipboardImage(const QImage& image)
{
    QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
}

std::optional<quint32> ZubDesktopEnvironment::registerHotkey(quint32 keyCode, quint32 carbonModifiers,
                                                             std::function<void()> action)
{
    return m_services->hotkeys.registerHotkey(QuorHotkeyDescriptor{keyCode, carbonModifiers}, std::move(action));
}

void ZubDesktopEnvironment::unregisterAllHotkeys()
{
    m_services->hotkeys.unregisterAll();
}

std::optional<ZubStudioEnvironment::Application> ZubDesktopEnvironment::frontmostApplication() const
{
    const std::optional<WindowApplication> frontmost = X11Workspace::frontmostApplication();
    if (!frontmost) {
        return std::nullopt;
    }
    return applicationOf(*frontmost);
}

QList<ZubStudioEnvironment::Application> ZubDesktopEnvironment::runningApplications() const
{
    QList<Application> applications;
    for (const WindowApplication& window : X11Workspace::runningApplications()) {
        applications.append(applicationOf(window));
    }
    return applications;
}

void ZubDesktopEnvironment::activate(const Application& application)
{
    WindowApplication window;
    window.window = application.handle;
    X11Workspace::activate(window);
}

QString ZubDesktopEnvironment::ownBundleID() const
{
    return QuorBundle::main().bundleIdentifier();
}

QPoint ZubDesktopEnvironment::cursorPosition() const
{
    return QCursor::pos();
}

void ZubDesktopEnvironment::openURL(const QUrl& url, std::function<void(bool opened)> outcome)
{
    QuorBrowserHandOff::openThen(url, QCoreApplication::instance(), std::move(outcome));
}

bool ZubDesktopEnvironment::isSpeaking() const
{
    return m_services->speech && m_services->speech->isSpeaking();
}

void ZubDesktopEnvironment::speak(const QString& text, const QString& localeIdentifier)
{
    m_services->synthesizer().speak(text, localeIdentifier);
}

void ZubDesktopEnvironment::stopSpeaking()
{
    if (m_services->speech) {
        m_services->speech->stop();
    }
}

void ZubDesktopEnvironment::setSpeechFinishedHandler(std::function<void(const QuorError* failure)> handler)
{
    m_services->speechFinished = std::move(handler);
}

QCoro::Task<QString> ZubDesktopEnvironment::captureScreenText(QStringList languages)
{
    return captureScreenTextWith(std::move(languages));
}

QCoro::Task<QString> ZubDesktopEnvironment::captureScreenTextWith(QStringList languages)
{
    std::optional<ScreenOCRResult> result;
    try {
        result = co_await ScreenOCRService::captureAndRecognizeText(std::move(languages));
    } catch (const ScreenOCRError& error) {
        if (error.kind() == ScreenOCRError::Kind::cancelled) {
            throw QuorCancelledError();
        }
        throw;
    }
    co_return result->text;
}

std::optional<QString> ZubDesktopEnvironment::choosePNGSavePath(const QString& suggestedFileName)
{
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PNG (*.png)"));
    // Only PNG: a name typed without the extension gets it.
    dialog.setDefaultSuffix(QStringLiteral("png"));
    dialog.setDirectory(QDir::homePath());
    dialog.selectFile(suggestedFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

bool ZubDesktopEnvironment::isAccessibilityGranted(bool prompt) const
{
    return QuorPermissionCenter::isAccessibilityGranted(prompt);
}

bool ZubDesktopEnvironment::isScreenRecordingGranted() const
{
    return QuorPermissionCenter::isScreenRecordingGranted();
}

void ZubDesktopEnvironment::openAccessibilitySettings()
{
    QuorPermissionCenter::openSystemSettings(QuorSystemPermissionKind::accessibility);
}

bool ZubDesktopEnvironment::isLaunchAtLoginEnabled() const
{
    return QuorLaunchAtLogin::isEnabled();
}

bool ZubDesktopEnvironment::setLaunchAtLogin(bool enabled)
{
    return QuorLaunchAtLogin::setEnabled(enabled);
}

ZubFloatingBarDismissSource* ZubDesktopEnvironment::dismissSource()
{
    return &m_services->dismiss;
}
