#include "QuorZubApp/App/ZubDesktopEnvironment.h"

#include "QuorKit/System/QuorBundle.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorPlatform/Core/QuorError.h"

#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>

struct ZubDesktopEnvironment::Services {
    std::function<void()> speechFinished;
};

ZubDesktopEnvironment::ZubDesktopEnvironment() : m_services(std::make_unique<Services>()) {}

ZubDesktopEnvironment::~ZubDesktopEnvironment() = default;

QCoro::Task<ZubExecutionResult> ZubDesktopEnvironment::execute(ZubActionDefinition action, QString inputText,
                                                               ZubConfig /*config*/, QuorLanguage language,
                                                               QuorCancellationToken /*cancel*/)
{
    ZubExecutionResult result;
    result.id = QUuid::createUuid();
    result.actionKind = action.kind;
    result.actionTitle = action.localizedTitle(language);
    result.inputText = inputText;
    result.outputText = quorText(QStringLiteral("Actions are not available yet."),
                                 QStringLiteral("Aksiyonlar henüz kullanılamıyor."), {}, language);
    result.isError = true;
    result.createdAt = QDateTime::currentDateTimeUtc();
    co_return result;
}

QCoro::Task<> ZubDesktopEnvironment::saveAPIKey(QString /*key*/, QuorAIProvider /*provider*/)
{
    co_return;
}

QCoro::Task<std::optional<QString>> ZubDesktopEnvironment::loadAPIKey(QuorAIProvider /*provider*/)
{
    co_return std::nullopt;
}

QCoro::Task<> ZubDesktopEnvironment::deleteAPIKey(QuorAIProvider /*provider*/)
{
    co_return;
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
    return false;
}

void ZubDesktopEnvironment::speak(const QString& /*text*/, const QString& /*localeIdentifier*/) {}

void ZubDesktopEnvironment::stopSpeaking() {}

void ZubDesktopEnvironment::setSpeechFinishedHandler(std::function<void()> handler)
{
    m_services->speechFinished = std::move(handler);
}

QCoro::Task<QString> ZubDesktopEnvironment::captureScreenText(QStringList /*languages*/)
{
    throw QuorCancelledError();
    co_return QString();
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
