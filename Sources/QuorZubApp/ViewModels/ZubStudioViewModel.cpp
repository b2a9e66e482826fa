#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorKit/Windowing/QuorAppActivationDelegate.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"

#include <QCollator>
#include <QImage>
#include <QTimer>

#include <algorithm>

namespace {
const QString kAppName = QStringLiteral("QuorZub");
const QString kFallbackBundleID = QStringLiteral("com.tallowmer.quorzub");
const QString kLifecycle = QStringLiteral("lifecycle");
const QString kWatcher = QStringLiteral("watcher");
const QString kAction = QStringLiteral("action");
const QString kOCR = QStringLiteral("ocr");
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

QString characterCount(const QString& text)
{
    return QString::number(QuorGraphemes::count(text));
}

QStringList screenOCRLanguages()
{
    return {QStringLiteral("tr-TR"), QStringLiteral("en-US"), QStringLiteral("de-DE"), QStringLiteral("fr-FR"),
            QStringLiteral("es-ES")};
}
} // namespace

template <typename T>
void ZubStudioViewModel::assign(T& field, const T& value)
{
    if (field == value) {
        return;
    }
    field = value;
    emit changed();
}

ZubStudioViewModel::ZubStudioViewModel(std::unique_ptr<ZubStudioEnvironment> environment,
                                       std::optional<QString> storeDirectory, QObject* parent)
    : ZubStudioModel(parent),
      m_environment(std::move(environment)),
      m_logger(QuorAppLogger::shared(kAppName)),
      m_store(storeDirectory, historyLimit),
      m_historyWriter(m_store),
      m_floatingBarController(new ZubFloatingBarController(this)),
      m_language(QuorLanguages::current()),
      m_launchAtLogin(m_environment->isLaunchAtLoginEnabled())
{
    m_floatingBarController->setDismissEventSource(m_environment->dismissSource());

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
            [self](const QString& text, QPoint point) {
                if (!self) {
                    return;
                }
                self->m_lastCapturedSourceApp = self->m_environment->frontmostApplication();
                self->presentFloatingBar(text, point, true);
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
    rebuildExcludedBundleIDs();
    m_store.saveConfig(m_config);
    m_floatingBarController->updateTargetLanguage(m_config.targetLanguage);
    syncSelectionWatcher();
    emit changed();
}

void ZubStudioViewModel::setAutoShowOnSelection(bool enabled)
{
    m_config.autoShowOnSelection = enabled;
    persistConfig();
    m_logger->info(QStringLiteral("Auto-Zub selection watcher ") + (enabled ? QStringLiteral("enabled") : QStringLiteral("paused")),
                   kWatcher);
    if (enabled) {
        showToast(text(QStringLiteral("Auto-Zub on text selection enabled."),
                       QStringLiteral("Metin seçiminde Otomatik Zub açıldı.")),
                  false);
    } else {
        showToast(text(QStringLiteral("Auto-Zub paused (Ctrl+Alt+A manual trigger still active)."),
                       QStringLiteral("Otomatik Zub duraklatıldı (Ctrl+Alt+A kısayolu hâlâ aktif).")),
                  false);
    }
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
    }
}

void ZubStudioViewModel::refreshAPIKeyStatus()
{
    assign(m_apiKeyDraft, QString());
    const quint64 generation = ++m_apiKeyStatusGeneration;
    loadAPIKeyStatus(QPointer<ZubStudioViewModel>(this), m_config.aiConfig.provider, generation);
}

