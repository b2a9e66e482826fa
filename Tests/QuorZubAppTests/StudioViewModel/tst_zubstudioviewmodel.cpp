#include "FakeStudioEnvironment.h"

#include "QuorKit/Cloud/QuorBrowserHandOff.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorNotificationCenter.h"
#include "QuorKit/Windowing/QuorAppActivationDelegate.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubCore/Services/ZubConfigStore.h"

#include "Support/QuorTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <cerrno>

namespace {

QByteArray pngBytes()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ZubActionDefinition actionOf(ZubActionKind kind)
{
    for (const ZubActionDefinition& action : ZubActionDefinition::defaultActions()) {
        if (action.kind == kind) {
            return action;
        }
    }
    return ZubActionDefinition::make(QUuid::createUuid(), kind, std::nullopt, std::nullopt, std::nullopt, true,
                                     std::nullopt, 0);
}

ZubHistoryRecord record(const QString& output, bool pinned = false, int secondsAgo = 0)
{
    ZubHistoryRecord r;
    r.id = QUuid::createUuid();
    r.actionKind = ZubActionKind::plainCopy;
    r.actionTitle = QStringLiteral("Plain Copy");
    r.inputText = output;
    r.outputText = output;
    r.isPinned = pinned;
    r.createdAt = QDateTime::currentDateTimeUtc().addSecs(-secondsAgo);
    return r;
}

// Keeps the global thread pool's only thread busy while it lives, so work started there (the
// history read at start) waits for it to go.
class PoolHold {
public:
    PoolHold() : m_threads(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(1);
        QThreadPool::globalInstance()->start([gate = m_gate] { gate->acquire(); });
    }
    ~PoolHold()
    {
        m_gate->release();
        QThreadPool::globalInstance()->setMaxThreadCount(m_threads);
    }
    PoolHold(const PoolHold&) = delete;
    PoolHold& operator=(const PoolHold&) = delete;

private:
    int m_threads;
    std::shared_ptr<QSemaphore> m_gate = std::make_shared<QSemaphore>();
};

} // namespace

