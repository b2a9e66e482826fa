#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorCredentialRoute.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorBidiIsolation.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorKit/Windowing/QuorAppActivationDelegate.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"

#include <QCollator>
#include <QTimer>

#include <algorithm>
#include <cerrno>

namespace {
const QString kAppName = QStringLiteral("QuorZub");
const QString kFallbackBundleID = QStringLiteral("com.tallowmer.quorzub");
const QString kLifecycle = QStringLiteral("lifecycle");
const QString kWatcher = QStringLiteral("watcher");
const QString kAction = QStringLiteral("action");
const QString kSecurity = QStringLiteral("security");

// Hot keys in the suite's stored form: A and O of the ANSI layout; Command 0x100, Shift 0x200,
// Option 0x800 (Ctrl, Shift and Alt here).
constexpr quint32 kKeyCodeA = 0;
constexpr quint32 kKeyCodeO = 31;
constexpr quint32 kCommandOption = 0x0900;
constexpr quint32 kCommandShiftOption = 0x0B00;

QString trimmed(const QString& text)
{
    return text.trimmed();
}
} // namespace

ZubStudioViewModel::ZubStudioViewModel(std::unique_ptr<ZubStudioEnvironment> environment,
                                       std::optional<QString> storeDirectory, QObject* parent)
    : ZubStudioModel(parent),
      m_environment(std::move(environment)),
      m_logger(QuorAppLogger::shared(kAppName)),
      m_store(storeDirectory, historyLimit),
      m_historyWriter(m_store),
      m_configWriter(m_store),
      m_floatingBarController(new ZubFloatingBarController(this)),
      m_language(QuorLanguages::current()),
      m_launchAtLogin(m_environment->isLaunchAtLoginEnabled())
{
    m_floatingBarController->setDismissEventSource(m_environment->dismissSource());
    connect(&m_configWriter, &ZubConfigWriter::written, this, &ZubStudioViewModel::configWritten);
    connect(&m_historyWriter, &ZubHistoryWriter::written, this, &ZubStudioViewModel::historyWritten);

    m_store.tidyFolder();
    m_config = m_store.loadConfig();
    rebuildExcludedBundleIDs();
    // A file written with a larger cap (or by hand) is held only as far as it will be kept.
    m_historyLoader = std::make_unique<ZubHistoryLoader>(m_store);
    if (m_historyLoader->isReady()) {
        m_history = m_historyLoader->records();
        m_historyLoader.reset();
    } else {
        m_historyLoader->whenRead(this, [this] { adoptLoadedHistory(); });
    }
    m_playgroundText = playgroundSampleText(QuorLanguages::current());

    const QPointer<ZubStudioViewModel> self(this);
    m_environment->setSpeechFinishedHandler([self](const QuorError* failure) {
        // Silence alone would read as the text having been spoken: say why nothing was heard.
        std::optional<std::pair<QString, QString>> reason;
        if (failure != nullptr && self) {
            reason = {QString::fromUtf8(failure->what()), localizedDescription(*failure, self->m_language)};
        }
        // Reported when an utterance ends or is stopped; a newer utterance may already be speaking.
        QTimer::singleShot(0, self, [self, reason] {
            if (!self) {
                return;
            }
            if (reason) {
                self->m_logger->error(QStringLiteral("Speech failed: ") + reason->first, kAction);
                self->showToast(reason->second, true);
            }
            if (!self->m_environment->isSpeaking()) {
                self->setSpeaking(false);
            }
        });
    });
    setupFloatingBarCallbacks();

    m_accessibilityGranted = m_environment->isAccessibilityGranted(false);
    m_screenRecordingGranted = m_environment->isScreenRecordingGranted();

    refreshAPIKeyStatus();
    refreshRunningApps();
    registerHotkeys();
    syncSelectionWatcher();

    m_logger->info(QStringLiteral("QuorZub initialized (autoZub=%1, enabledActions=%2, backend=%3)")
                       .arg(m_config.autoShowOnSelection ? QStringLiteral("true") : QStringLiteral("false"))
                       .arg(m_config.enabledActions().size())
                       .arg(ZubTranslationBackends::rawValue(m_config.translationBackend)),
                   kLifecycle);
}

