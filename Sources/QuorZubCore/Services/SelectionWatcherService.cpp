#include "QuorZubCore/Services/SelectionWatcherService.h"

#include "QuorKit/System/QuorPermissionCenter.h"
#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorPlatform/KeySynth/QuorKeyTarget.h"
#include "QuorPlatform/MouseMonitor/QuorGlobalMouseMonitor.h"
#include "QuorPlatform/Pasteboard/QuorClipboard.h"
#include "QuorPlatform/Selection/QuorPrimarySelection.h"
#include "QuorPlatform/Selection/QuorSelectionTooLargeError.h"
#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineF>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>
#include <QWindow>

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroSignal>

#include <algorithm>

using quor::platform::Clipboard;
using quor::platform::EditingCommand;
using quor::platform::GlobalMouseMonitor;
using quor::platform::KeyDelivery::Result;
using quor::platform::MouseButtonEvent;
using quor::platform::PrimarySelection;
using quor::platform::SelectionTooLargeError;
using quor::platform::WindowApplication;
namespace EditingChords = quor::platform::EditingChords;
namespace KeyDelivery = quor::platform::KeyDelivery;
namespace KeyTarget = quor::platform::KeyTarget;
namespace X11Workspace = quor::platform::X11Workspace;

namespace {
// X reports device pixels; Qt's global coordinates are device-independent.
QPointF logicalPoint(QPointF devicePoint)
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    return ratio > 0 ? devicePoint / ratio : devicePoint;
}

// Whether the keys would reach a window of this process. Only windows that exist natively are
// asked: winId() would create the others.
bool isOwnWindow(const KeyTarget::Windows& windows)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    const QWindowList ours = QGuiApplication::allWindows();
    return std::any_of(ours.cbegin(), ours.cend(), [&windows](const QWindow* window) {
        if (window->handle() == nullptr) {
            return false;
        }
        const WId id = window->winId();
        return id != 0 && (id == windows.focus || id == windows.focusedTopLevel);
    });
}

GlobalMouseMonitor::Options clickOptions()
{
    GlobalMouseMonitor::Options options;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        const QStyleHints* hints = QGuiApplication::styleHints();
        options.doubleClickIntervalMs = hints->mouseDoubleClickInterval();
        options.doubleClickRadius = hints->mouseDoubleClickDistance();
    }
    return options;
}
} // namespace

SelectionWatcherService::SelectionWatcherService(QObject* parent)
    : QObject(parent), m_primary(new PrimarySelection(this))
{
    m_windowQueries.setMaxThreadCount(1);
    m_windowQueries.setExpiryTimeout(-1);
    // Ownership is followed from the start, so even the first capture knows whether PRIMARY is
    // current; the clipboard's change count starts here too.
    m_primary->start();
    // Direct, so that a late copy's landing is told apart from a later copy's change as it comes.
    connect(&Clipboard::shared(), &Clipboard::changed, this, &SelectionWatcherService::noteClipboardChange);
}

SelectionWatcherService::~SelectionWatcherService()
{
    stopMonitoring();
}

QCoro::Task<> SelectionWatcherService::sleepIgnoringCancellation(std::chrono::milliseconds duration,
                                                                 QuorCancellationToken token)
{
    try {
        co_await quorSleep(duration, token);
    } catch (const QuorCancelledError&) {
        // Every wait here is a pause, not a deadline: an interrupted one simply ends.
    }
}

// Starting and stopping ---------------------------------------------------------------------------

