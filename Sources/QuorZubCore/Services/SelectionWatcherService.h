#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QThreadPool>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QString>

#include "QuorPlatform/Core/QuorCancellationToken.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorPlatform/KeySynth/QuorEditingChords.h"
#include "QuorPlatform/KeySynth/QuorKeyDelivery.h"
#include "QuorPlatform/KeySynth/QuorKeyTarget.h"
#include "QuorZubCore/Services/PasteReadJudge.h"
#include "QuorZubCore/Services/SelectionMargins.h"
#include "QuorZubCore/Services/SelectionReplaceOutcome.h"

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace quor::platform {
class Clipboard;
class GlobalMouseMonitor;
class PrimarySelection;
struct MouseButtonEvent;
} // namespace quor::platform

class ReplacementFetchWatch;

// The data of one clipboard item, one (type, data) pair per format in the order offered.
struct PasteboardItemSnapshot {
    QList<std::pair<QString, QByteArray>> entries;

    bool operator==(const PasteboardItemSnapshot& other) const = default;
};

// Notices when the user finishes selecting text in another application, reads that text, and
// later pastes a replacement over it. It alone touches the global mouse stream, the selections,
// the clipboard and synthetic keys. Lives on the GUI thread.
//
// A selection is read from PRIMARY when its owner claimed it after the latest button press;
// otherwise, when allowed, by a synthetic copy whose clipboard change is read and then undone.
class SelectionWatcherService : public QObject {
    Q_OBJECT
public:
    // The current excluded bundle identifiers, lower-cased by the caller.
    using ExcludedBundleIDsProvider = std::function<QSet<QString>()>;
    // True for a global point whose events are to be ignored (the caller's own floating panel).
    using LocationFilter = std::function<bool(QPointF)>;
    // The trimmed selected text, the global point of the release that finished it, and the white
    // space trimming took off it.
    using SelectionHandler = std::function<void(const QString&, QPointF, const SelectionMargins&)>;
    // A finished selection that was too large to read; the error says so to the user.
    using FailureHandler = std::function<void(const QuorError&)>;

    enum class MouseEventType { leftMouseDown, leftMouseUp, other };

    // What the click rules remember between events.
    struct ClickState {
        std::optional<QPointF> mouseDownScreenPoint;
        double mouseDownTimestamp = 0;
        double lastMouseUpTimestamp = 0;
        QPointF lastMouseUpPoint;
    };

    static constexpr double dragDistance = 8.0;
    static constexpr double dragMaximumDuration = 8.0;
    static constexpr double clickGapMinimum = 0.02;
    static constexpr double clickGapMaximum = 0.42;
    static constexpr double clickRadius = 12.0;
    static constexpr std::chrono::milliseconds settleDelay{90};
    static constexpr std::chrono::milliseconds copyWait{105};
    static constexpr std::chrono::milliseconds pasteLead{45};
    // X11 paste is a request the target makes when it gets to it: the replacement waits this long
    // for the target to fetch it; unfetched by then, it did not paste.
    static constexpr std::chrono::milliseconds pasteFetchLimit{1000};
    // A copy that lands after copyWait is undone if it lands within this time of the keystroke.
    static constexpr std::chrono::milliseconds lateCopyLimit{1000};
    // How long a replacement waits for a running copy or replacement to finish.
    static constexpr std::chrono::milliseconds clipboardQueueLimit{3000};

    inline static const QString productBundleID = QStringLiteral("com.tallowmer.quorzub");

    explicit SelectionWatcherService(QObject* parent = nullptr);
    ~SelectionWatcherService() override;

    bool isMonitoring() const { return m_isMonitoring; }

    // Replaces any earlier monitoring and its callbacks.
    void startMonitoring(ExcludedBundleIDsProvider excludedBundleIDs, LocationFilter shouldIgnoreLocation,
                         SelectionHandler onSelection, FailureHandler onFailure = {});
    void stopMonitoring();