ZubStudioViewModel::~ZubStudioViewModel()
{
    if (m_reopenWindowObserver) {
        disconnect(*m_reopenWindowObserver);
    }
    // Changes made while the history was still being read reach the file with all of it.
    if (m_historyLoader && !m_historyEditsWhileLoading.isEmpty()) {
        QList<ZubHistoryRecord> history = m_historyLoader->records();
        for (const auto& edit : std::as_const(m_historyEditsWhileLoading)) {
            edit(history);
        }
        m_historyWriter.save(history);
    }
    m_toastTask.cancel();
    m_activeFloatingExecutionTask.cancel();
    m_playgroundExecutionTask.cancel();
    m_environment->unregisterAllHotkeys();
    if (m_environment->isMonitoringSelection()) {
        m_environment->stopSelectionMonitoring();
    }
    m_environment->setSpeechFinishedHandler({});
    // The bar goes before the services its callbacks reach.
    delete m_floatingBarController;
    m_floatingBarController = nullptr;
}

QString ZubStudioViewModel::text(const QString& en, const QString& tr) const
{
    return quorText(en, tr, {}, m_language);
}

QString ZubStudioViewModel::playgroundSampleText(QuorLanguage language)
{
    return quorText(
        QStringLiteral("QuorZub gives you an instant Vive Zevez action bar above any selected text — translate TR↔EN, "
                       "polish writing, strip tracking URLs, evaluate 4250 + 20%, or capture screen text via offline "
                       "OCR."),
        QStringLiteral("QuorZub seçtiğiniz herhangi bir metnin üzerinde anında Vive Zevez aksiyon çubuğu açar — TR↔EN "
                       "çeviri yapın, yazım düzeltin, URL takip parametrelerini temizleyin, 4250 + 20% hesaplayın veya "
                       "ekrandan çevrimdışı OCR ile metin çevirin."),
        {}, language);
}

// --- Published setters ----------------------------------------------------------------------

void ZubStudioViewModel::setConfig(const ZubConfig& config)
{
    assign(m_config, config);
}

void ZubStudioViewModel::setSelectedTab(ZubStudioTab tab)
{
    assign(m_selectedTab, tab);
}

void ZubStudioViewModel::setLanguage(QuorLanguage language)
{
    assign(m_language, language);
}

void ZubStudioViewModel::setFloatingBarLanguage(QuorLanguage language)
{
    m_floatingBarController->state()->setLanguage(language);
}

bool ZubStudioViewModel::checkAccessibilityGranted() const
{
    return m_environment->isAccessibilityGranted(false);
}

bool ZubStudioViewModel::checkScreenRecordingGranted() const
{
    return m_environment->isScreenRecordingGranted();
}

void ZubStudioViewModel::setAccessibilityGranted(bool granted)
{
    assign(m_accessibilityGranted, granted);
}

void ZubStudioViewModel::setScreenRecordingGranted(bool granted)
{
    assign(m_screenRecordingGranted, granted);
}

void ZubStudioViewModel::setPlaygroundText(const QString& text)
{
    assign(m_playgroundText, text);
}

void ZubStudioViewModel::replacePlaygroundText(qsizetype position, qsizetype removed, const QString& inserted)
{
    if (position < 0 || removed < 0 || position > m_playgroundText.size() - removed ||
        QStringView(m_playgroundText).sliced(position, removed) == inserted) {
        return;
    }
    // In place: the text is copied only while someone else holds it too. A text replaced whole is
    // taken as it stands.
    if (position == 0 && removed == m_playgroundText.size()) {
        m_playgroundText = inserted;
    } else {
        m_playgroundText.replace(position, removed, inserted);
    }
    emit changed();
}

void ZubStudioViewModel::setPlaygroundResult(const std::optional<ZubExecutionResult>& result)
{
    assign(m_playgroundResult, result);
}

void ZubStudioViewModel::setApiKeyDraft(const QString& draft)
{
    assign(m_apiKeyDraft, draft);
}

void ZubStudioViewModel::setVersionLogsSheetPresented(bool presented)
{
    assign(m_isVersionLogsSheetPresented, presented);
}

// --- State, start-up and settings -------------------------------------------------------------

void ZubStudioViewModel::showToast(const QString& message, bool isError)
{
    m_toastTask.cancel();
    m_toastMessage = message;
    m_toastIsError = isError;
    emit changed();
    emit toastRaised(message, isError);
    const QPointer<ZubStudioViewModel> self(this);
    m_toastTask.start([self](QuorCancellationToken token) { return clearToastLater(self, token); });
}

