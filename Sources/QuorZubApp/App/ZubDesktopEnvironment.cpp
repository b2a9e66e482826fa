#include "QuorZubApp/App/ZubDesktopEnvironment.h"

#include "QuorKit/Cloud/QuorAIClient.h"
#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/System/QuorBundle.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorPlatform/Speech/QuorEspeakSpeechSynthesizer.h"
#include "QuorZubCore/Services/ScreenOCRService.h"
#include "QuorZubCore/Services/ZubKeychainSecretStore.h"
#include "QuorZubCore/Services/ZubQuorAIChatClient.h"
#include "QuorZubCore/Services/ZubTranslationAndAIService.h"

#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QNetworkAccessManager>

struct ZubDesktopEnvironment::Services {
    QNetworkAccessManager network;
    ZubTranslationAndAIService actions{
        std::make_shared<ZubQuorAIChatClient>(QuorAIClient(&network, &QuorCreditsAccountManager::shared())),
        std::make_shared<ZubKeychainSecretStore>(), ZubTranslationAndAIService::defaultWebTranslationBaseURL(), &network};
    // Made on the first utterance: opening the audio output is no part of starting up.
    std::unique_ptr<quor::platform::EspeakSpeechSynthesizer> speech;
    std::function<void()> speechFinished;

    quor::platform::EspeakSpeechSynthesizer& synthesizer()
    {
        if (!speech) {
            speech = std::make_unique<quor::platform::EspeakSpeechSynthesizer>();
            const auto report = [this](quint64) {
                if (speechFinished) {
                    speechFinished();
                }
            };
            QObject::connect(speech.get(), &quor::platform::EspeakSpeechSynthesizer::finished, speech.get(), report);
            QObject::connect(speech.get(), &quor::platform::EspeakSpeechSynthesizer::cancelled, speech.get(), report);
            QObject::connect(speech.get(), &quor::platform::EspeakSpeechSynthesizer::failed, speech.get(),
                             [report](quint64 utterance, const quor::platform::SpeechError&) { report(utterance); });
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

QCoro::Task<> ZubDesktopEnvironment::saveAPIKey(QString key, QuorAIProvider provider)
{
    return m_services->actions.saveAPIKey(std::move(key), provider);
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
    return false;
}

void ZubDesktopEnvironment::startSelectionMonitoring(ExcludedBundleIDsProvider /*excludedBundleIDs*/,
                                                     LocationFilter /*shouldIgnoreLocation*/,
                                                     SelectionHandler /*onSelection*/)
{
}

void ZubDesktopEnvironment::stopSelectionMonitoring() {}

QCoro::Task<std::optional<QString>> ZubDesktopEnvironment::captureSelectedText(bool /*allowClipboardFallback*/)
{
    co_return std::nullopt;
}

QCoro::Task<bool> ZubDesktopEnvironment::replaceSelection(QString /*text*/)
{
    co_return false;
}

std::optional<QString> ZubDesktopEnvironment::clipboardText() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (data == nullptr || !data->hasText()) {
        return std::nullopt;
    }
    return data->text();
}

void ZubDesktopEnvironment::setClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

void ZubDesktopEnvironment::setClipboardImage(const QImage& image)
{
    QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
}

std::optional<quint32> ZubDesktopEnvironment::registerHotkey(quint32 /*keyCode*/, quint32 /*carbonModifiers*/,
                                                             std::function<void()> /*action*/)
{
    return std::nullopt;
}

void ZubDesktopEnvironment::unregisterAllHotkeys() {}

std::optional<ZubStudioEnvironment::Application> ZubDesktopEnvironment::frontmostApplication() const
{
    return std::nullopt;
}

QList<ZubStudioEnvironment::Application> ZubDesktopEnvironment::runningApplications() const
{
    return {};
}

void ZubDesktopEnvironment::activate(const Application& /*application*/) {}

QString ZubDesktopEnvironment::ownBundleID() const
{
    return QuorBundle::main().bundleIdentifier();
}

QPoint ZubDesktopEnvironment::cursorPosition() const
{
    return QCursor::pos();
}

bool ZubDesktopEnvironment::openURL(const QUrl& url)
{
    static const QStringList allowed{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                                     QStringLiteral("file")};
    if (!url.isValid() || !allowed.contains(url.scheme().toLower())) {
        return false;
    }
    return QDesktopServices::openUrl(url);
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

void ZubDesktopEnvironment::setSpeechFinishedHandler(std::function<void()> handler)
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
    const QString path = QFileDialog::getSaveFileName(nullptr, QString(), QDir::home().filePath(suggestedFileName),
                                                      QStringLiteral("PNG (*.png)"));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

bool ZubDesktopEnvironment::isAccessibilityGranted(bool /*prompt*/) const
{
    return false;
}

bool ZubDesktopEnvironment::isScreenRecordingGranted() const
{
    return false;
}

void ZubDesktopEnvironment::openAccessibilitySettings() {}

bool ZubDesktopEnvironment::isLaunchAtLoginEnabled() const
{
    return false;
}

bool ZubDesktopEnvironment::setLaunchAtLogin(bool /*enabled*/)
{
    return false;
}

ZubFloatingBarDismissSource* ZubDesktopEnvironment::dismissSource()
{
    return nullptr;
}