    // The selected text (untrimmed) or nothing. Throws SelectionTooLargeError for a selection
    // beyond the size the application works on. Once `token` is cancelled no copy keys go out.
    QCoro::Task<std::optional<QString>> captureSelectedText(bool allowClipboardFallback,
                                                            QuorCancellationToken token = {});
    // Pasted when the replacement was read after the paste keys by the target: its own client or
    // process, a widget of this application when the target is one of its windows, or a process
    // serving it (see PasteReadJudge); only then is the user's clipboard put back. A replacement
    // that nobody else read after the keys, or only other programs (a clipboard manager), stays on
    // the clipboard. A clipboard that cannot be read whole in time is left with its owner and
    // nothing is sent. While monitoring, a click or a new selection before the keys calls it off.
    // Each outcome, with who read the replacement when, is one log line.
    QCoro::Task<SelectionReplaceOutcome> replaceSelection(QString text);

    // The click rules: whether a left-button release finishes a selection gesture (a drag of more
    // than 8 points in under 8 s, a system double or triple click, or a quick second click close
    // to the previous release). Updates `state` as the watcher does.
    static bool releaseQualifies(ClickState& state, int clickCount, double timestamp, QPointF point);
    static bool isBundleIDExcluded(const std::optional<QString>& bundleID, const std::optional<QString>& ownBundleID,
                                   const QSet<QString>& excludedBundleIDs);
    // Accessibility roles for which a synthetic copy would act on a control instead of text.
    static const QSet<QString>& blockedFallbackAXRoles();
    static bool shouldSkipFallback(const std::optional<QString>& role, const std::optional<QString>& subrole);
    static std::optional<QString> ownBundleIDLowercased();

signals:
    // A copy or replacement finished with the clipboard.
    void clipboardWorkFinished();

private:
    // The callbacks of one startMonitoring.
    struct Callbacks {
        ExcludedBundleIDsProvider excludedBundleIDs;
        LocationFilter shouldIgnoreLocation;
        SelectionHandler onSelection;
        FailureHandler onFailure;
    };
    // A snapshot of the clipboard; incomplete when its owner did not give everything in time.
    struct ClipboardSnapshot {
        QList<PasteboardItemSnapshot> items;
        bool complete = true;
    };
    // Copy or paste keys and the windows they were chosen for.
    struct ChosenKeys {
        quor::platform::EditingCommand command;
        quor::platform::KeyChord chord;
        quor::platform::KeyTarget::Windows windows;
        // The keys go to a window of this application, whose widgets read the clipboard directly.
        bool intoThisApplication = false;
    };
    // Copies whose keys went out but whose clipboard change had not come in time: should one still
    // land, the user's clipboard is put back. Shared with the coroutine that watches for them.
    struct LateCopyGuard {
        // The user's content from before those copies.
        QList<PasteboardItemSnapshot> snapshot;
        // The clipboard's change count while nothing has landed.
        qint64 baseline = 0;
        // Late copies that may still land.
        int awaited = 1;
        // A later copy's keys are out: until it has finished, a change is that copy's.
        bool heldForCopy = false;
        // Its own undoing is under way: that change is no landing.
        bool undoing = false;
        // A change came while it watched, not undone yet. Decided as the change comes in.
        bool landed = false;
        // The last of them may land until then.
        QDeadlineTimer until;
        quor::detail::SignalRelay wake;
    };
    // What a replacement saw, for its log line.
    struct ReplaceReport {
        PasteTarget target;
        QList<PasteRead> reads;
    };

    // The virtual keys of the copy and paste commands.
    static constexpr int copyVirtualKey = 8;
    static constexpr int pasteVirtualKey = 9;

    // A pause that a cancellation only shortens.
    static QCoro::Task<> sleepIgnoringCancellation(std::chrono::milliseconds duration, QuorCancellationToken token = {});
    void handleGlobalMouseEvent(MouseEventType type, int clickCount, double timestamp, QPointF screenLocation,
                                const Callbacks& callbacks);
    void cancelPendingCapture();
    void cancelReplace();
    static QCoro::Task<> runCapture(QPointer<SelectionWatcherService> self, qint64 generation, Callbacks callbacks,
                                    QPointF point, QuorCancellationToken token);