QCoro::Task<> ZubStudioViewModel::clearToastLater(QPointer<ZubStudioViewModel> self, QuorCancellationToken token)
{
    try {
        co_await quorSleep(toastDuration, token);
    } catch (const QuorCancelledError&) {
        // Replaced by a newer toast, which clears itself.
    }
    if (self && !token.isCancelled() && self->m_toastMessage) {
        self->m_toastMessage.reset();
        emit self->changed();
    }
}

void ZubStudioViewModel::bindStudioWindowOpener(std::function<void()> opener)
{
    m_studioWindowOpener = std::move(opener);
    if (m_reopenWindowObserver) {
        return;
    }
    const QPointer<ZubStudioViewModel> self(this);
    m_reopenWindowObserver = QuorNotificationCenter::defaultCenter().addObserver(
        quorReopenStudioWindow, this, [self](const QuorNotification&) {
            QTimer::singleShot(0, self, [self] {
                if (self && self->m_studioWindowOpener) {
                    self->m_studioWindowOpener();
                }
            });
        });
}

void ZubStudioViewModel::registerHotkeys()
{
    m_environment->unregisterAllHotkeys();
    const QPointer<ZubStudioViewModel> self(this);
    m_environment->registerHotkey(kKeyCodeA, kCommandOption, [self] {
        if (self) {
            self->triggerManualZub();
        }
    });
    m_environment->registerHotkey(kKeyCodeO, kCommandShiftOption, [self] {
        if (self) {
            self->triggerScreenOCRTranslate();
        }
    });
}

void ZubStudioViewModel::syncSelectionWatcher()
{
    const bool monitoring = m_environment->isMonitoringSelection();
    if (m_config.autoShowOnSelection && !monitoring) {
        const QPointer<ZubStudioViewModel> self(this);
        m_environment->startSelectionMonitoring(
            [self] { return self ? self->m_normalizedExcludedBundleIDs : QSet<QString>(); },
            [self](QPoint point) {
                // The bar's own frame (grown by 6) while it is up: clicks there are the bar's. While a
                // screen region is chosen or read, every drag is that region's and no selection.
                return self && (self->m_isOCRCapturing || self->m_floatingBarController->containsScreenPoint(point));
            },
            [self](const QString& text, QPoint point, const SelectionMargins& margins) {
                if (!self) {
                    return;
                }
                self->m_lastCapturedSourceApp = self->m_environment->frontmostApplication();
                self->presentFloatingBar(text, point, true, margins);
            },
            [self](const QuorError& failure) {
                if (self) {
                    self->m_logger->warn(QStringLiteral("Selection not shown: ") + failure.englishDescription(), kWatcher);
                    self->showToast(localizedDescription(failure, self->m_language), true);
                }
            });
    } else if (!m_config.autoShowOnSelection && monitoring) {
        m_environment->stopSelectionMonitoring();
    }
}

void ZubStudioViewModel::rebuildExcludedBundleIDs()
{
    m_normalizedExcludedBundleIDs.clear();
    for (const QString& bundleID : std::as_const(m_config.excludedBundleIDs)) {
        m_normalizedExcludedBundleIDs.insert(bundleID.toLower());
    }
}

void ZubStudioViewModel::persistConfig()
{
    saveConfig(std::nullopt);
}

void ZubStudioViewModel::persistConfig(const QString& confirmation)
{
    saveConfig(confirmation);
}

void ZubStudioViewModel::saveConfig(std::optional<QString> confirmation)
{
    rebuildExcludedBundleIDs();
    // A change someone waits to hear about is written at once; edits in a burst wait for the last.
    const quint64 number = m_configWriter.save(m_config, confirmation.has_value());
    if (confirmation) {
        m_configReport.confirmWhenWritten(number, std::move(*confirmation));
    }
    m_floatingBarController->updateTargetLanguage(m_config.targetLanguage);
    syncSelectionWatcher();
    emit changed();
}

void ZubStudioViewModel::configWritten(quint64 number, const ZubConfigStore::SaveResult& result)
{
    // A failed change stays in memory and the next save writes it again.
    tell(m_configReport.written(number, result.ok, [this, &result] {
        return configSaveFailureMessage(result.errorNumber, m_store.baseDirectory(), m_language);
    }));
}