class TestZubStudioViewModel : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeStudioEnvironment* m_env = nullptr;
    std::unique_ptr<ZubStudioViewModel> m_vm;
    ZubConfig m_config;

    void make(const std::function<void(FakeStudioEnvironment&)>& setup = {})
    {
        m_vm.reset();
        ZubConfigStore(m_dir->path()).saveConfig(m_config);
        auto env = std::make_unique<FakeStudioEnvironment>();
        m_env = env.get();
        if (setup) {
            setup(*env);
        }
        m_vm = std::make_unique<ZubStudioViewModel>(std::move(env), m_dir->path());
    }

    ZubConfigStore store() const { return ZubConfigStore(m_dir->path()); }
    ZubFloatingBarController* bar() const { return m_vm->floatingBarController(); }
    ZubFloatingBarState* barState() const { return bar()->state(); }
    bool barUp() const { return bar()->panel() != nullptr && bar()->panel()->isVisible(); }

    QString log() const
    {
        QFile file(m_vm->logger()->currentLogFileURL().toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll());
    }

    void select(const QString& text, const SelectionMargins& margins = {})
    {
        QVERIFY(m_env->onSelection);
        m_env->onSelection(text, QPoint(300, 300), margins);
    }

    void runFromBar(ZubActionKind kind) { bar()->onSelectAction(actionOf(kind)); }

    // The data folder's place is taken by a file: nothing can be written there, by any user.
    bool blockDataFolder() const
    {
        QFile blocker(m_dir->path());
        return QDir(m_dir->path()).removeRecursively() && blocker.open(QIODevice::WriteOnly);
    }

    // Notes every toast, an error one as "error: " and its text.
    void recordToasts(QStringList& toasts) const
    {
        connect(m_vm.get(), &ZubStudioModel::toastRaised, m_vm.get(), [&toasts](const QString& message, bool isError) {
            toasts << (isError ? QStringLiteral("error: ") : QString()) + message;
        });
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QuorAppLogger::shared(QStringLiteral("QuorZub"))->clear();
        m_config = ZubConfig::defaultConfig();
        m_config.translationBackend = ZubTranslationBackend::offlineOnly;
    }

    void cleanup()
    {
        m_vm.reset();
        m_dir.reset();
    }

    // A save's outcome belongs to the provider and the host it was started for.
    void aKeyIsSavedForTheEndpointItWasSavedAt()
    {
        m_config.aiConfig = QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("https://ai.example.test/v1/chat/completions"));
        make();
        QUOR_TRY_COMPARE(m_env->loadCount, 1);
        m_env->saveGate = std::make_shared<FakeStudioEnvironment::Gate>();
        auto saving = m_vm->saveAPIKeyToKeychain(QStringLiteral("sk-cloud"));
        m_vm->updateAIConfig(QuorAIConfig(QuorAIProvider::ollamaLocal));
        QUOR_TRY_COMPARE(m_env->loadCount, 2);
        m_env->saveGate->open();
        QCOMPARE(quorAwait(std::move(saving)), QuorAPIKeyOutcome::done());
        QVERIFY(!m_vm->hasSavedAPIKey());

        // Back on the endpoint it was saved at, the key counts; on another host of the same provider
        // (a local runtime the catalog offers) it does not.
        m_vm->updateAIConfig(m_config.aiConfig);
        QUOR_TRY_VERIFY(m_vm->hasSavedAPIKey());
        m_vm->updateAIConfig(QuorAIConfig(QuorAIProvider::openAI, QStringLiteral("http://127.0.0.1:1234/v1/chat/completions")));
        QVERIFY(!m_vm->hasSavedAPIKey());
        m_vm->updateAIConfig(m_config.aiConfig);
        QVERIFY(m_vm->hasSavedAPIKey());
    }

    void startUpLoadsFilesRegistersHotKeysAndWatches()
    {
        m_config.targetLanguage = ZubTargetLanguage::german;
        store().saveHistory({record(QStringLiteral("kept"))});
        make([](FakeStudioEnvironment& env) {
            env.keys[QuorAIProvider::ollamaLocal] = QStringLiteral("k");
            env.running = {{QStringLiteral("org.gnome.TextEditor"), QStringLiteral("Text Editor"), true, 1}};
        });
        QCOMPARE(m_vm->config().targetLanguage, ZubTargetLanguage::german);
        QCOMPARE(m_vm->history().size(), 1);
        QCOMPARE(m_env->hotkeys.size(), 2);
        QCOMPARE(m_env->hotkeys[0].keyCode, 0u);
        QCOMPARE(m_env->hotkeys[0].modifiers, 0x0900u);
        QCOMPARE(m_env->hotkeys[1].keyCode, 31u);
        QCOMPARE(m_env->hotkeys[1].modifiers, 0x0B00u);
        QCOMPARE(m_env->startCount, 1);
        QUOR_TRY_VERIFY(m_vm->hasSavedAPIKey());
        QCOMPARE(m_vm->runningApps().size(), 1);
        QVERIFY(m_vm->playgroundText().contains(QStringLiteral("4250 + 20%")));
        QVERIFY(log().contains(QStringLiteral("QuorZub initialized (autoZub=true, enabledActions=12, backend=offlineOnly)")));

        // The hot keys reach the view model: Ctrl+Alt+A reads the selection.
        m_env->capturedText = QStringLiteral("  from the hot key \n");
        m_env->hotkeys[0].action();
        QUOR_TRY_VERIFY(barUp());
        QCOMPARE(barState()->sourceText(), QStringLiteral("from the hot key"));
    }

    void toastsReplaceEachOtherAndClearAfterTheirOwnDelay()
    {
        make();
        m_vm->showToast(QStringLiteral("first"), true);
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("first"));
        quorSpin(std::chrono::milliseconds(1500));
        QElapsedTimer shown;
        shown.start();
        const QuorHeldClock held;
        m_vm->showToast(QStringLiteral("second"), false);
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("second"));
        QVERIFY(!m_vm->toastIsError());
        // The first toast's timer ends 1.3 s from here; the second stays its own 2.8 s all the same,
        // and not much longer in the time this thread ran, however long a busy machine held it.
        QUOR_TRY_VERIFY(!m_vm->toastMessage().has_value());
        QVERIFY2(shown.elapsed() >= ZubStudioViewModel::toastDuration.count(), qPrintable(QString::number(shown.elapsed())));
        QVERIFY2(held.elapsedMs() < 4100, qPrintable(QString::number(held.elapsedMs())));
        QVERIFY(!m_vm->toastIsError());
    }

    void autoShowSwitchStartsAndStopsTheWatcherOnce()
    {
        make();
        m_vm->setAutoShowOnSelection(true);
        QCOMPARE(m_env->startCount, 1);
        m_vm->setAutoShowOnSelection(false);
        QCOMPARE(m_env->stopCount, 1);
        // Confirmed once the file holds it.
        QUOR_TRY_COMPARE(m_vm->toastMessage(), QStringLiteral("Auto-Zub paused (Ctrl+Alt+A manual trigger still active)."));
        m_vm->setAutoShowOnSelection(false);
        QCOMPARE(m_env->stopCount, 1);
        m_vm->flushConfig();
        QVERIFY(!store().loadConfig().autoShowOnSelection);
        m_vm->setAutoShowOnSelection(true);
        QCOMPARE(m_env->startCount, 2);
        QUOR_TRY_COMPARE(m_vm->toastMessage(), QStringLiteral("Auto-Zub on text selection enabled."));
        QVERIFY(log().contains(QStringLiteral("Auto-Zub selection watcher paused")));
    }

    // A save that fails is never confirmed: the user is told why at every save that fails, in their
    // language, also once the last message has faded; the change stays in memory and the next save
    // writes it.
    void aSaveThatFailsIsNeverConfirmed()
    {
        make();
        QVERIFY(blockDataFolder());
        QStringList toasts;
        recordToasts(toasts);
        const auto failure = [this](QuorLanguage language) {
            return ZubStudioViewModel::configSaveFailureMessage(ENOTDIR, m_dir->path(), language);
        };
        const auto error = [&failure](QuorLanguage language) { return QStringLiteral("error: ") + failure(language); };

        m_vm->resetDefaultActions();
        QUOR_TRY_COMPARE(toasts, QStringList{error(QuorLanguage::en)});
        // The folder is named apart from the sentence, whatever its script.
        QVERIFY(toasts.first().contains(QChar(0x2068) + m_dir->path() + QChar(0x2069)));
        QUOR_TRY_VERIFY(!m_vm->toastMessage().has_value());
        for (int i = 0; i < 5; ++i) {
            m_vm->cycleTargetLanguage();
        }
        m_vm->flushConfig();
        QUOR_TRY_COMPARE(m_vm->toastMessage(), failure(QuorLanguage::en));
        QVERIFY(m_vm->toastIsError());
        m_vm->setLanguage(QuorLanguage::tr);
        m_vm->setAutoShowOnSelection(false);
        QUOR_TRY_COMPARE(toasts.last(), error(QuorLanguage::tr));
        QVERIFY(!toasts.contains(QStringLiteral("Otomatik Zub duraklatıldı (Ctrl+Alt+A kısayolu hâlâ aktif).")));
        QCOMPARE(m_vm->config().targetLanguage, ZubTargetLanguage::spanish);
        QVERIFY(!m_vm->config().autoShowOnSelection);

        QVERIFY(QFile::remove(m_dir->path()));
        QVERIFY(QDir().mkpath(m_dir->path()));
        m_vm->setAutoShowOnSelection(true);
        QUOR_TRY_COMPARE(toasts.last(), QStringLiteral("Metin seçiminde Otomatik Zub açıldı."));
        const ZubConfig saved = store().loadConfig();
        QCOMPARE(saved.targetLanguage, ZubTargetLanguage::spanish);
        QVERIFY(saved.autoShowOnSelection);
    }

    // So is a history save: the records stay in memory, the user hears of every change that could
    // not be saved, and the next save tries again.
    void aHistorySaveThatFailsIsNeverConfirmed()
    {
        const ZubHistoryRecord pinned = record(QStringLiteral("pinned"), true);
        store().saveHistory({pinned, record(QStringLiteral("loose"))});
        make();
        QVERIFY(blockDataFolder());
        QStringList toasts;
        recordToasts(toasts);

        m_vm->clearUnpinnedHistory();
        const QString failure = QStringLiteral("error: ")
                                + ZubStudioViewModel::historySaveFailureMessage(ENOTDIR, m_dir->path(), QuorLanguage::en);
        QUOR_TRY_COMPARE(toasts, QStringList{failure});
        QCOMPARE(m_vm->history().size(), 1);
        m_vm->toggleHistoryPin(pinned.id);
        m_vm->flushHistory();
        QUOR_TRY_COMPARE(toasts, (QStringList{failure, failure}));
        QVERIFY(!m_vm->history().first().isPinned);

        QVERIFY(QFile::remove(m_dir->path()));
        QVERIFY(QDir().mkpath(m_dir->path()));
        m_vm->clearUnpinnedHistory();
        QUOR_TRY_COMPARE(toasts.size(), 3);
        QCOMPARE(toasts.last(), QStringLiteral("Cleared unpinned history."));
        QVERIFY(store().loadHistory().isEmpty());
    }

    void settingsOperations()
    {
        m_config.targetLanguage = ZubTargetLanguage::japanese;
        m_config.excludedBundleIDs = {QStringLiteral("org.keepassxc.KeePassXC")};
        make();
        m_vm->cycleTargetLanguage();
        QCOMPARE(m_vm->config().targetLanguage, ZubTargetLanguage::autoFlipTREN);
        QCOMPARE(barState()->targetLanguage(), ZubTargetLanguage::autoFlipTREN);
        m_vm->flushConfig();
        QCOMPARE(store().loadConfig().targetLanguage, ZubTargetLanguage::autoFlipTREN);

        // The watcher sees the exclusions lower-cased, as they are now.
        QCOMPARE(m_env->excludedProvider(), QSet<QString>{QStringLiteral("org.keepassxc.keepassxc")});
        m_vm->addExcludedBundleID(QStringLiteral("  ORG.KEEPASSXC.keepassxc "));
        QCOMPARE(m_vm->config().excludedBundleIDs.size(), 1);
        m_vm->addExcludedBundleID(QStringLiteral(" Kitty "));
        QCOMPARE(m_vm->config().excludedBundleIDs.last(), QStringLiteral("Kitty"));
        QVERIFY(m_env->excludedProvider().contains(QStringLiteral("kitty")));
        m_vm->removeExcludedBundleID(QStringLiteral("ORG.KEEPASSXC.KEEPASSXC"));
        m_vm->flushConfig();
        QCOMPARE(store().loadConfig().excludedBundleIDs, QStringList{QStringLiteral("Kitty")});

        // Keys: blank is refused, the keyring is read again only for another provider.
        QUOR_TRY_COMPARE(m_env->loadCount, 1);
        QVERIFY(!quorAwait(m_vm->saveAPIKeyToKeychain(QStringLiteral("   "))).succeeded);
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Enter an API key first."));
        QVERIFY(m_vm->toastIsError());
        QVERIFY(m_env->keys.isEmpty());
        QuorAIConfig ai = m_vm->config().aiConfig;
        ai.model = QStringLiteral("other-model");
        m_vm->updateAIConfig(ai);
        quorSpin(std::chrono::milliseconds(50));
        QCOMPARE(m_env->loadCount, 1);
        m_vm->setApiKeyDraft(QStringLiteral("draft"));
        m_env->keys[QuorAIProvider::openAI] = QStringLiteral("sk-x");
        m_vm->updateAIConfig(QuorAIConfig(QuorAIProvider::openAI, std::nullopt, std::nullopt));
        QCOMPARE(m_vm->apiKeyDraft(), QString());
        QUOR_TRY_VERIFY(m_vm->hasSavedAPIKey());
        QCOMPARE(m_env->loadCount, 2);

        m_env->saveFailure = QStringLiteral("the keyring is locked");
        m_vm->setApiKeyDraft(QStringLiteral("sk-new"));
        const QuorAPIKeyOutcome refused = quorAwait(m_vm->saveAPIKeyToKeychain(std::nullopt));
        QCOMPARE(refused, QuorAPIKeyOutcome::failed(QStringLiteral("the keyring is locked")));
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Keyring save failed: the keyring is locked"));
        QCOMPARE(m_vm->apiKeyDraft(), QStringLiteral("sk-new"));
        QVERIFY(!log().contains(QStringLiteral("sk-new")));
        m_env->saveFailure.reset();
        QCOMPARE(quorAwait(m_vm->saveAPIKeyToKeychain(QStringLiteral(" sk-new \n"))), QuorAPIKeyOutcome::done());
        QCOMPARE(m_env->keys.value(QuorAIProvider::openAI), QStringLiteral("sk-new"));
        QCOMPARE(m_vm->apiKeyDraft(), QString());
        QVERIFY(m_vm->hasSavedAPIKey());

        // Removal is reported only once the keyring no longer has the key.
        m_env->deleteIgnored = true;
        QVERIFY(!quorAwait(m_vm->deleteAPIKeyFromKeychain()).succeeded);
        QVERIFY(m_vm->hasSavedAPIKey());
        QVERIFY(m_vm->toastIsError());
        m_env->deleteIgnored = false;
        // A locked keyring refuses and then reads nothing: that is no removal either.
        m_env->deleteFailure = QStringLiteral("the keyring is locked, so the key was not removed");
        QCOMPARE(quorAwait(m_vm->deleteAPIKeyFromKeychain()),
                 QuorAPIKeyOutcome::failed(QStringLiteral("the keyring is locked, so the key was not removed")));
        QVERIFY(m_vm->hasSavedAPIKey());
        QVERIFY(m_vm->toastIsError());
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("the keyring is locked, so the key was not removed"));
        m_env->deleteFailure.reset();
        m_env->keys = m_env->lockedKeys;
        QCOMPARE(quorAwait(m_vm->deleteAPIKeyFromKeychain()), QuorAPIKeyOutcome::done());
        QVERIFY(!m_vm->hasSavedAPIKey());
        QVERIFY(!m_env->keys.contains(QuorAIProvider::openAI));
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("API key removed from the system keyring."));

        // A refused login item shows the state as it really is.
        m_env->launchAtLoginWorks = false;
        m_vm->toggleLaunchAtLogin(true);
        QVERIFY(!m_vm->launchAtLogin());
        QVERIFY(m_vm->toastIsError());

        m_env->accessibility = false;
        m_vm->requestAccessibilityPermission();
        QCOMPARE(m_env->accessibilitySettingsOpened, 1);
    }

    void runningAppsAreRegularUniqueAndSorted()
    {
        make([](FakeStudioEnvironment& env) {
            env.running = {
                {QStringLiteral("org.mozilla.firefox"), QStringLiteral("firefox"), true, 1},
                {QStringLiteral("ORG.MOZILLA.FIREFOX"), QStringLiteral("Firefox 2"), true, 2},
                {QStringLiteral("com.tallowmer.QuorZub"), QStringLiteral("QuorZub"), true, 3},
                {QStringLiteral("xfce4-panel"), QStringLiteral("Panel"), false, 4},
                {QString(), QStringLiteral("Nameless"), true, 5},
                {QStringLiteral("org.gnome.Calculator"), QString(), true, 6},
                {QStringLiteral("kitty"), QStringLiteral("Alacritty"), true, 7},
            };
        });
        const QList<RunningAppCandidate> expected{
            {QStringLiteral("kitty"), QStringLiteral("Alacritty"), QStringLiteral("kitty")},
            {QStringLiteral("org.mozilla.firefox"), QStringLiteral("firefox"), QStringLiteral("org.mozilla.firefox")},
            {QStringLiteral("org.gnome.calculator"), QStringLiteral("org.gnome.Calculator"),
             QStringLiteral("org.gnome.Calculator")},
        };
        QCOMPARE(m_vm->runningApps(), expected);
    }

    void selectionShowsTheBarAndAnActionIsRecorded()
    {
        make([](FakeStudioEnvironment& env) {
            env.frontmost = ZubStudioEnvironment::Application{QStringLiteral("org.gnome.texteditor"), QStringLiteral("Text Editor"), true, 9};
        });
        select(QStringLiteral("200 + 10%"));
        QVERIFY(barUp());
        QVERIFY(barState()->canReplaceInPlace());
        QCOMPARE(barState()->sourceText(), QStringLiteral("200 + 10%"));
        // Clicks on the bar itself are not new selections.
        QUOR_TRY_VERIFY(barState()->isPresented());
        QVERIFY(m_env->ignoreLocation(bar()->panel()->geometry().center()));
        QVERIFY(!m_env->ignoreLocation(QPoint(5, 5)));

        runFromBar(ZubActionKind::calculate);
        QUOR_TRY_VERIFY(barState()->result().has_value());
        QCOMPARE(barState()->result()->outputText, QStringLiteral("out:200 + 10%"));
        QCOMPARE(m_vm->history().size(), 1);
        m_vm->flushHistory();
        QCOMPARE(store().loadHistory().size(), 1);
        const QString text = log();
        QVERIFY(text.contains(QStringLiteral("Executing floating action 'calculate' (inputChars=9)")));
        QVERIFY(text.contains(QStringLiteral("Completed floating action 'calculate' in 5 ms (outputChars=13)")));

        // Replace goes back to the application the text came from, after a short pause.
        bar()->onReplaceSelection(QStringLiteral("220"));
        QVERIFY(!barUp());
        QUOR_TRY_COMPARE(m_env->replaced, QStringList{QStringLiteral("220")});
        QCOMPARE(m_env->activated.size(), 1);
        QCOMPARE(m_env->activated[0].handle, 9u);
        QUOR_TRY_COMPARE(m_vm->toastMessage(), QStringLiteral("Replaced selection in-place."));
    }

    void replaceIntoThisApplicationAndFailedReplace()
    {
        make([](FakeStudioEnvironment& env) {
            env.frontmost = ZubStudioEnvironment::Application{QStringLiteral("com.tallowmer.quorzub"), QStringLiteral("QuorZub"), true, 1};
        });
        // A paste into our own window is told like any other. Whatever kept the paste from
        // happening, the result ends on the clipboard and the toast says why, as an error. Where it
        // is not known whether it was pasted (a program took the clipboard over and keeps it, or
        // only a clipboard manager read it), the toast says only what is known.
        const auto resultFor = [](SelectionReplaceOutcome outcome) {
            return QStringLiteral("RESULT %1").arg(static_cast<int>(outcome));
        };
        struct Case {
            SelectionReplaceOutcome outcome;
            QString toast;
            bool isError;
            std::optional<QString> clipboard;
        };
        const QList<Case> cases{
            {SelectionReplaceOutcome::pasted, QStringLiteral("Replaced selection in-place."), false, std::nullopt},
            {SelectionReplaceOutcome::notFetched, QStringLiteral("The result could not be pasted there; it is on the clipboard."),
             true, resultFor(SelectionReplaceOutcome::notFetched)},
            {SelectionReplaceOutcome::unconfirmed,
             QStringLiteral("The paste keys went out, but only a program that reads every copy (a clipboard manager) read "
                            "the result, so it is not known whether it was pasted there. The result is on the clipboard."),
             false, resultFor(SelectionReplaceOutcome::unconfirmed)},
            {SelectionReplaceOutcome::noPasteKeys,
             QStringLiteral("Copied to clipboard. Paste keys are not sent to terminals and editors with keys of their "
                            "own: paste it there yourself."),
             true, resultFor(SelectionReplaceOutcome::noPasteKeys)},
            {SelectionReplaceOutcome::unavailable,
             QStringLiteral("Copied to clipboard (automatic paste needs selection and key access (X11))."), true,
             resultFor(SelectionReplaceOutcome::unavailable)},
            {SelectionReplaceOutcome::calledOff,
             QStringLiteral("Nothing was pasted: you clicked or selected text before the paste. The result is on the "
                            "clipboard."),
             true, resultFor(SelectionReplaceOutcome::calledOff)},
            {SelectionReplaceOutcome::focusMoved,
             QStringLiteral("Nothing was pasted: the focus moved to another window before the paste. The result is on "
                            "the clipboard."),
             true, resultFor(SelectionReplaceOutcome::focusMoved)},
            {SelectionReplaceOutcome::takenOver,
             QStringLiteral("Another program took the clipboard over during the paste, so it is not known whether the "
                            "result was pasted there."),
             false, QStringLiteral("another program's clip")},
            // The user's clipboard stays with its owner, untouched.
            {SelectionReplaceOutcome::clipboardUnreadable,
             QStringLiteral("Nothing was pasted: what you had copied could not be read in time to be kept (the program "
                            "holding it answers slowly, or it is very large), so your clipboard was left as it was. The "
                            "result is in the history."),
             true, std::nullopt},
        };
        for (const Case& expected : cases) {
            m_env->replaceOutcome = expected.outcome;
            m_env->clipboard.reset();
            select(QStringLiteral("hello"));
            bar()->onReplaceSelection(resultFor(expected.outcome));
            QUOR_TRY_COMPARE(m_vm->toastMessage(), std::optional<QString>(expected.toast));
            QCOMPARE(m_vm->toastIsError(), expected.isError);
            QCOMPARE(m_env->clipboard, expected.clipboard);
        }
        QCOMPARE(m_env->replaced.size(), cases.size());
        QVERIFY(m_env->activated.isEmpty());
    }

    // The bar works on the trimmed text; the replacement gets the spaces and line breaks the
    // selection had around it back, so none of the document's is lost.
    void replaceKeepsTheWhiteSpaceAroundTheSelection_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QString>("captured");
        QTest::addColumn<QString>("replaced");
        QTest::newRow("a word with its space") << false << QStringLiteral("hello ") << QStringLiteral("RESULT ");
        QTest::newRow("a line with its line break") << false << QStringLiteral("\tone line\n")
                                                    << QStringLiteral("\tRESULT\n");
        QTest::newRow("by the hot key") << true << QStringLiteral("  hello\r\n") << QStringLiteral("  RESULT\r\n");
    }

    void replaceKeepsTheWhiteSpaceAroundTheSelection()
    {
        QFETCH(bool, manual);
        QFETCH(QString, captured);
        QFETCH(QString, replaced);
        make([captured](FakeStudioEnvironment& env) { env.capturedText = captured; });
        if (manual) {
            m_vm->triggerManualZub();
            QUOR_TRY_VERIFY(barUp());
        } else {
            select(captured.trimmed(), SelectionMargins::of(captured));
        }
        QCOMPARE(barState()->sourceText(), captured.trimmed());
        bar()->onReplaceSelection(QStringLiteral("RESULT"));
        QUOR_TRY_COMPARE(m_env->replaced, QStringList{replaced});
    }

    void withoutEnabledActionsNothingShows()
    {
        for (ZubActionDefinition& action : m_config.actions) {
            action.isEnabled = false;
        }
        make([](FakeStudioEnvironment& env) { env.capturedText = QStringLiteral("text"); });
        select(QStringLiteral("text"));
        m_vm->triggerManualZub();
        quorSpin(std::chrono::milliseconds(50));
        QVERIFY(!barUp());
        QVERIFY(!m_vm->toastMessage());
        // Asked for by a button in the studio, the preview says why no bar comes.
        m_vm->previewPlaygroundInFloatingBar();
        QVERIFY(!barUp());
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("No action is turned on. Turn one on in the Actions tab first."));
        QVERIFY(m_vm->toastIsError());
    }

    void manualTriggerFallsBackToTheClipboard()
    {
        make([](FakeStudioEnvironment& env) { env.clipboard = QStringLiteral(" \n\t "); });
        m_vm->triggerManualZub();
        QUOR_TRY_COMPARE(m_vm->toastMessage(), QStringLiteral("No selected text or clipboard text found."));
        QVERIFY(m_vm->toastIsError());

        m_env->clipboard = QStringLiteral("  copied words ");
        m_vm->triggerManualZub();
        QUOR_TRY_VERIFY(barUp());
        QCOMPARE(barState()->sourceText(), QStringLiteral("copied words"));
        QVERIFY(!barState()->canReplaceInPlace());

        m_vm->setPlaygroundText(QStringLiteral("   "));
        m_vm->previewPlaygroundInFloatingBar();
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Type some text in Playground first."));

        // A text too large to work on is said to be so, by the hot key and by a selection alike.
        bar()->hide(false);
        m_env->readFailure = QuorError(QStringLiteral("Too large."), QStringLiteral("Çok büyük."));
        m_vm->triggerManualZub();
        QUOR_TRY_COMPARE(m_vm->toastMessage(), QStringLiteral("Too large."));
        QVERIFY(m_vm->toastIsError());
        QVERIFY(!barUp());
        m_env->onSelectionFailure(QuorError(QStringLiteral("Selection too large."), QString()));
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Selection too large."));
        // The log says so too, whoever reads it later.
        QUOR_TRY_VERIFY(log().contains(QStringLiteral("Manual trigger found no text to show: Too large.")));
        QUOR_TRY_VERIFY(log().contains(QStringLiteral("Selection not shown: Selection too large.")));
    }

    void aHugeSelectionShowsTheBarWithoutHoldingTheInterface()
    {
        // About 10 MB. The scripted desktop answers at once, so the whole road runs in this call.
        const QString huge = QStringLiteral("Büyük seçim, big selection.").repeated(370000);
        make([](FakeStudioEnvironment& env) { env.capturedText = QStringLiteral("a first selection"); });
        // The process's first bar pays once for what any text needs (fonts, glyphs, the panel); run
        // alone, this test would count that too.
        m_vm->triggerManualZub();
        QVERIFY(barUp());
        bar()->hide(false);
        m_env->capturedText = huge;
        // Time this thread ran: a busy machine may also keep it waiting for a CPU meanwhile.
        const QuorHeldClock clock;
        m_vm->triggerManualZub();
        const qint64 took = clock.elapsedMs();
        QVERIFY(barUp());
        QCOMPARE(barState()->sourceText().size(), huge.size());
        QVERIFY2(took <= 50, qPrintable(QStringLiteral("%1 ms").arg(took)));
    }

    void onlyTheLatestActionIsRecordedAndCancelledRunsLeaveNoTrace()
    {
        make([](FakeStudioEnvironment& env) { env.holdRuns = true; });
        select(QStringLiteral("first text"));
        runFromBar(ZubActionKind::wordStats);
        runFromBar(ZubActionKind::caseTransform);
        QCOMPARE(m_env->runs.size(), 2);
        QVERIFY(m_env->runs[0]->token.isCancelled());
        m_env->release(1);
        QUOR_TRY_VERIFY(barState()->result().has_value());
        quorSpin(std::chrono::milliseconds(50));
        QCOMPARE(m_vm->history().size(), 1);
        QCOMPARE(m_vm->history()[0].actionKind, ZubActionKind::caseTransform);
        QVERIFY(!log().contains(QStringLiteral("Completed floating action 'wordStats'")));

        // Dismissing the bar cancels the running action: nothing is recorded.
        runFromBar(ZubActionKind::summarize);
        bar()->hide(false);
        QVERIFY(m_env->runs[2]->token.isCancelled());
        QUOR_TRY_VERIFY(m_env->runs[2]->finished);
        quorSpin(std::chrono::milliseconds(50));
        QCOMPARE(m_vm->history().size(), 1);
        m_vm->flushHistory();
        QCOMPARE(store().loadHistory().size(), 1);
    }

    void anActionOfAnEarlierSelectionNeverLandsOnANewBar()
    {
        make([](FakeStudioEnvironment& env) { env.holdRuns = true; });
        select(QStringLiteral("old selection"));
        runFromBar(ZubActionKind::fixGrammar);
        // The bar is shown again for a new selection while the action still runs.
        select(QStringLiteral("new selection"));
        m_env->release(0);
        QUOR_TRY_VERIFY(m_env->runs[0]->finished);
        quorSpin(std::chrono::milliseconds(50));
        QCOMPARE(barState()->sourceText(), QStringLiteral("new selection"));
        QVERIFY(!barState()->result().has_value());
        QVERIFY(!barState()->isExecuting());
        QVERIFY(m_vm->history().isEmpty());
        // Replace now can only write what was made for the new selection.
        runFromBar(ZubActionKind::fixGrammar);
        m_env->release(1);
        QUOR_TRY_VERIFY(barState()->result().has_value());
        QCOMPARE(barState()->result()->outputText, QStringLiteral("out:new selection"));
    }

    void sideEffectsOfResults()
    {
        make();
        select(QStringLiteral("Plain  text"));
        runFromBar(ZubActionKind::plainCopy);
        QUOR_TRY_COMPARE(m_env->clipboard, std::optional<QString>(QStringLiteral("out:Plain  text")));
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Copied plain text to clipboard."));

        // A web search whose output is no address leaves the bar open; an address is opened.
        runFromBar(ZubActionKind::openWebSearch);
        QUOR_TRY_COMPARE(m_vm->history().size(), 2);
        QVERIFY(m_env->opened.isEmpty());
        QVERIFY(barUp());
        m_env->answer = [](const ZubActionDefinition& action, const QString&) {
            ZubExecutionResult result;
            result.id = QUuid::createUuid();
            result.actionKind = action.kind;
            result.outputText = QStringLiteral("https://duckduckgo.com/?q=Plain%20text");
            result.createdAt = QDateTime::currentDateTimeUtc();
            return result;
        };
        // A browser that does not open leaves the bar and its address up, and says so with the address.
        m_env->browserOpens = false;
        runFromBar(ZubActionKind::openWebSearch);
        QUOR_TRY_VERIFY(m_vm->toastIsError());
        QCOMPARE(m_vm->toastMessage(), QuorBrowserHandOff::failureMessage(QuorLanguage::en)
                                           + QStringLiteral(" https://duckduckgo.com/?q=Plain%20text"));
        QVERIFY(barUp());
        QCOMPARE(barState()->result()->outputText, QStringLiteral("https://duckduckgo.com/?q=Plain%20text"));
        m_env->browserOpens = true;
        runFromBar(ZubActionKind::openWebSearch);
        QUOR_TRY_COMPARE(m_env->opened.size(), 2);
        QUOR_TRY_VERIFY(!barUp());

        // A failed speak action speaks nothing.
        m_env->answer = [](const ZubActionDefinition& action, const QString&) {
            ZubExecutionResult result;
            result.id = QUuid::createUuid();
            result.actionKind = action.kind;
            result.outputText = QStringLiteral("No voice");
            result.isError = true;
            result.createdAt = QDateTime::currentDateTimeUtc();
            return result;
        };
        select(QStringLiteral("speak me"));
        runFromBar(ZubActionKind::speak);
        QUOR_TRY_COMPARE(m_vm->history().size(), 5);
        QVERIFY(m_vm->history()[0].isError);
        QVERIFY(m_env->spoken.isEmpty());
        QVERIFY(log().contains(QStringLiteral("Floating action 'speak' failed in 0 ms")));
    }

    void copyingResultsAndSavingQRCodes()
    {
        make();
        ZubExecutionResult result;
        result.outputText = QStringLiteral("QR code");
        result.qrPNGData = pngBytes();
        m_vm->copyExecutionResult(result);
        QVERIFY(m_env->clipboardImage.has_value());
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("QR Code image copied to clipboard."));
        result.qrPNGData = QByteArray("not a png");
        m_vm->copyExecutionResult(result);
        QCOMPARE(m_env->clipboard, std::optional<QString>(QStringLiteral("QR code")));
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Copied to clipboard."));

        m_vm->showToast(QStringLiteral("before"), false);
        m_vm->saveQRCodePNG(pngBytes());
        QCOMPARE(m_env->suggestedNames, QStringList{QStringLiteral("quorzub-qr.png")});
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("before"));
        m_env->savePath = m_dir->filePath(QStringLiteral("code.png"));
        m_vm->saveQRCodePNG(pngBytes());
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Saved QR Code PNG."));
        QFile saved(*m_env->savePath);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), pngBytes());
        // A failed write says so in the interface language, naming the file the user chose (not
        // the writer's temporary one).
        m_env->savePath = QStringLiteral("/proc/no-such-folder/code.png");
        m_vm->setLanguage(QuorLanguage::tr);
        m_vm->saveQRCodePNG(pngBytes());
        QVERIFY(m_vm->toastIsError());
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("QR Kod PNG “\u2068/proc/no-such-folder/code.png\u2069” olarak kaydedilemedi. "
                                                      "Klasörün var olduğunu ve yazılabilir olduğunu kontrol edin."));
    }

    void speech()
    {
        make();
        m_vm->speak(QStringLiteral("   "), std::nullopt);
        QVERIFY(m_env->spoken.isEmpty());
        ZubExecutionResult result;
        result.outputText = QStringLiteral(" Merhaba dünya ");
        result.targetLanguageCode = QStringLiteral("tr");
        result.detectedLanguageCode = QStringLiteral("en");
        m_vm->toggleSpeak(result);
        QCOMPARE(m_env->spoken.last(), std::make_pair(QStringLiteral("Merhaba dünya"), QStringLiteral("tr-TR")));
        QVERIFY(m_vm->isSpeaking());
        QVERIFY(barState()->isSpeaking());
        // Pressed again, for any result, it stops.
        ZubExecutionResult other;
        other.outputText = QStringLiteral("other");
        m_vm->toggleSpeak(other);
        QVERIFY(!m_env->speaking);
        QVERIFY(!m_vm->isSpeaking());
        QCOMPARE(m_env->spoken.size(), 1);

        // A new utterance that stops the old one keeps its own speaking state.
        m_vm->speak(QStringLiteral("one"), QStringLiteral("en"));
        m_vm->speak(QStringLiteral("two"), QStringLiteral("de"));
        quorSpin(std::chrono::milliseconds(30));
        QVERIFY(m_vm->isSpeaking());
        m_env->finishSpeaking();
        QUOR_TRY_VERIFY(!m_vm->isSpeaking());
        QVERIFY(!barState()->isSpeaking());
        QVERIFY(!m_vm->toastMessage().has_value());

        // An utterance that could not be spoken says why, in the interface's language and in the log.
        m_vm->speak(QStringLiteral("three"), QStringLiteral("en"));
        QVERIFY(m_vm->isSpeaking());
        m_env->failSpeaking(QuorError(QStringLiteral("No audio output is available for speech."),
                                      QStringLiteral("Seslendirme için kullanılabilir bir ses çıkışı yok.")));
        QUOR_TRY_VERIFY(!m_vm->isSpeaking());
        QVERIFY(!barState()->isSpeaking());
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("No audio output is available for speech."));
        QVERIFY(m_vm->toastIsError());
        QVERIFY(log().contains(QStringLiteral("Speech failed: No audio output is available for speech.")));

        QCOMPARE(ZubStudioViewModel::resolveSpeechLocale(QStringLiteral("EN"), QuorLanguage::tr), QStringLiteral("en-US"));
        QCOMPARE(ZubStudioViewModel::resolveSpeechLocale(QStringLiteral("en-GB"), QuorLanguage::tr), QStringLiteral("tr-TR"));
        QCOMPARE(ZubStudioViewModel::resolveSpeechLocale(std::nullopt, QuorLanguage::de), QStringLiteral("en-US"));
        QCOMPARE(ZubStudioViewModel::resolveSpeechLocale(QStringLiteral("ja"), QuorLanguage::en), QStringLiteral("ja-JP"));
    }

    void screenTextIsTranslatedEvenWithoutEnabledActions()
    {
        for (ZubActionDefinition& action : m_config.actions) {
            action.isEnabled = false;
        }
        make([](FakeStudioEnvironment& env) {
            env.screenText = QStringLiteral("Ekrandaki metin");
            env.captureGate = std::make_shared<FakeStudioEnvironment::Gate>();
        });
        // The bar still holds the text of an earlier showing.
        bar()->show(QStringLiteral("stale bar text"), std::nullopt, ZubActionDefinition::defaultActions(),
                    QuorLanguage::en, ZubTargetLanguage::english, QPoint(10, 10), true, 0);
        m_vm->triggerScreenOCRTranslate();
        QVERIFY(m_vm->isOCRCapturing());
        QVERIFY(!barUp());
        // Dragging out the region is no text selection.
        QVERIFY(m_env->ignoreLocation(QPoint(5, 5)));
        m_vm->triggerScreenOCRTranslate();
        QCOMPARE(m_env->captureLanguages.size(), 1);
        QCOMPARE(m_env->captureLanguages[0], QStringList({QStringLiteral("tr-TR"), QStringLiteral("en-US"),
                                                          QStringLiteral("de-DE"), QStringLiteral("fr-FR"),
                                                          QStringLiteral("es-ES")}));
        m_env->captureGate->open();
        QUOR_TRY_COMPARE(m_env->runs.size(), 1);
        QCOMPARE(m_env->runs[0]->action.kind, ZubActionKind::translate);
        QCOMPARE(m_env->runs[0]->text, QStringLiteral("Ekrandaki metin"));
        QCOMPARE(m_vm->playgroundText(), QStringLiteral("Ekrandaki metin"));
        QVERIFY(!m_vm->isOCRCapturing());
        QVERIFY(!m_env->ignoreLocation(QPoint(5, 5)));
        QUOR_TRY_COMPARE(m_vm->history().size(), 1);
        QCOMPARE(m_vm->history()[0].inputText, QStringLiteral("Ekrandaki metin"));
        QVERIFY(log().contains(QStringLiteral("Screen OCR recognized 15 char(s); routing to translate")));
    }

    void screenCaptureCancelledOrFailed()
    {
        make();
        m_vm->triggerScreenOCRTranslate();
        QUOR_TRY_VERIFY(!m_vm->isOCRCapturing());
        QVERIFY(!m_vm->toastMessage());
        QVERIFY(log().contains(QStringLiteral("Screen OCR capture cancelled by user")));

        m_env->screenText = QuorError(QStringLiteral("No readable text found in the selected region."),
                                      QStringLiteral("Seçilen bölgede okunabilir metin bulunamadı."));
        m_vm->triggerScreenOCRTranslate();
        QUOR_TRY_VERIFY(!m_vm->isOCRCapturing());
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("No readable text found in the selected region."));
        QVERIFY(m_vm->toastIsError());
        QVERIFY(log().contains(QStringLiteral("Screen OCR failed: No readable text found in the selected region.")));
        QVERIFY(m_env->runs.isEmpty());
    }

    void historyInMemoryIsCappedLikeTheFile()
    {
        QList<ZubHistoryRecord> stored;
        stored.append(record(QStringLiteral("pinned old"), true, 5000));
        for (int i = 0; i < 249; ++i) {
            stored.append(record(QStringLiteral("r%1").arg(i), false, 1000 + i));
        }
        store().saveHistory(stored);
        make();
        QCOMPARE(m_vm->history().size(), 250);
        m_vm->setPlaygroundText(QStringLiteral("new"));
        for (int i = 0; i < 3; ++i) {
            m_vm->runPlaygroundAction(actionOf(ZubActionKind::wordStats));
            QUOR_TRY_VERIFY(!m_vm->isPlaygroundBusy());
        }
        QCOMPARE(m_vm->history().size(), 250);
        QCOMPARE(m_vm->history()[0].inputText, QStringLiteral("new"));
        QVERIFY(std::any_of(m_vm->history().cbegin(), m_vm->history().cend(),
                            [](const ZubHistoryRecord& r) { return r.isPinned; }));
        // Newest first, as the file holds them: the oldest unpinned record kept, then the old pin.
        QCOMPARE(m_vm->history()[248].outputText, QStringLiteral("r245"));
        QCOMPARE(m_vm->history().last().outputText, QStringLiteral("pinned old"));
        m_vm->flushHistory();
        QCOMPARE(store().loadHistory().size(), 250);

        // A file holding more than the cap is held in memory only as far as it will be kept.
        for (int i = 0; i < 20; ++i) {
            stored.append(record(QStringLiteral("extra%1").arg(i), false, 100 + i));
        }
        ZubConfigStore(m_dir->path(), 1000).saveHistory(stored);
        make();
        QCOMPARE(m_vm->history().size(), 250);
        QVERIFY(std::any_of(m_vm->history().cbegin(), m_vm->history().cend(),
                            [](const ZubHistoryRecord& r) { return r.isPinned; }));
        QVERIFY(std::none_of(m_vm->history().cbegin(), m_vm->history().cend(),
                             [](const ZubHistoryRecord& r) { return r.outputText.startsWith(QStringLiteral("extra")); }));
    }

    // A history of megabytes is read while the windows come up; a change made meanwhile applies to
    // all of it, and the file is written with all of it, at the latest on the way out.
    void aHistoryOfMegabytesLoadsBesideStartUpAndLosesNothing()
    {
        const QList<ZubHistoryRecord> stored{record(QString(5 * 1024 * 1024, u'x'), false, 10),
                                             record(QStringLiteral("small"), true, 20)};
        store().saveHistory(stored);
        make();
        QTRY_COMPARE_WITH_TIMEOUT(m_vm->history().size(), 2, 20000);
        QCOMPARE(m_vm->history()[0].outputText, stored[0].outputText);
        QVERIFY(m_vm->history()[1].isPinned);

        make();
        m_vm->setPlaygroundText(QStringLiteral("new"));
        m_vm->runPlaygroundAction(actionOf(ZubActionKind::wordStats));
        QTRY_VERIFY_WITH_TIMEOUT(!m_vm->isPlaygroundBusy(), 20000);
        QCOMPARE(m_vm->history()[0].inputText, QStringLiteral("new"));
        m_vm.reset();
        QList<ZubHistoryRecord> saved = store().loadHistory();
        QCOMPARE(saved.size(), 3);
        QCOMPARE(saved[0].inputText, QStringLiteral("new"));
        QCOMPARE(saved[1].outputText.size(), 5 * 1024 * 1024);

        // While the reading is held back, changes wait for nothing: they apply to this run's records
        // at once and to the whole once it is read, and nothing is written over the file meanwhile.
        store().saveHistory(stored);
        {
            const PoolHold hold;
            make();
            m_vm->setPlaygroundText(QStringLiteral("new"));
            m_vm->runPlaygroundAction(actionOf(ZubActionKind::wordStats));
            QTRY_VERIFY_WITH_TIMEOUT(!m_vm->isPlaygroundBusy(), 20000);
            QCOMPARE(m_vm->history().size(), 1);
            m_vm->toggleHistoryPin(m_vm->history()[0].id);
            QVERIFY(m_vm->history()[0].isPinned);
            m_vm->deleteHistoryRecord(stored[1].id);
            const QList<ZubHistoryRecord> onDisk = store().loadHistory();
            QCOMPARE(onDisk.size(), stored.size());
            QCOMPARE(onDisk[1].id, stored[1].id);
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_vm->history().size(), 2, 20000);
        m_vm->flushHistory();
        saved = store().loadHistory();
        QCOMPARE(saved.size(), 2);
        QVERIFY(saved[0].isPinned);
        QCOMPARE(saved[0].inputText, QStringLiteral("new"));
        QCOMPARE(saved[1].outputText.size(), 5 * 1024 * 1024);
    }

    void playgroundRuns()
    {
        make([](FakeStudioEnvironment& env) { env.holdRuns = true; });
        m_vm->setPlaygroundText(QStringLiteral("  spaced  "));
        m_vm->runPlaygroundAction(actionOf(ZubActionKind::caseTransform));
        QVERIFY(m_vm->isPlaygroundBusy());
        m_vm->runPlaygroundAction(actionOf(ZubActionKind::wordStats));
        QVERIFY(m_env->runs[0]->token.isCancelled());
        QUOR_TRY_VERIFY(m_env->runs[0]->finished);
        quorSpin(std::chrono::milliseconds(30));
        // The replaced run does not end the busy state; the newer one does.
        QVERIFY(m_vm->isPlaygroundBusy());
        QCOMPARE(m_env->runs[1]->text, QStringLiteral("  spaced  "));
        m_env->release(1);
        QUOR_TRY_VERIFY(!m_vm->isPlaygroundBusy());
        QCOMPARE(m_vm->playgroundResult()->actionKind, ZubActionKind::wordStats);
        QCOMPARE(m_vm->history().size(), 1);
        QVERIFY(!barUp());
        QVERIFY(log().contains(QStringLiteral("Executing playground action 'caseTransform' (inputChars=10)")));
    }

    // A key changes the text where it lies, never a run's copy of it; a range outside the text or
    // an edit that changes nothing is not announced.
    void playgroundTextEditsInPlace()
    {
        make([](FakeStudioEnvironment& env) { env.holdRuns = true; });
        m_vm->setPlaygroundText(QStringLiteral("Hello world"));
        m_vm->runPlaygroundAction(actionOf(ZubActionKind::caseTransform));
        QSignalSpy changes(m_vm.get(), &ZubStudioModel::changed);
        m_vm->replacePlaygroundText(5, 6, QStringLiteral(", there"));
        m_vm->replacePlaygroundText(0, 0, QString());
        m_vm->replacePlaygroundText(0, 5, QStringLiteral("Hello"));
        m_vm->replacePlaygroundText(8, 10, QStringLiteral("x"));
        m_vm->replacePlaygroundText(-1, 0, QStringLiteral("x"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(m_vm->playgroundText(), QStringLiteral("Hello, there"));
        QCOMPARE(m_env->runs[0]->text, QStringLiteral("Hello world"));
        m_vm->replacePlaygroundText(0, 12, QStringLiteral("New"));
        QCOMPARE(m_vm->playgroundText(), QStringLiteral("New"));
        m_env->release(0);
        QUOR_TRY_VERIFY(!m_vm->isPlaygroundBusy());
    }

    void actionListEditing()
    {
        make();
        const QList<ZubActionDefinition> sorted = m_vm->config().sortedActions();
        QFile::remove(store().configPath());
        m_vm->moveAction(sorted.first().id, -1);
        m_vm->moveAction(sorted.last().id, +1);
        m_vm->moveAction(QUuid::createUuid(), 1);
        m_vm->toggleActionEnabled(QUuid::createUuid(), false);
        m_vm->flushConfig();
        QVERIFY(!QFile::exists(store().configPath()));

        m_vm->moveAction(sorted[0].id, +1);
        QList<ZubActionDefinition> moved = m_vm->config().sortedActions();
        QCOMPARE(moved[0].id, sorted[1].id);
        QCOMPARE(moved[1].id, sorted[0].id);
        for (qsizetype i = 0; i < moved.size(); ++i) {
            QCOMPARE(moved[i].order, i);
        }
        m_vm->flushConfig();
        QCOMPARE(store().loadConfig().sortedActions()[0].id, sorted[1].id);

        m_vm->addCustomAIAction(QStringLiteral("Title"), QStringLiteral("Başlık"), QString(), QStringLiteral("  \n "));
        QCOMPARE(m_vm->toastMessage(), QStringLiteral("Title and prompt template are required."));
        m_vm->addCustomAIAction(QString(), QStringLiteral(" Şiir yap "), QString(), QStringLiteral(" Make a poem "));
        const ZubActionDefinition added = m_vm->config().actions.last();
        QCOMPARE(added.kind, ZubActionKind::customAI);
        QCOMPARE(added.titleEN, QStringLiteral("Şiir yap"));
        QCOMPARE(added.titleTR, QStringLiteral("Şiir yap"));
        QCOMPARE(added.symbolName, QStringLiteral("sparkles"));
        QCOMPARE(added.customPrompt, std::optional<QString>(QStringLiteral("Make a poem")));
        QCOMPARE(added.order, 13);
        QUOR_TRY_COMPARE(m_vm->toastMessage(), QStringLiteral("Custom AI action added."));

        // A built-in action is never deleted, but the order is still made dense.
        m_vm->moveAction(added.id, -1);
        m_vm->deleteCustomAction(sorted[3].id);
        QCOMPARE(m_vm->config().actions.size(), 14);
        m_vm->deleteCustomAction(added.id);
        QCOMPARE(m_vm->config().actions.size(), 13);
        for (qsizetype i = 0; i < 13; ++i) {
            QCOMPARE(m_vm->config().sortedActions()[i].order, i);
        }
        m_vm->toggleActionEnabled(sorted[2].id, false);
        m_vm->flushConfig();
        QCOMPARE(store().loadConfig().enabledActions().size(), 11);
        m_vm->resetDefaultActions();
        QCOMPARE(m_vm->config().enabledActions().size(), 12);
        QUOR_TRY_COMPARE(m_vm->toastMessage(), QStringLiteral("Restored default actions."));
    }

    void historyEditing()
    {
        const ZubHistoryRecord a = record(QStringLiteral("a"));
        const ZubHistoryRecord b = record(QStringLiteral("b"));
        store().saveHistory({a, b});
        make();
        m_vm->toggleHistoryPin(b.id);
        m_vm->flushHistory();
        QVERIFY(store().loadHistory()[1].isPinned);
        m_vm->deleteHistoryRecord(a.id);
        m_vm->flushHistory();
        QCOMPARE(store().loadHistory().size(), 1);
        m_vm->toggleHistoryPin(b.id);
        m_vm->clearUnpinnedHistory();
        QVERIFY(m_vm->history().isEmpty());
        m_vm->flushHistory();
        QVERIFY(store().loadHistory().isEmpty());
        QUOR_TRY_COMPARE(m_vm->toastMessage(), QStringLiteral("Cleared unpinned history."));
    }

    void reopenOpensTheStudioThroughTheLatestOpener()
    {
        make();
        int first = 0;
        int second = 0;
        m_vm->bindStudioWindowOpener([&first] { ++first; });
        m_vm->bindStudioWindowOpener([&second] { ++second; });
        QuorNotificationCenter::defaultCenter().post(quorReopenStudioWindow);
        QUOR_TRY_COMPARE(second, 1);
        quorSpin(std::chrono::milliseconds(30));
        QCOMPARE(first, 0);
        QCOMPARE(second, 1);
        m_vm.reset();
        QuorNotificationCenter::defaultCenter().post(quorReopenStudioWindow);
        quorSpin(std::chrono::milliseconds(30));
        QCOMPARE(second, 1);
    }
};

QUOR_TEST_MAIN(TestZubStudioViewModel)
#include "tst_zubstudioviewmodel.moc"
