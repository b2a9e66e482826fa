#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"

#include "QuorKit/Cloud/QuorAIModelCatalogStore.h"
#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorBidiIsolation.h"
#include "QuorKit/Utilities/QuorGraphemes.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubCore/Engine/ZubOfflineTextEngine.h"

#include <QImage>

#include <algorithm>

namespace {
const QString kWatcher = QStringLiteral("watcher");
const QString kAction = QStringLiteral("action");
const QString kOCR = QStringLiteral("ocr");

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

void ZubStudioViewModel::presentFloatingBar(const QString& text, QPoint near, bool canReplaceInPlace,
                                            SelectionMargins margins)
{
    const QList<ZubActionDefinition> actions = m_config.enabledActions();
    if (actions.isEmpty()) {
        return;
    }
    // An action still running for the previous text must not land on the bar of this one.
    m_activeFloatingExecutionTask.cancel();
    m_replaceMargins = std::move(margins);
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
        self->presentFloatingBar(trimmed(*captured), mouseLocation, true, SelectionMargins::of(*captured));
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
    // The bar would have nothing to offer and not show at all.
    if (m_config.enabledActions().isEmpty()) {
        showToast(this->text(QStringLiteral("No action is turned on. Turn one on in the Actions tab first."),
                             QStringLiteral("Açık aksiyon yok. Önce Aksiyonlar sekmesinden birini açın.")),
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
    const auto edits = std::exchange(m_historyEditsWhileLoading, {});
    for (const auto& edit : edits) {
        edit(m_history);
    }
    if (!edits.isEmpty()) {
        saveHistory();
        return;
    }
    emit changed();
}

void ZubStudioViewModel::editHistory(std::function<void(QList<ZubHistoryRecord>&)> edit,
                                     std::optional<QString> confirmation)
{
    edit(m_history);
    if (confirmation) {
        m_unsavedHistoryConfirmation = std::move(confirmation);
    }
    if (m_historyLoader) {
        // Saving now would write this run's records over the file still being read.
        m_historyEditsWhileLoading.append(std::move(edit));
        emit changed();
        return;
    }
    saveHistory();
}

void ZubStudioViewModel::recordHistory(const ZubExecutionResult& result)
{
    editHistory([record = ZubHistoryRecord::fromResult(result), store = m_store](QList<ZubHistoryRecord>& history) {
        history.insert(0, record);
        // Memory holds what the file holds: pinned records always, then the newest unpinned ones.
        history = store.capHistory(history);
    });
}

void ZubStudioViewModel::saveHistory()
{
    const quint64 number = m_historyWriter.save(m_history);
    if (m_unsavedHistoryConfirmation) {
        m_historyReport.confirmWhenWritten(number, std::move(*m_unsavedHistoryConfirmation));
        m_unsavedHistoryConfirmation.reset();
    }
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
            openInBrowser(url);
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

void ZubStudioViewModel::openInBrowser(const QUrl& url)
{
    const QPointer<ZubStudioViewModel> self(this);
    const quint64 presentation = m_floatingBarController->presentationToken();
    m_environment->openURL(url, [self, url, presentation](bool opened) {
        if (!self) {
            return;
        }
        if (!opened) {
            // The bar keeps the address with its Copy button; the message reaches a user whose
            // studio is closed too.
            self->showToast(QuorBrowserHandOff::failureMessage(self->m_language) + QLatin1Char(' ')
                                + url.toString(QUrl::FullyEncoded),
                            true);
            return;
        }
        // The browser takes over, unless the bar was shown again for something else meanwhile.
        if (self->m_floatingBarController->presentationToken() == presentation) {
            self->m_floatingBarController->hide(true);
        }
    });
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
    // Trimming took the selection's surrounding spaces and line breaks off; they go back with it.
    runReplace(QPointer<ZubStudioViewModel>(this), m_replaceMargins.around(replacement), m_lastCapturedSourceApp);
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
    const SelectionReplaceOutcome outcome = co_await environment->replaceSelection(text);
    if (!self) {
        co_return;
    }
    switch (outcome) {
    case SelectionReplaceOutcome::pasted:
        self->showToast(self->text(QStringLiteral("Replaced selection in-place."),
                                   QStringLiteral("Seçili metin yerinde değiştirildi.")),
                        false);
        co_return;
    case SelectionReplaceOutcome::notFetched:
        // The watcher left it on the clipboard, which no other program took meanwhile.
        self->showToast(self->text(QStringLiteral("The result could not be pasted there; it is on the clipboard."),
                                   QStringLiteral("Sonuç oraya yapıştırılamadı; panoda duruyor.")),
                        true);
        co_return;
    case SelectionReplaceOutcome::unconfirmed:
        // Left on the clipboard: the program that read it is the kind that keeps clipboard history.
        self->showToast(self->text(QStringLiteral("The paste keys went out, but only a program that reads every copy "
                                                  "(a clipboard manager) read the result, so it is not known whether it "
                                                  "was pasted there. The result is on the clipboard."),
                                   QStringLiteral("Yapıştırma tuşları gönderildi, ancak sonucu yalnızca her kopyayı okuyan "
                                                  "bir program (pano yöneticisi) okudu; bu yüzden oraya yapıştırılıp "
                                                  "yapıştırılmadığı bilinmiyor. Sonuç panoda.")),
                        false);
        co_return;
    case SelectionReplaceOutcome::takenOver:
        // What that program put on the clipboard stays; the result may well have been pasted.
        self->showToast(self->text(QStringLiteral("Another program took the clipboard over during the paste, so it is "
                                                  "not known whether the result was pasted there."),
                                   QStringLiteral("Yapıştırma sırasında panoyu başka bir program devraldı; sonucun oraya "
                                                  "yapıştırılıp yapıştırılmadığı bilinmiyor.")),
                        false);
        co_return;
    case SelectionReplaceOutcome::noPasteKeys:
        environment->setClipboardText(text);
        // Keys pasted into a terminal would reach its shell; nothing is missing on this desktop.
        self->showToast(self->text(QStringLiteral("Copied to clipboard. Paste keys are not sent to terminals and "
                                                  "editors with keys of their own: paste it there yourself."),
                                   QStringLiteral("Panoya kopyalandı. Yapıştırma tuşları terminallere ve kendi tuşları "
                                                  "olan düzenleyicilere gönderilmez: oraya kendiniz yapıştırın.")),
                        true);
        co_return;
    case SelectionReplaceOutcome::calledOff:
        environment->setClipboardText(text);
        self->showToast(self->text(QStringLiteral("Nothing was pasted: you clicked or selected text before the paste. "
                                                  "The result is on the clipboard."),
                                   QStringLiteral("Hiçbir şey yapıştırılmadı: yapıştırmadan önce tıkladınız veya metin "
                                                  "seçtiniz. Sonuç panoda.")),
                        true);
        co_return;
    case SelectionReplaceOutcome::focusMoved:
        environment->setClipboardText(text);
        // The user may have switched, or another program opened a window and took the focus.
        self->showToast(self->text(QStringLiteral("Nothing was pasted: the focus moved to another window before the "
                                                  "paste. The result is on the clipboard."),
                                   QStringLiteral("Hiçbir şey yapıştırılmadı: yapıştırmadan önce odak başka bir "
                                                  "pencereye geçti. Sonuç panoda.")),
                        true);
        co_return;
    case SelectionReplaceOutcome::clipboardUnreadable:
        // Putting the result on the clipboard would lose what the user had copied: it stays in the
        // history instead.
        self->showToast(self->text(QStringLiteral("Nothing was pasted: what you had copied could not be read in time to "
                                                  "be kept (the program holding it answers slowly, or it is very "
                                                  "large), so your clipboard was left as it was. The result is in the "
                                                  "history."),
                                   QStringLiteral("Hiçbir şey yapıştırılmadı: kopyaladığınız içerik saklanmak için "
                                                  "zamanında okunamadı (onu tutan program yavaş yanıt veriyor ya da "
                                                  "içerik çok büyük); bu yüzden panonuza dokunulmadı. Sonuç geçmişte.")),
                        true);
        co_return;
    case SelectionReplaceOutcome::unavailable:
        break;
    }
    environment->setClipboardText(text);
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
                  .arg(QuorBidiIsolation::isolated(*path)),
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