void ZubStudioViewModel::historyWritten(quint64 number, const ZubConfigStore::SaveResult& result)
{
    tell(m_historyReport.written(number, result.ok, [this, &result] {
        return historySaveFailureMessage(result.errorNumber, m_store.baseDirectory(), m_language);
    }));
}

void ZubStudioViewModel::tell(const std::optional<ZubSaveReport::Message>& message)
{
    if (message) {
        showToast(message->text, message->isError);
    }
}

namespace {
// Why a file in `folder` could not be written, from the failed step's errno, in English and Turkish.
std::pair<QString, QString> writeFailureReason(int errorNumber, const QString& folder)
{
    // A folder named in a right-to-left script leaves the sentence around it in its order.
    const QString shown = QuorBidiIsolation::isolated(folder);
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return {QStringLiteral("the disk is full"), QStringLiteral("disk dolu")};
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOTDIR:
        return {QStringLiteral("the folder %1 cannot be written").arg(shown),
                QStringLiteral("%1 klasörüne yazılamıyor").arg(shown)};
    default:
        return {QStringLiteral("writing to %1 failed").arg(shown),
                QStringLiteral("%1 klasörüne yazma başarısız oldu").arg(shown)};
    }
}
} // namespace

QString ZubStudioViewModel::configSaveFailureMessage(int errorNumber, const QString& folder, QuorLanguage language)
{
    const auto [en, tr] = writeFailureReason(errorNumber, folder);
    return quorText(QStringLiteral("Your settings could not be saved: %1. They stay in effect until QuorZub quits, "
                                   "and the next change tries again.")
                        .arg(en),
                    QStringLiteral("Ayarlarınız kaydedilemedi: %1. QuorZub kapanana dek geçerli kalırlar; bir sonraki "
                                   "değişiklikte yeniden denenir.")
                        .arg(tr),
                    {}, language);
}

QString ZubStudioViewModel::historySaveFailureMessage(int errorNumber, const QString& folder, QuorLanguage language)
{
    // The store refuses a file whose pinned records alone pass the size a history may have.
    const auto [en, tr] =
        errorNumber == EFBIG
            ? std::pair{QStringLiteral("the pinned results alone are more than a history may hold; unpin some of them"),
                        QStringLiteral("yalnızca sabitlenmiş sonuçlar bile bir geçmişin alabileceğinden fazla; "
                                       "bazılarının sabitlemesini kaldırın")}
            : writeFailureReason(errorNumber, folder);
    return quorText(QStringLiteral("Your history could not be saved: %1. It is kept until QuorZub quits, and the "
                                   "next change tries again.")
                        .arg(en),
                    QStringLiteral("Geçmişiniz kaydedilemedi: %1. QuorZub kapanana dek tutulur; bir sonraki "
                                   "değişiklikte yeniden denenir.")
                        .arg(tr),
                    {}, language);
}

void ZubStudioViewModel::setAutoShowOnSelection(bool enabled)
{
    m_config.autoShowOnSelection = enabled;
    persistConfig(enabled ? text(QStringLiteral("Auto-Zub on text selection enabled."),
                                 QStringLiteral("Metin seçiminde Otomatik Zub açıldı."))
                          : text(QStringLiteral("Auto-Zub paused (Ctrl+Alt+A manual trigger still active)."),
                                 QStringLiteral("Otomatik Zub duraklatıldı (Ctrl+Alt+A kısayolu hâlâ aktif).")));
    m_logger->info(QStringLiteral("Auto-Zub selection watcher ") + (enabled ? QStringLiteral("enabled") : QStringLiteral("paused")),
                   kWatcher);
}

void ZubStudioViewModel::cycleTargetLanguage()
{
    const QList<ZubTargetLanguage>& all = ZubTargetLanguages::allCases();
    const qsizetype index = all.indexOf(m_config.targetLanguage);
    m_config.targetLanguage = all[(index + 1) % all.size()];
    persistConfig();
}

void ZubStudioViewModel::updateAIConfig(const QuorAIConfig& aiConfig)
{
    const QuorAIProvider oldProvider = m_config.aiConfig.provider;
    m_config.aiConfig = aiConfig;
    persistConfig();
    if (aiConfig.provider != oldProvider) {
        refreshAPIKeyStatus();
    } else {
        // Another endpoint of the same provider: the stored key may not be the one for its host.
        updateHasSavedAPIKey();
    }
}