void SelectionWatcherService::startMonitoring(ExcludedBundleIDsProvider excludedBundleIDs,
                                              LocationFilter shouldIgnoreLocation, SelectionHandler onSelection,
                                              FailureHandler onFailure)
{
    stopMonitoring();
    m_isMonitoring = true;
    auto monitor = std::make_unique<GlobalMouseMonitor>();
    const Callbacks callbacks{std::move(excludedBundleIDs), std::move(shouldIgnoreLocation), std::move(onSelection),
                              std::move(onFailure)};
    connect(monitor.get(), &GlobalMouseMonitor::buttonEvent, this, [this, callbacks](const MouseButtonEvent& event) {
        MouseEventType type = MouseEventType::other;
        if (event.button == 1) {
            type = event.kind == MouseButtonEvent::Kind::press ? MouseEventType::leftMouseDown
                                                               : MouseEventType::leftMouseUp;
        }
        handleGlobalMouseEvent(type, event.clickCount, event.timestampSeconds(), logicalPoint(event.position),
                               callbacks);
    });
    if (monitor->start(clickOptions())) {
        m_mouseMonitor = std::move(monitor);
    }
}

void SelectionWatcherService::stopMonitoring()
{
    ++m_captureGeneration;
    cancelPendingCapture();
    m_mouseMonitor.reset();
    m_clicks.mouseDownScreenPoint.reset();
    m_isMonitoring = false;
}

// Gestures ----------------------------------------------------------------------------------------

bool SelectionWatcherService::releaseQualifies(ClickState& state, int clickCount, double timestamp, QPointF point)
{
    const std::optional<QPointF> downPoint = std::exchange(state.mouseDownScreenPoint, std::nullopt);
    const bool isDrag = downPoint && QLineF(*downPoint, point).length() > dragDistance
                        && timestamp - state.mouseDownTimestamp < dragMaximumDuration;
    if (clickCount > 1) {
        state.lastMouseUpTimestamp = timestamp;
        state.lastMouseUpPoint = point;
        return true;
    }
    const double gap = timestamp - state.lastMouseUpTimestamp;
    if (gap > clickGapMinimum && gap < clickGapMaximum) {
        const double distance = QLineF(state.lastMouseUpPoint, point).length();
        state.lastMouseUpTimestamp = timestamp;
        state.lastMouseUpPoint = point;
        return isDrag || distance < clickRadius;
    }
    state.lastMouseUpTimestamp = timestamp;
    state.lastMouseUpPoint = point;
    return isDrag;
}

void SelectionWatcherService::handleGlobalMouseEvent(MouseEventType type, int clickCount, double timestamp,
                                                     QPointF screenLocation, const Callbacks& callbacks)
{
    if (type == MouseEventType::other) {
        return;
    }
    if (callbacks.shouldIgnoreLocation && callbacks.shouldIgnoreLocation(screenLocation)) {
        return;
    }
    if (type == MouseEventType::leftMouseDown) {
        // The user has moved on: a replacement whose keys are not out yet would land elsewhere.
        cancelReplace();
        m_clicks.mouseDownScreenPoint = screenLocation;
        m_clicks.mouseDownTimestamp = timestamp;
        if (m_pendingCaptureTask) {
            ++m_captureGeneration;
            cancelPendingCapture();
        }
        return;
    }
    if (!releaseQualifies(m_clicks, clickCount, timestamp, screenLocation)) {
        return;
    }
    cancelReplace();
    const QSet<QString> excluded = callbacks.excludedBundleIDs ? callbacks.excludedBundleIDs() : QSet<QString>{};
    if (isFrontmostAppExcluded(excluded)) {
        return;
    }
    cancelPendingCapture();
    const qint64 generation = ++m_captureGeneration;
    m_pendingCaptureTask = std::make_unique<QuorTask>();
    QPointer<SelectionWatcherService> self(this);
    m_pendingCaptureTask->start([self, generation, callbacks, screenLocation](QuorCancellationToken token) {
        return runCapture(self, generation, callbacks, screenLocation, token);
    });
}

void SelectionWatcherService::cancelPendingCapture()
{
    if (m_pendingCaptureTask) {
        m_pendingCaptureTask->cancel();
        m_pendingCaptureTask.reset();
    }
}

void SelectionWatcherService::cancelReplace()
{
    for (const QuorCancellationToken& token : std::as_const(m_replaceTokens)) {
        token.cancel();
    }
    m_replaceTokens.clear();
}