    QCoro::Task<std::optional<QString>> captureViaClipboardFallback(QuorCancellationToken token);
    static QCoro::Task<> guardLateCopies(QPointer<SelectionWatcherService> self, std::shared_ptr<LateCopyGuard> guard);
    // A copy gave up waiting for its change: the guard watches for it from now on.
    void guardLateCopy(qint64 baseline, const QList<PasteboardItemSnapshot>& snapshot);
    void noteClipboardChange();
    // A copy's keys go out: until resumeLateCopyGuard, changes are that copy's. Resumed after keys
    // that never went out, a change meanwhile was the earlier copy's.
    void holdLateCopyGuard();
    void resumeLateCopyGuard(bool keysWentOut);
    // Waits (bounded) until a late copy that has landed is undone, so that the next snapshot is of
    // the user's content again.
    QCoro::Task<> awaitLandedLateCopyUndone();
    // Waits while `busy` holds, waking at each end of clipboard work, for at most `limit`; false
    // when it still held then (or the service went).
    QCoro::Task<bool> awaitClipboardWorkWhile(std::function<bool()> busy, std::chrono::milliseconds limit);
    void finishClipboardWork();

    static QCoro::Task<ClipboardSnapshot> snapshotPasteboard(quor::platform::Clipboard& pasteboard);
    static void restorePasteboard(quor::platform::Clipboard& pasteboard, const QList<PasteboardItemSnapshot>& snapshots);
    // The keys that copy or paste in the window they would reach now; nothing where no chord is
    // safe there, and the log says why.
    QCoro::Task<std::optional<ChosenKeys>> commandChord(int virtualKey);
    // Posts the keys on the worker, right after looking again at the window they would reach; when
    // nothing was sent, the log says why.
    QCoro::Task<quor::platform::KeyDelivery::Result> deliverKeys(ChosenKeys keys, QuorCancellationToken token);
    void logUndelivered(quor::platform::EditingCommand command, quor::platform::KeyDelivery::Result result);
    QCoro::Task<SelectionReplaceOutcome> replaceUnlessCalledOff(QString text, QuorCancellationToken token,
                                                                ReplaceReport& report);
    // Waits until the reads of the replacement decide how the paste went (see PasteReadJudge):
    // pasted, unconfirmed, notFetched or takenOver.
    QCoro::Task<SelectionReplaceOutcome> awaitTargetFetch(ReplacementFetchWatch& watch, ChosenKeys keys,
                                                          QSet<unsigned long> claimReaders, ReplaceReport& report);
    // Logs why no keys were sent, once for a run of the same reason.
    void logRefusal(const QString& refusal);
    std::optional<QString> frontmostBundleID() const;
    bool isFrontmostAppExcluded(const QSet<QString>& excludedBundleIDs) const;

    std::unique_ptr<quor::platform::GlobalMouseMonitor> m_mouseMonitor;
    std::unique_ptr<QuorTask> m_pendingCaptureTask;
    qint64 m_captureGeneration = 0;
    ClickState m_clicks;
    bool m_isCapturingFallback = false;
    bool m_isReplacing = false;
    // One per replacement under way, cancelled by a click or a new selection; they matter until
    // the paste keys are out.
    QList<QuorCancellationToken> m_replaceTokens;
    // Set while a copy that did not land in time may still land.
    std::shared_ptr<LateCopyGuard> m_lateCopyGuard;
    bool m_isMonitoring = false;
    // The last refusal logged, so a run of gestures in one terminal logs it once.
    QString m_lastChordRefusal;
    quor::platform::PrimarySelection* m_primary;
    // One thread that lives as long as the service, so its X connection is made once. Last, so
    // that a query still running ends before the state above goes.
    QThreadPool m_windowQueries;
};