void ZubStudioViewModel::refreshAPIKeyStatus()
{
    assign(m_apiKeyDraft, QString());
    const quint64 generation = ++m_apiKeyStatusGeneration;
    loadAPIKeyStatus(QPointer<ZubStudioViewModel>(this), m_config.aiConfig.provider, m_config.aiConfig.endpointURL,
                     generation);
}

void ZubStudioViewModel::updateHasSavedAPIKey()
{
    // A key counts as saved only for the endpoint it goes to: the one whose host it was saved for.
    assign(m_hasSavedAPIKey,
           m_savedAPIKeyHost.has_value()
               && *m_savedAPIKeyHost == QuorCredentialRoute::credentialHost(m_config.aiConfig.endpointURL));
}

QCoro::Task<> ZubStudioViewModel::loadAPIKeyStatus(QPointer<ZubStudioViewModel> self, QuorAIProvider provider,
                                                   QString endpointURL, quint64 generation)
{
    if (!self) {
        co_return;
    }
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    std::optional<QString> host;
    try {
        host = co_await environment->savedAPIKeyHost(provider, std::move(endpointURL));
    } catch (const std::exception&) {
        host.reset();
    }
    if (self && generation == self->m_apiKeyStatusGeneration) {
        self->m_savedAPIKeyHost = host;
        self->updateHasSavedAPIKey();
    }
}

QCoro::Task<QuorAPIKeyOutcome> ZubStudioViewModel::saveAPIKeyToKeychain(std::optional<QString> key)
{
    const QString candidate = trimmed(key.value_or(m_apiKeyDraft));
    if (candidate.isEmpty()) {
        const QString message = text(QStringLiteral("Enter an API key first."), QStringLiteral("Önce bir API anahtarı girin."));
        showToast(message, true);
        return [](QuorAPIKeyOutcome outcome) -> QCoro::Task<QuorAPIKeyOutcome> { co_return outcome; }(
                   QuorAPIKeyOutcome::failed(message));
    }
    // A status read still waiting on the keyring must not overwrite the outcome of this save.
    ++m_apiKeyStatusGeneration;
    return saveAPIKeyTask(QPointer<ZubStudioViewModel>(this), candidate, m_config.aiConfig.provider,
                          m_config.aiConfig.endpointURL);
}

QCoro::Task<QuorAPIKeyOutcome> ZubStudioViewModel::saveAPIKeyTask(QPointer<ZubStudioViewModel> self, QString key,
                                                                  QuorAIProvider provider, QString endpointURL)
{
    if (!self) {
        co_return QuorAPIKeyOutcome::failed(QString());
    }
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    const QString providerName = QuorAIProviders::rawValue(provider);
    std::optional<QString> failure;
    try {
        co_await environment->saveAPIKey(key, provider, endpointURL);
    } catch (const std::exception& error) {
        failure = self ? localizedDescription(error, self->m_language) : QString();
    }
    if (!self) {
        co_return failure ? QuorAPIKeyOutcome::failed(*failure) : QuorAPIKeyOutcome::done();
    }
    if (failure) {
        self->m_logger->error(QStringLiteral("Failed to save API key in system keyring for provider ") + providerName,
                              kSecurity);
        self->showToast(self->text(QStringLiteral("Keyring save failed: "), QStringLiteral("Anahtarlık kaydı başarısız: "))
                            + *failure,
                        true);
        co_return QuorAPIKeyOutcome::failed(*failure);
    }
    self->assign(self->m_apiKeyDraft, QString());
    // The outcome belongs to the provider the save was started for: after a switch to another one
    // it says nothing about that provider's key.
    if (self->m_config.aiConfig.provider == provider) {
        self->m_savedAPIKeyHost = QuorCredentialRoute::credentialHost(endpointURL);
        self->updateHasSavedAPIKey();
    }
    self->m_logger->info(QStringLiteral("Saved API key in system keyring for provider ") + providerName, kSecurity);
    self->showToast(self->text(QStringLiteral("API key saved securely in the system keyring."),
                               QStringLiteral("API anahtarı sistem anahtarlığına güvenle kaydedildi.")),
                    false);
    co_return QuorAPIKeyOutcome::done();
}