QCoro::Task<> SelectionWatcherService::runCapture(QPointer<SelectionWatcherService> self, qint64 generation,
                                                  Callbacks callbacks, QPointF point, QuorCancellationToken token)
{
    co_await sleepIgnoringCancellation(settleDelay, token);
    if (!self) {
        co_return;
    }
    const QSet<QString> excluded = callbacks.excludedBundleIDs ? callbacks.excludedBundleIDs() : QSet<QString>{};
    // The frontmost application is asked again: the user may have switched during the wait.
    if (!token.isCancelled() && !self->isFrontmostAppExcluded(excluded)) {
        std::optional<QString> text;
        std::optional<SelectionTooLargeError> tooLarge;
        try {
            text = co_await self->captureSelectedText(true, token);
        } catch (const SelectionTooLargeError& error) {
            tooLarge = error;
        }
        if (tooLarge && !token.isCancelled() && callbacks.onFailure) {
            callbacks.onFailure(*tooLarge);
        }
        if (text && !token.isCancelled()) {
            const QString trimmed = text->trimmed();
            if (!trimmed.isEmpty() && callbacks.onSelection) {
                callbacks.onSelection(trimmed, point, SelectionMargins::of(*text));
            }
        }
    }
    if (self && self->m_captureGeneration == generation) {
        self->m_pendingCaptureTask.reset();
    }
}

// Exclusion ---------------------------------------------------------------------------------------

std::optional<QString> SelectionWatcherService::ownBundleIDLowercased()
{
    static const std::optional<QString> own = [] {
        const QString identifier = QuorBundle::main().bundleIdentifier();
        return identifier.isEmpty() ? std::nullopt : std::optional<QString>(identifier.toLower());
    }();
    return own;
}

