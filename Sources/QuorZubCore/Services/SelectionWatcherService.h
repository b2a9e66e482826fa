#pragma once

#include <QByteArray>
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
    // The trimmed selected text and the global point of the release that finished it.
    using SelectionHandler = std::function<void(const QString&, QPointF)>;
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
    // process, a widget of this application when the target is one of its windows, or a helper
    // process that had not read it before the keys; then the user's clipboard is put back. A
    // replacement that nobody read after the keys, or only a program that had read it already on
    // the claim (a clipboard manager), stays on the clipboard. While monitoring, a click or a new
    // selection before the keys calls it off.
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
    // How the wait for the paste's read ended: read as a paste, read again only by clients that
    // read it before the keys, taken over, or nobody read it in time.
    enum class FetchEnd { fetched, readOnlyByEarlyReaders, takenOver, timedOut };
    // A copy whose keys went out but whose clipboard change had not come in time: should it still
    // land, the user's clipboard is put back.
    struct LateCopyGuard {
        QuorCancellationToken token;
        // The clipboard's change count when the copy was given up on.
        qint64 changeCount = 0;
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
    static QCoro::Task<> guardLateCopy(QPointer<SelectionWatcherService> self, qint64 changeCount,
                                       QList<PasteboardItemSnapshot> snapshots, QuorCancellationToken token);
    // Waits (bounded) until a late copy that has landed is undone, so that the next snapshot is of
    // the user's content again.
    QCoro::Task<> awaitLandedLateCopyUndone();
    // Waits while `busy` holds, waking at each end of clipboard work, for at most `limit`; false
    // when it still held then (or the service went).
    QCoro::Task<bool> awaitClipboardWorkWhile(std::function<bool()> busy, std::chrono::milliseconds limit);
    void finishClipboardWork();
    void endLateCopyGuard();

    static QCoro::Task<ClipboardSnapshot> snapshotPasteboard(quor::platform::Clipboard& pasteboard);
    static void restorePasteboard(quor::platform::Clipboard& pasteboard, const QList<PasteboardItemSnapshot>& snapshots);
    // The keys that copy or paste in the window they would reach now; nothing where no chord is
    // safe there, and the log says why.
    QCoro::Task<std::optional<ChosenKeys>> commandChord(int virtualKey);
    // Posts the keys on the worker, right after looking again at the window they would reach; when
    // nothing was sent, the log says why.
    QCoro::Task<quor::platform::KeyDelivery::Result> deliverKeys(ChosenKeys keys, QuorCancellationToken token);
    void logUndelivered(quor::platform::EditingCommand command, quor::platform::KeyDelivery::Result result);
    QCoro::Task<SelectionReplaceOutcome> replaceUnlessCalledOff(QString text, QuorCancellationToken token);
    // Waits for a read of the replacement after the keys that counts as the paste (see
    // replaceSelection); reads by programs that read it already before the keys do not.
    QCoro::Task<FetchEnd> awaitTargetFetch(ReplacementFetchWatch& watch, ChosenKeys keys);
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
    std::optional<LateCopyGuard> m_lateCopyGuard;
    bool m_isMonitoring = false;
    // The last refusal logged, so a run of gestures in one terminal logs it once.
    QString m_lastChordRefusal;
    quor::platform::PrimarySelection* m_primary;
    // One thread that lives as long as the service, so its X connection is made once. Last, so
    // that a query still running ends before the state above goes.
    QThreadPool m_windowQueries;
};