QCoro::Task<QuorAPIKeyOutcome> ZubStudioViewModel::deleteAPIKeyFromKeychain()
{
    ++m_apiKeyStatusGeneration;
    return deleteAPIKeyTask(QPointer<ZubStudioViewModel>(this), m_config.aiConfig.provider);
}

QCoro::Task<QuorAPIKeyOutcome> ZubStudioViewModel::deleteAPIKeyTask(QPointer<ZubStudioViewModel> self,
                                                                    QuorAIProvider provider)
{
    if (!self) {
        co_return QuorAPIKeyOutcome::failed(QString());
    }
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    std::optional<QString> remaining;
    std::optional<QString> failure;
    try {
        co_await environment->deleteAPIKey(provider);
        // A keyring that reports success yet still returns the key has not removed it either.
        remaining = co_await environment->loadAPIKey(provider);
    } catch (const std::exception& error) {
        failure = self ? localizedDescription(error, self->m_language) : QString();
    }
    const bool removed = !failure && !(remaining && !remaining->isEmpty());
    if (!self) {
        co_return removed ? QuorAPIKeyOutcome::done() : QuorAPIKeyOutcome::failed(failure.value_or(QString()));
    }
    const QString providerName = QuorAIProviders::rawValue(provider);
    if (!removed) {
        const QString message = failure.value_or(
            self->text(QStringLiteral("The API key could not be removed from the system keyring."),
                       QStringLiteral("API anahtarı sistem anahtarlığından silinemedi.")));
        self->m_logger->error(QStringLiteral("Failed to remove API key from system keyring for provider ") + providerName,
                              kSecurity);
        self->showToast(message, true);
        co_return QuorAPIKeyOutcome::failed(message);
    }
    self->assign(self->m_apiKeyDraft, QString());
    if (self->m_config.aiConfig.provider == provider) {
        self->m_savedAPIKeyHost.reset();
        self->updateHasSavedAPIKey();
    }
    self->m_logger->info(QStringLiteral("Removed API key from system keyring for provider ") + providerName, kSecurity);
    self->showToast(self->text(QStringLiteral("API key removed from the system keyring."),
                               QStringLiteral("API anahtarı sistem anahtarlığından silindi.")),
                    false);
    co_return QuorAPIKeyOutcome::done();
}

QuorCreditsAccountStore& ZubStudioViewModel::creditsStore() const
{
    return QuorCreditsAccountStore::shared();
}

QuorAIModelCatalogStore& ZubStudioViewModel::catalogStore() const
{
    return QuorAIModelCatalogStore::shared();
}

void ZubStudioViewModel::toggleLaunchAtLogin(bool enabled)
{
    const bool ok = m_environment->setLaunchAtLogin(enabled);
    assign(m_launchAtLogin, m_environment->isLaunchAtLoginEnabled());
    if (!ok) {
        showToast(text(QStringLiteral("Launch at Login requires running from the installed application."),
                       QStringLiteral("Oturum Açılışında Başlat için kurulu uygulamadan çalıştırmalısınız.")),
                  true);
    }
}

void ZubStudioViewModel::requestAccessibilityPermission()
{
    const bool granted = m_environment->isAccessibilityGranted(true);
    assign(m_accessibilityGranted, granted);
    if (granted) {
        showToast(text(QStringLiteral("Selection and key access (X11) is active."),
                       QStringLiteral("Seçim ve tuş erişimi (X11) aktif.")),
                  false);
    } else {
        m_environment->openAccessibilitySettings();
    }
}

void ZubStudioViewModel::refreshRunningApps()
{
    QString own = m_environment->ownBundleID().toLower();
    if (own.isEmpty()) {
        own = kFallbackBundleID;
    }
    QSet<QString> seen;
    QList<RunningAppCandidate> candidates;
    const QList<ZubStudioEnvironment::Application> running = m_environment->runningApplications();
    for (const auto& application : running) {
        if (!application.isRegular || application.bundleID.isEmpty()) {
            continue;
        }
        const QString lowered = application.bundleID.toLower();
        if (lowered == own || seen.contains(lowered)) {
            continue;
        }
        seen.insert(lowered);
        candidates.append({lowered, application.name.isEmpty() ? application.bundleID : application.name,
                           application.bundleID});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&collator](const RunningAppCandidate& a, const RunningAppCandidate& b) {
                         return collator.compare(a.name, b.name) < 0;
                     });
    assign(m_runningApps, candidates);
}