bool SelectionWatcherService::isBundleIDExcluded(const std::optional<QString>& bundleID,
                                                 const std::optional<QString>& ownBundleID,
                                                 const QSet<QString>& excludedBundleIDs)
{
    if (!bundleID || bundleID->isEmpty()) {
        return false;
    }
    const QString lowered = bundleID->toLower();
    if (ownBundleID && lowered == ownBundleID->toLower()) {
        return true;
    }
    if (lowered == productBundleID) {
        return true;
    }
    if (excludedBundleIDs.contains(lowered)) {
        return true;
    }
    for (const QString& member : excludedBundleIDs) {
        if (member.compare(*bundleID, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

std::optional<QString> SelectionWatcherService::frontmostBundleID() const
{
    const std::optional<WindowApplication> frontmost = X11Workspace::frontmostApplication();
    if (!frontmost) {
        return std::nullopt;
    }
    // Our own windows carry whatever class the toolkit gave them; the process says who they are.
    if (frontmost->processIdentifier == QCoreApplication::applicationPid()) {
        return QuorBundle::main().bundleIdentifier();
    }
    const QString identifier = frontmost->bundleIdentifier();
    return identifier.isEmpty() ? std::nullopt : std::optional<QString>(identifier);
}

bool SelectionWatcherService::isFrontmostAppExcluded(const QSet<QString>& excludedBundleIDs) const
{
    return isBundleIDExcluded(frontmostBundleID(), ownBundleIDLowercased(), excludedBundleIDs);
}

const QSet<QString>& SelectionWatcherService::blockedFallbackAXRoles()
{
    static const QSet<QString> roles{
        QStringLiteral("AXSecureTextField"), QStringLiteral("AXSlider"),       QStringLiteral("AXScrollBar"),
        QStringLiteral("AXSplitter"),        QStringLiteral("AXButton"),       QStringLiteral("AXCheckBox"),
        QStringLiteral("AXRadioButton"),     QStringLiteral("AXPopUpButton"),  QStringLiteral("AXMenuButton"),
        QStringLiteral("AXToolbar"),
    };
    return roles;
}

bool SelectionWatcherService::shouldSkipFallback(const std::optional<QString>& role,
                                                 const std::optional<QString>& subrole)
{
    if (subrole == QStringLiteral("AXSecureTextField")) {
        return true;
    }
    return role && blockedFallbackAXRoles().contains(*role);
}

// Reading -----------------------------------------------------------------------------------------

QCoro::Task<std::optional<QString>> SelectionWatcherService::captureSelectedText(bool allowClipboardFallback,
                                                                                 QuorCancellationToken token)
{
    QPointer<SelectionWatcherService> self(this);
    // X11 has no accessibility tree to ask for the focused element: its selection is PRIMARY,
    // which password fields never publish, and the element's role is unknown.
    const std::optional<QString> role;
    const std::optional<QString> subrole;
    const std::optional<QString> selected = co_await m_primary->readFreshText();
    if (!self) {
        co_return std::nullopt;
    }
    if (selected && !selected->trimmed().isEmpty()) {
        co_return selected;
    }
    if (!allowClipboardFallback || token.isCancelled() || m_isCapturingFallback || m_isReplacing
        || shouldSkipFallback(role, subrole) || !QuorPermissionCenter::isAccessibilityGranted(false)) {
        co_return std::nullopt;
    }
    co_return co_await captureViaClipboardFallback(token);
}

QCoro::Task<std::optional<QString>> SelectionWatcherService::captureViaClipboardFallback(QuorCancellationToken token)
{
    QPointer<SelectionWatcherService> self(this);
    const std::optional<ChosenKeys> copyKeys = co_await commandChord(copyVirtualKey);
    // Another copy or a replacement may have begun while the window was looked at.
    if (!self || !copyKeys || m_isCapturingFallback || m_isReplacing || token.isCancelled()) {
        co_return std::nullopt;
    }
    m_isCapturingFallback = true;
    // An earlier copy that landed late is undone before the user's clipboard is read again.
    co_await awaitLandedLateCopyUndone();
    if (!self) {
        co_return std::nullopt;
    }
    Clipboard& pasteboard = Clipboard::shared();
    const qint64 changeCount = pasteboard.changeCount();
    // While an earlier copy is still awaited the clipboard is unchanged, so this snapshot is the
    // user's content too. That copy's guard keeps watching until these keys are out: should they
    // never go out, a late landing of the earlier copy is still undone.
    const ClipboardSnapshot snapshot = co_await snapshotPasteboard(pasteboard);
    if (!self) {
        co_return std::nullopt;
    }
    // A clipboard that could not be read whole, or changed while it was read, could not be put back
    // as it was: the copy is not worth the user's content.
    if (!snapshot.complete || pasteboard.changeCount() != changeCount || token.isCancelled()) {
        finishClipboardWork();
        co_return std::nullopt;
    }
    // From the keys on, a change is this copy's until it has finished; an earlier copy's guard holds
    // still meanwhile and watches again afterwards. The snapshot may have taken its owner seconds:
    // the window is looked at again with the keys.
    holdLateCopyGuard();
    const Result posted = co_await deliverKeys(*copyKeys, token);
    if (!self) {
        co_return std::nullopt;
    }
    if (posted != Result::posted) {
        // Nothing changed the clipboard, so there is nothing to put back; a change meanwhile was the
        // earlier copy's.
        resumeLateCopyGuard(false);
        finishClipboardWork();
        co_return std::nullopt;
    }
    co_await sleepIgnoringCancellation(copyWait);
    if (!self) {
        co_return std::nullopt;
    }
    if (pasteboard.changeCount() == changeCount) {
        // Not copied in time; should the copy still land, it must not stay over the user's
        // clipboard.
        guardLateCopy(changeCount, snapshot.items);
        finishClipboardWork();
        co_return std::nullopt;
    }
    std::optional<QString> text;
    std::optional<SelectionTooLargeError> tooLarge;
    try {
        text = co_await pasteboard.text();
    } catch (const SelectionTooLargeError&) {
        // What was copied is the selection.
        tooLarge = SelectionTooLargeError(SelectionTooLargeError::Source::selection, Clipboard::maximumTextBytes);
    }
    // Our claim must be stamped later than the copier's.
    co_await pasteboard.learnServerTime();
    restorePasteboard(pasteboard, snapshot.items);
    if (self) {
        self->resumeLateCopyGuard(true);
        self->finishClipboardWork();
    }
    if (tooLarge) {
        throw *tooLarge;
    }
    co_return text;
}

void SelectionWatcherService::guardLateCopy(qint64 baseline, const QList<PasteboardItemSnapshot>& snapshot)
{
    const QDeadlineTimer until(lateCopyLimit - copyWait);
    if (m_lateCopyGuard) {
        // Its snapshot is this one's too: nothing had landed when this copy's was taken.
        m_lateCopyGuard->awaited += 1;
        m_lateCopyGuard->until = std::max(m_lateCopyGuard->until, until);
        m_lateCopyGuard->heldForCopy = false;
        m_lateCopyGuard->baseline = baseline;
        m_lateCopyGuard->wake.fire();
        return;
    }
    m_lateCopyGuard = std::make_shared<LateCopyGuard>();
    m_lateCopyGuard->snapshot = snapshot;
    m_lateCopyGuard->baseline = baseline;
    m_lateCopyGuard->until = until;
    guardLateCopies(QPointer<SelectionWatcherService>(this), m_lateCopyGuard);
}

void SelectionWatcherService::noteClipboardChange()
{
    LateCopyGuard* guard = m_lateCopyGuard.get();
    if (guard != nullptr && !guard->heldForCopy && !guard->undoing && !guard->landed
        && Clipboard::shared().changeCount() != guard->baseline) {
        guard->landed = true;
        guard->wake.fire();
    }
}

void SelectionWatcherService::holdLateCopyGuard()
{
    if (m_lateCopyGuard) {
        m_lateCopyGuard->heldForCopy = true;
    }
}

void SelectionWatcherService::resumeLateCopyGuard(bool keysWentOut)
{
    if (!m_lateCopyGuard) {
        return;
    }
    m_lateCopyGuard->heldForCopy = false;
    if (keysWentOut) {
        m_lateCopyGuard->baseline = Clipboard::shared().changeCount();
    } else {
        noteClipboardChange();
    }
}

QCoro::Task<> SelectionWatcherService::guardLateCopies(QPointer<SelectionWatcherService> self,
                                                       std::shared_ptr<LateCopyGuard> guard)
{
    Clipboard& pasteboard = Clipboard::shared();
    while (self && self->m_lateCopyGuard == guard) {
        if (guard->landed) {
            guard->undoing = true;
            // Our claim must be stamped later than the late copier's.
            co_await pasteboard.learnServerTime();
            restorePasteboard(pasteboard, guard->snapshot);
            guard->baseline = pasteboard.changeCount();
            guard->undoing = false;
            guard->landed = false;
            guard->awaited -= 1;
            if (guard->awaited <= 0 || !self) {
                break;
            }
            // A copy waiting for the undo may go on.
            emit self->clipboardWorkFinished();
            continue;
        }
        if (guard->until.hasExpired()) {
            break;
        }
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &guard->wake, &quor::detail::SignalRelay::fire);
        deadline.start(std::max<qint64>(guard->until.remainingTime(), 0));
        co_await qCoro(&guard->wake, &quor::detail::SignalRelay::fired);
    }
    if (self && self->m_lateCopyGuard == guard) {
        self->m_lateCopyGuard.reset();
        // A copy or a replacement may be waiting for the end.
        emit self->clipboardWorkFinished();
    }
}

QCoro::Task<> SelectionWatcherService::awaitLandedLateCopyUndone()
{
    co_await awaitClipboardWorkWhile([this] { return m_lateCopyGuard && m_lateCopyGuard->landed; }, lateCopyLimit);
}

QCoro::Task<bool> SelectionWatcherService::awaitClipboardWorkWhile(std::function<bool()> busy,
                                                                   std::chrono::milliseconds limit)
{
    QPointer<SelectionWatcherService> self(this);
    QElapsedTimer waited;
    waited.start();
    while (self && busy()) {
        const auto left = limit - std::chrono::milliseconds(waited.elapsed());
        if (left.count() <= 0) {
            co_return false;
        }
        quor::detail::SignalRelay relay;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &relay, &quor::detail::SignalRelay::fire);
        QObject::connect(self.data(), &SelectionWatcherService::clipboardWorkFinished, &relay,
                         &quor::detail::SignalRelay::fire);
        deadline.start(left);
        co_await qCoro(&relay, &quor::detail::SignalRelay::fired);
    }
    co_return static_cast<bool>(self);
}

void SelectionWatcherService::finishClipboardWork()
{
    m_isCapturingFallback = false;
    m_isReplacing = false;
    emit clipboardWorkFinished();
}

// Keys and clipboard ------------------------------------------------------------------------------

QCoro::Task<std::optional<SelectionWatcherService::ChosenKeys>> SelectionWatcherService::commandChord(int virtualKey)
{
    QPointer<SelectionWatcherService> self(this);
    const EditingCommand command = virtualKey == pasteVirtualKey ? EditingCommand::paste : EditingCommand::copy;
    // Keys go to the input focus; a terminal anywhere in the picture decides the chord. Asking the
    // X server and reading /proc and desktop entries is left to the worker, on its own connection.
    const KeyTarget::Target target = co_await QtConcurrent::run(&m_windowQueries, &KeyTarget::focusedTarget);
    if (!self) {
        co_return std::nullopt;
    }
    const EditingChords::Choice choice = EditingChords::choose(command, target.traits);
    if (choice.chord) {
        co_return ChosenKeys{command, *choice.chord, target.windows, isOwnWindow(target.windows)};
    }
    logRefusal(QStringLiteral("No %1 keys sent to %2: %3")
                   .arg(command == EditingCommand::copy ? QStringLiteral("copy") : QStringLiteral("paste"),
                        target.traits.windowClass.isEmpty() ? QStringLiteral("an unnamed window")
                                                            : target.traits.windowClass.join(QLatin1Char('/')),
                        choice.reason));
    co_return std::nullopt;
}

QCoro::Task<Result> SelectionWatcherService::deliverKeys(ChosenKeys keys, QuorCancellationToken token)
{
    QPointer<SelectionWatcherService> self(this);
    // Named rather than made inside the co_await: GCC 12 destroyed a temporary lambda's copies there
    // twice.
    QFuture<Result> posting = QtConcurrent::run(&m_windowQueries, &KeyDelivery::post, keys.chord, keys.windows, token);
    const Result result = co_await posting;
    if (result != Result::posted && self) {
        self->logUndelivered(keys.command, result);
    }
    co_return result;
}

void SelectionWatcherService::logUndelivered(EditingCommand command, Result result)
{
    logRefusal(QStringLiteral("No %1 keys sent: %2")
                   .arg(command == EditingCommand::copy ? QStringLiteral("copy") : QStringLiteral("paste"),
                        KeyDelivery::reason(result)));
}

void SelectionWatcherService::logRefusal(const QString& refusal)
{
    if (refusal != m_lastChordRefusal) {
        m_lastChordRefusal = refusal;
        QuorAppLogger::shared(QStringLiteral("QuorZub"))->info(refusal, QStringLiteral("watcher"));
    }
}

QCoro::Task<SelectionWatcherService::ClipboardSnapshot> SelectionWatcherService::snapshotPasteboard(Clipboard& pasteboard)
{
    const Clipboard::Content content = co_await pasteboard.content();
    ClipboardSnapshot snapshot;
    snapshot.complete = content.complete;
    // X offers one item with many formats.
    if (!content.entries.isEmpty()) {
        snapshot.items.append(PasteboardItemSnapshot{content.entries});
    }
    co_return snapshot;
}

void SelectionWatcherService::restorePasteboard(Clipboard& pasteboard, const QList<PasteboardItemSnapshot>& snapshots)
{
    QList<Clipboard::Entry> entries;
    for (const PasteboardItemSnapshot& snapshot : snapshots) {
        entries += snapshot.entries;
    }
    if (entries.isEmpty()) {
        pasteboard.clear();
        return;
    }
    pasteboard.write(entries);
}