QCoro::Task<> ZubStudioViewModel::loadAPIKeyStatus(QPointer<ZubStudioViewModel> self, QuorAIProvider provider,
                                                   quint64 generation)
{
    if (!self) {
        co_return;
    }
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    std::optional<QString> key;
    try {
        key = co_await environment->loadAPIKey(provider);
    } catch (const std::exception&) {
        key.reset();
    }
    if (self && generation == self->m_apiKeyStatusGeneration) {
        self->assign(self->m_hasSavedAPIKey, key.has_value() && !key->isEmpty());
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
    return saveAPIKeyTask(QPointer<ZubStudioViewModel>(this), candidate, m_config.aiConfig.provider);
}

QCoro::Task<QuorAPIKeyOutcome> ZubStudioViewModel::saveAPIKeyTask(QPointer<ZubStudioViewModel> self, QString key,
                                                                  QuorAIProvider provider)
{
    if (!self) {
        co_return QuorAPIKeyOutcome::failed(QString());
    }
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    const QString providerName = QuorAIProviders::rawValue(provider);
    std::optional<QString> failure;
    try {
        co_await environment->saveAPIKey(key, provider);
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
    self->assign(self->m_hasSavedAPIKey, true);
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
    self->assign(self->m_hasSavedAPIKey, false);
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

// --- Selection road and results ---------------------------------------------------------------

void ZubStudioViewModel::setupFloatingBarCallbacks()
{
    const QPointer<ZubStudioViewModel> self(this);
    ZubFloatingBarController* bar = m_floatingBarController;
    bar->onSelectAction = [self](const ZubActionDefinition& action) {
        if (self) {
            self->executeFloatingAction(action, std::nullopt);
        }
    };
    bar->onCopyResult = [self](const ZubExecutionResult& result) {
        if (self) {
            self->copyExecutionResult(result);
        }
    };
    bar->onReplaceSelection = [self](const QString& replacement) {
        if (self) {
            self->m_floatingBarController->hide(false);
            self->replaceSelectionInSourceApp(replacement);
        }
    };
    bar->onSpeakResult = [self](const ZubExecutionResult& result) {
        if (self) {
            self->toggleSpeak(result);
        }
    };
    bar->onSaveQRImage = [self](const QByteArray& png) {
        if (self) {
            self->saveQRCodePNG(png);
        }
    };
    bar->onCycleTargetLanguage = [self] {
        if (self) {
            self->cycleTargetLanguage();
        }
    };
    bar->onDismiss = [self] {
        if (self) {
            self->m_activeFloatingExecutionTask.cancel();
            self->stopSpeechForDismiss();
        }
    };
}

void ZubStudioViewModel::stopSpeechForDismiss()
{
    if (m_environment->isSpeaking()) {
        m_environment->stopSpeaking();
    }
    setSpeaking(false);
}

void ZubStudioViewModel::setSpeaking(bool speaking)
{
    assign(m_isSpeaking, speaking);
    ZubFloatingBarState* state = m_floatingBarController->state();
    if (state->isSpeaking() != speaking) {
        state->setIsSpeaking(speaking);
    }
}

void ZubStudioViewModel::presentFloatingBar(const QString& text, QPoint near, bool canReplaceInPlace)
{
    const QList<ZubActionDefinition> actions = m_config.enabledActions();
    if (actions.isEmpty()) {
        return;
    }
    // An action still running for the previous text must not land on the bar of this one.
    m_activeFloatingExecutionTask.cancel();
    m_floatingBarController->show(text, ZubOfflineTextEngine::detectLanguage(text), actions, m_language,
                                  m_config.targetLanguage, near, canReplaceInPlace, m_config.hideDelaySeconds);
}

void ZubStudioViewModel::triggerManualZub()
{
    m_lastCapturedSourceApp = m_environment->frontmostApplication();
    runManualTrigger(QPointer<ZubStudioViewModel>(this), m_environment->cursorPosition());
}

QCoro::Task<> ZubStudioViewModel::runManualTrigger(QPointer<ZubStudioViewModel> self, QPoint mouseLocation)
{
    if (!self) {
        co_return;
    }
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    std::optional<QString> captured;
    std::optional<QString> clipboard;
    std::optional<QString> failure;
    try {
        captured = co_await environment->captureSelectedText(true);
        if (self && !(captured && !trimmed(*captured).isEmpty())) {
            clipboard = co_await environment->clipboardText();
        }
    } catch (const QuorError& error) {
        if (self) {
            self->m_logger->warn(QStringLiteral("Manual trigger found no text to show: ") + error.englishDescription(),
                                 kWatcher);
            failure = localizedDescription(error, self->m_language);
        }
    }
    if (!self) {
        co_return;
    }
    if (failure) {
        self->showToast(*failure, true);
        co_return;
    }
    if (captured && !trimmed(*captured).isEmpty()) {
        self->presentFloatingBar(trimmed(*captured), mouseLocation, true);
        co_return;
    }
    if (clipboard && !trimmed(*clipboard).isEmpty()) {
        self->presentFloatingBar(trimmed(*clipboard), mouseLocation, false);
        co_return;
    }
    self->showToast(self->text(QStringLiteral("No selected text or clipboard text found."),
                               QStringLiteral("Seçili metin veya panoda metin bulunamadı.")),
                    true);
}

void ZubStudioViewModel::previewPlaygroundInFloatingBar()
{
    const QString text = trimmed(m_playgroundText);
    if (text.isEmpty()) {
        showToast(this->text(QStringLiteral("Type some text in Playground first."),
                             QStringLiteral("Önce Oyun Alanı'na bir metin yazın.")),
                  true);
        return;
    }
    presentFloatingBar(text, m_environment->cursorPosition(), false);
}

void ZubStudioViewModel::executeFloatingAction(const ZubActionDefinition& action,
                                               const std::optional<QString>& inputText)
{
    const QString text = inputText.value_or(m_floatingBarController->state()->sourceText());
    m_activeFloatingExecutionTask.cancel();
    m_floatingBarController->beginExecution(action);
    m_logger->info(QStringLiteral("Executing floating action '%1' (inputChars=%2)")
                       .arg(ZubActionKinds::rawValue(action.kind), characterCount(text)),
                   kAction);
    const QPointer<ZubStudioViewModel> self(this);
    const ZubConfig config = m_config;
    const QuorLanguage language = m_language;
    m_activeFloatingExecutionTask.start([self, action, text, config, language](QuorCancellationToken token) {
        return runAction(self, action, text, config, language, token, &ZubStudioViewModel::finishFloatingAction);
    });
}

QCoro::Task<> ZubStudioViewModel::runAction(QPointer<ZubStudioViewModel> self, ZubActionDefinition action, QString text,
                                            ZubConfig config, QuorLanguage language, QuorCancellationToken token,
                                            FinishAction finish)
{
    if (!self) {
        co_return;
    }
    // The environment outlives this run even when the view model goes first.
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    const ZubExecutionResult result = co_await environment->execute(action, text, config, language, token);
    if (!self || token.isCancelled()) {
        co_return;
    }
    (self.data()->*finish)(action, result);
}

void ZubStudioViewModel::logActionOutcome(const QString& origin, const ZubActionDefinition& action,
                                          const ZubExecutionResult& result)
{
    const QString kind = ZubActionKinds::rawValue(action.kind);
    if (result.isError) {
        m_logger->warn(QStringLiteral("%1 action '%2' failed in %3 ms").arg(origin, kind).arg(result.durationMs), kAction);
    } else {
        m_logger->info(QStringLiteral("Completed %1 action '%2' in %3 ms (outputChars=%4)")
                           .arg(origin.toLower(), kind)
                           .arg(result.durationMs)
                           .arg(characterCount(result.outputText)),
                       kAction);
    }
}

void ZubStudioViewModel::finishFloatingAction(const ZubActionDefinition& action, const ZubExecutionResult& result)
{
    logActionOutcome(QStringLiteral("Floating"), action, result);
    recordHistory(result);
    m_floatingBarController->presentResult(result);
    handleActionSideEffects(action, result);
}

void ZubStudioViewModel::adoptLoadedHistory()
{
    if (!m_historyLoader) {
        return;
    }
    m_history = m_historyLoader->records();
    m_historyLoader.reset();
    emit changed();
}

void ZubStudioViewModel::recordHistory(const ZubExecutionResult& result)
{
    adoptLoadedHistory();
    m_history.insert(0, ZubHistoryRecord::fromResult(result));
    // Memory holds what the file holds: pinned records always, then the newest unpinned ones.
    m_history = m_store.capHistory(m_history);
    saveHistory();
}

void ZubStudioViewModel::saveHistory()
{
    m_historyWriter.save(m_history);
    emit changed();
}

void ZubStudioViewModel::handleActionSideEffects(const ZubActionDefinition& action, const ZubExecutionResult& result)
{
    if (result.isError) {
        return;
    }
    switch (action.kind) {
    case ZubActionKind::speak:
        speak(result.outputText, result.detectedLanguageCode);
        break;
    case ZubActionKind::openWebSearch: {
        const QUrl url(result.outputText, QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty()) {
            m_environment->openURL(url);
            m_floatingBarController->hide(true);
        }
        break;
    }
    case ZubActionKind::plainCopy:
        m_environment->setClipboardText(result.outputText);
        showToast(text(QStringLiteral("Copied plain text to clipboard."), QStringLiteral("Düz metin panoya kopyalandı.")),
                  false);
        break;
    default:
        break;
    }
}

void ZubStudioViewModel::copyExecutionResult(const ZubExecutionResult& result)
{
    if (result.qrPNGData) {
        const QImage image = QImage::fromData(*result.qrPNGData, "PNG");
        if (!image.isNull()) {
            m_environment->setClipboardImage(image);
            showToast(text(QStringLiteral("QR Code image copied to clipboard."),
                           QStringLiteral("QR Kod görseli panoya kopyalandı.")),
                      false);
            return;
        }
    }
    m_environment->setClipboardText(result.outputText);
    showToast(text(QStringLiteral("Copied to clipboard."), QStringLiteral("Panoya kopyalandı.")), false);
}

void ZubStudioViewModel::replaceSelectionInSourceApp(const QString& replacement)
{
    runReplace(QPointer<ZubStudioViewModel>(this), replacement, m_lastCapturedSourceApp);
}

QCoro::Task<> ZubStudioViewModel::runReplace(QPointer<ZubStudioViewModel> self, QString text,
                                             std::optional<ZubStudioEnvironment::Application> sourceApp)
{
    if (!self) {
        co_return;
    }
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    if (sourceApp && sourceApp->bundleID != environment->ownBundleID()) {
        environment->activate(*sourceApp);
        try {
            co_await quorSleep(sourceActivationDelay);
        } catch (const QuorCancelledError&) {
            // An interrupted wait only shortens the pause.
        }
        if (!self) {
            co_return;
        }
    }
    const bool ok = co_await environment->replaceSelection(text);
    if (!self) {
        co_return;
    }
    if (ok) {
        self->showToast(self->text(QStringLiteral("Replaced selection in-place."),
                                   QStringLiteral("Seçili metin yerinde değiştirildi.")),
                        false);
        co_return;
    }
    environment->setClipboardText(text);
    if (environment->isTerminalFocused()) {
        // Keys pasted into a terminal would reach its shell; nothing is missing on this desktop.
        self->showToast(self->text(QStringLiteral("Copied to clipboard. Replace is not sent to terminals: paste it there yourself."),
                                   QStringLiteral("Panoya kopyalandı. Değiştir terminallere gönderilmez: oraya kendiniz yapıştırın.")),
                        true);
        co_return;
    }
    self->showToast(self->text(QStringLiteral("Copied to clipboard (automatic paste needs selection and key access (X11))."),
                               QStringLiteral("Panoya kopyalandı (otomatik yapıştırma için seçim ve tuş erişimi (X11) gerekir).")),
                    true);
}

void ZubStudioViewModel::toggleSpeak(const ZubExecutionResult& result)
{
    if (m_isSpeaking) {
        if (m_environment->isSpeaking()) {
            m_environment->stopSpeaking();
        }
        setSpeaking(false);
        return;
    }
    speak(result.outputText, result.targetLanguageCode ? result.targetLanguageCode : result.detectedLanguageCode);
}

void ZubStudioViewModel::speak(const QString& text, const std::optional<QString>& languageCode)
{
    const QString spoken = trimmed(text);
    if (spoken.isEmpty()) {
        return;
    }
    if (m_environment->isSpeaking()) {
        m_environment->stopSpeaking();
    }
    const std::optional<QString> code = languageCode ? languageCode : ZubOfflineTextEngine::detectLanguage(spoken);
    setSpeaking(true);
    m_environment->speak(spoken, resolveSpeechLocale(code, m_language));
}

QString ZubStudioViewModel::resolveSpeechLocale(const std::optional<QString>& code, QuorLanguage language)
{
    static const QList<std::pair<QString, QString>> locales{
        {QStringLiteral("tr"), QStringLiteral("tr-TR")}, {QStringLiteral("en"), QStringLiteral("en-US")},
        {QStringLiteral("de"), QStringLiteral("de-DE")}, {QStringLiteral("fr"), QStringLiteral("fr-FR")},
        {QStringLiteral("es"), QStringLiteral("es-ES")}, {QStringLiteral("ja"), QStringLiteral("ja-JP")},
    };
    if (code) {
        const QString lowered = code->toLower();
        for (const auto& [key, locale] : locales) {
            if (lowered == key) {
                return locale;
            }
        }
    }
    return quorText(QStringLiteral("en-US"), QStringLiteral("tr-TR"), {}, language);
}

void ZubStudioViewModel::saveQRCodePNG(const QByteArray& pngData)
{
    const std::optional<QString> path = m_environment->choosePNGSavePath(QStringLiteral("quorzub-qr.png"));
    if (!path) {
        return;
    }
    const QuorAtomicFile::WriteResult written = QuorAtomicFile::write(*path, pngData);
    if (written) {
        showToast(text(QStringLiteral("Saved QR Code PNG."), QStringLiteral("QR Kod PNG olarak kaydedildi.")), false);
        return;
    }
    // The writer's own words name its temporary file and are English only: they go to the log.
    m_logger->error(QStringLiteral("Saving the QR Code PNG failed: ") + written.error, kAction);
    showToast(text(QStringLiteral("The QR Code PNG could not be saved as “%1”. Check that the folder exists and "
                                  "can be written to."),
                   QStringLiteral("QR Kod PNG “%1” olarak kaydedilemedi. Klasörün var olduğunu ve yazılabilir "
                                  "olduğunu kontrol edin."))
                  .arg(*path),
              true);
}

void ZubStudioViewModel::triggerScreenOCRTranslate()
{
    if (m_isOCRCapturing) {
        return;
    }
    assign(m_isOCRCapturing, true);
    m_floatingBarController->hide(false);
    m_logger->info(QStringLiteral("Started interactive screen OCR capture"), kOCR);
    runScreenOCR(QPointer<ZubStudioViewModel>(this));
}

QCoro::Task<> ZubStudioViewModel::runScreenOCR(QPointer<ZubStudioViewModel> self)
{
    if (!self) {
        co_return;
    }
    const std::shared_ptr<ZubStudioEnvironment> environment = self->m_environment;
    std::optional<QString> recognized;
    std::optional<QString> failure;
    bool cancelled = false;
    try {
        recognized = co_await environment->captureScreenText(screenOCRLanguages());
    } catch (const QuorCancelledError&) {
        cancelled = true;
    } catch (const std::exception& error) {
        failure = self ? localizedDescription(error, self->m_language) : QString();
    }
    if (!self) {
        co_return;
    }
    if (recognized) {
        self->routeRecognizedText(*recognized);
    } else if (cancelled) {
        self->m_logger->debug(QStringLiteral("Screen OCR capture cancelled by user"), kOCR);
    } else {
        self->m_logger->error(QStringLiteral("Screen OCR failed: ") + failure.value_or(QString()), kOCR);
        self->showToast(failure.value_or(QString()), true);
    }
    self->assign(self->m_isOCRCapturing, false);
}

void ZubStudioViewModel::routeRecognizedText(const QString& recognized)
{
    m_logger->info(QStringLiteral("Screen OCR recognized %1 char(s); routing to translate").arg(characterCount(recognized)),
                   kOCR);
    setPlaygroundText(recognized);
    presentFloatingBar(recognized, m_environment->cursorPosition(), false);
    const QList<ZubActionDefinition> sorted = m_config.sortedActions();
    const auto translate = std::find_if(sorted.begin(), sorted.end(), [](const ZubActionDefinition& action) {
        return action.kind == ZubActionKind::translate;
    });
    const ZubActionDefinition action =
        translate != sorted.end()
            ? *translate
            : ZubActionDefinition::make(QUuid::createUuid(), ZubActionKind::translate, std::nullopt, std::nullopt,
                                        std::nullopt, true, std::nullopt, 0);
    // The recognized text itself: with no enabled action the bar was not shown and still holds
    // whatever it showed before.
    executeFloatingAction(action, recognized);
}

// --- Playground, action list, exclusions and history editing -----------------------------------

void ZubStudioViewModel::runPlaygroundAction(const ZubActionDefinition& action)
{
    m_playgroundExecutionTask.cancel();
    assign(m_isPlaygroundBusy, true);
    const QString text = m_playgroundText;
    const ZubConfig config = m_config;
    const QuorLanguage language = m_language;
    m_logger->info(QStringLiteral("Executing playground action '%1' (inputChars=%2)")
                       .arg(ZubActionKinds::rawValue(action.kind), characterCount(text)),
                   kAction);
    const QPointer<ZubStudioViewModel> self(this);
    m_playgroundExecutionTask.start([self, action, text, config, language](QuorCancellationToken token) {
        return runAction(self, action, text, config, language, token, &ZubStudioViewModel::finishPlaygroundAction);
    });
}

void ZubStudioViewModel::finishPlaygroundAction(const ZubActionDefinition& action, const ZubExecutionResult& result)
{
    assign(m_isPlaygroundBusy, false);
    assign(m_playgroundResult, std::optional<ZubExecutionResult>(result));
    logActionOutcome(QStringLiteral("Playground"), action, result);
    recordHistory(result);
    handleActionSideEffects(action, result);
}

void ZubStudioViewModel::toggleActionEnabled(const QUuid& id, bool enabled)
{
    for (ZubActionDefinition& action : m_config.actions) {
        if (action.id == id) {
            action.isEnabled = enabled;
            persistConfig();
            return;
        }
    }
}

void ZubStudioViewModel::moveAction(const QUuid& id, int offset)
{
    QList<ZubActionDefinition> sorted = m_config.sortedActions();
    const auto found = std::find_if(sorted.begin(), sorted.end(),
                                    [&id](const ZubActionDefinition& action) { return action.id == id; });
    if (found == sorted.end()) {
        return;
    }
    const qsizetype index = found - sorted.begin();
    const qsizetype target = index + offset;
    if (target < 0 || target >= sorted.size()) {
        return;
    }
    sorted.swapItemsAt(index, target);
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        sorted[i].order = i;
    }
    m_config.actions = sorted;
    persistConfig();
}

void ZubStudioViewModel::addCustomAIAction(const QString& titleEN, const QString& titleTR, const QString& symbolName,
                                           const QString& prompt)
{
    const QString english = trimmed(titleEN);
    const QString turkish = trimmed(titleTR);
    const QString instruction = trimmed(prompt);
    if (instruction.isEmpty() || (english.isEmpty() && turkish.isEmpty())) {
        showToast(text(QStringLiteral("Title and prompt template are required."),
                       QStringLiteral("Başlık ve prompt şablonu gereklidir.")),
                  true);
        return;
    }
    qint64 order = 0;
    if (!m_config.actions.isEmpty()) {
        const auto highest = std::max_element(
            m_config.actions.cbegin(), m_config.actions.cend(),
            [](const ZubActionDefinition& a, const ZubActionDefinition& b) { return a.order < b.order; });
        order = highest->order + 1;
    }
    m_config.actions.append(ZubActionDefinition::make(
        QUuid::createUuid(), ZubActionKind::customAI, english.isEmpty() ? turkish : english,
        turkish.isEmpty() ? english : turkish, symbolName.isEmpty() ? QStringLiteral("sparkles") : symbolName, true,
        instruction, order));
    persistConfig();
    showToast(text(QStringLiteral("Custom AI action added."), QStringLiteral("Özel AI aksiyonu eklendi.")), false);
}

void ZubStudioViewModel::deleteCustomAction(const QUuid& id)
{
    m_config.actions.removeIf([&id](const ZubActionDefinition& action) {
        return action.id == id && action.kind == ZubActionKind::customAI;
    });
    normalizeActionOrder();
    persistConfig();
}

void ZubStudioViewModel::normalizeActionOrder()
{
    QList<ZubActionDefinition> sorted = m_config.sortedActions();
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        sorted[i].order = i;
    }
    m_config.actions = sorted;
}

void ZubStudioViewModel::resetDefaultActions()
{
    m_config.actions = ZubActionDefinition::defaultActions();
    persistConfig();
    showToast(text(QStringLiteral("Restored default actions."), QStringLiteral("Varsayılan aksiyonlar geri yüklendi.")),
              false);
}

void ZubStudioViewModel::addExcludedBundleID(const QString& value)
{
    const QString entry = trimmed(value);
    if (entry.isEmpty() || m_config.excludedBundleIDs.contains(entry, Qt::CaseInsensitive)) {
        return;
    }
    m_config.excludedBundleIDs.append(entry);
    persistConfig();
}

void ZubStudioViewModel::removeExcludedBundleID(const QString& value)
{
    m_config.excludedBundleIDs.removeIf(
        [&value](const QString& entry) { return entry.compare(value, Qt::CaseInsensitive) == 0; });
    persistConfig();
}

void ZubStudioViewModel::toggleHistoryPin(const QUuid& id)
{
    adoptLoadedHistory();
    for (ZubHistoryRecord& record : m_history) {
        if (record.id == id) {
            record.isPinned = !record.isPinned;
            saveHistory();
            return;
        }
    }
}

void ZubStudioViewModel::deleteHistoryRecord(const QUuid& id)
{
    adoptLoadedHistory();
    m_history.removeIf([&id](const ZubHistoryRecord& record) { return record.id == id; });
    saveHistory();
}

void ZubStudioViewModel::clearUnpinnedHistory()
{
    adoptLoadedHistory();
    m_history.removeIf([](const ZubHistoryRecord& record) { return !record.isPinned; });
    saveHistory();
    showToast(text(QStringLiteral("Cleared unpinned history."), QStringLiteral("Sabitlenmemiş geçmiş temizlendi.")),
              false);
}
