#include "QuorZubCore/Services/SelectionWatcherService.h"

#include "QuorPlatform/KeySynth/QuorKeySynthesizer.h"
#include "QuorPlatform/KeySynth/QuorKeyTarget.h"
#include "QuorPlatform/Pasteboard/QuorClipboard.h"
#include "QuorPlatform/Pasteboard/QuorServedMimeData.h"
#include "QuorPlatform/X11/QuorX11Connection.h"
#include "QuorZubCore/Services/ReplacementFetchWatch.h"

#include <QSet>

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

using quor::platform::Clipboard;
using quor::platform::EditingCommand;
using quor::platform::KeyDelivery::Result;
using quor::platform::ServedMimeData;
using quor::platform::X11Connection;
namespace KeySynthesizer = quor::platform::KeySynthesizer;
namespace KeyTarget = quor::platform::KeyTarget;

// The replacing half of the watcher: the paste keys, and what tells whether they pasted.

QCoro::Task<SelectionReplaceOutcome> SelectionWatcherService::replaceSelection(QString text)
{
    QPointer<SelectionWatcherService> self(this);
    const QuorCancellationToken token;
    m_replaceTokens.append(token);
    const SelectionReplaceOutcome outcome = co_await replaceUnlessCalledOff(std::move(text), token);
    if (self) {
        self->m_replaceTokens.removeOne(token);
    }
    co_return outcome;
}

QCoro::Task<SelectionReplaceOutcome> SelectionWatcherService::replaceUnlessCalledOff(QString text,
                                                                                    QuorCancellationToken token)
{
    QPointer<SelectionWatcherService> self(this);
    // Looked up first: once the queue below is clear, nothing may be awaited before the
    // replacement marks the clipboard busy.
    const std::optional<ChosenKeys> pasteKeys = co_await commandChord(pasteVirtualKey);
    if (!self) {
        co_return SelectionReplaceOutcome::unavailable;
    }
    if (!pasteKeys) {
        co_return SelectionReplaceOutcome::noPasteKeys;
    }
    // One clipboard operation at a time: a copy's snapshot taken during a replacement (or the
    // other way round) would restore the wrong content.
    const bool clear = co_await awaitClipboardWorkWhile(
        [this] { return m_isCapturingFallback || m_isReplacing || m_lateCopyGuard; }, clipboardQueueLimit);
    if (!self || !clear) {
        co_return SelectionReplaceOutcome::unavailable;
    }
    m_isReplacing = true;

    Clipboard& pasteboard = Clipboard::shared();
    // A clipboard whose owner did not give everything in time is put back as far as it was read:
    // the user asked for the replacement, and the rest of the clipboard is unreachable anyway.
    const ClipboardSnapshot snapshot = co_await snapshotPasteboard(pasteboard);
    const QList<PasteboardItemSnapshot> snapshots = snapshot.items;
    // Keys that could not go out now leave the user's clipboard with its owner.
    bool grabbed = false;
    if (self && !token.isCancelled()) {
        grabbed = co_await QtConcurrent::run(&m_windowQueries, &KeySynthesizer::isKeyboardGrabbedElsewhere);
    }
    if (!self || token.isCancelled() || grabbed) {
        if (self) {
            self->logUndelivered(EditingCommand::paste, grabbed ? Result::keyboardGrabbed : Result::cancelled);
            self->finishClipboardWork();
        }
        co_return grabbed ? SelectionReplaceOutcome::unavailable : SelectionReplaceOutcome::calledOff;
    }
    const QPointer<ServedMimeData> replacement = pasteboard.writeTrackedText(text);
    const qint64 changeCount = pasteboard.changeCount();
    ReplacementFetchWatch watch(replacement, pasteboard, changeCount);

    co_await sleepIgnoringCancellation(pasteLead, token);
    Result posted = Result::unavailable;
    if (self) {
        // Armed before the keys: the target's fetch may be served before the worker's answer is.
        if (replacement) {
            replacement->arm();
        }
        posted = co_await self->deliverKeys(*pasteKeys, token);
    }
    if (!self || posted != Result::posted) {
        if (pasteboard.changeCount() == changeCount) {
            restorePasteboard(pasteboard, snapshots);
        }
        if (self) {
            self->finishClipboardWork();
        }
        switch (posted) {
        case Result::cancelled: co_return SelectionReplaceOutcome::calledOff;
        case Result::targetChanged: co_return SelectionReplaceOutcome::focusMoved;
        default: co_return SelectionReplaceOutcome::unavailable;
        }
    }
    // A program that took the clipboard over before the keys went out made Qt drop the
    // replacement; the watch saw it go.
    const FetchEnd end = replacement || watch.isTakenOver() ? co_await awaitTargetFetch(watch, *pasteKeys)
                                                            : FetchEnd::timedOut;
    // Unfetched, the replacement stays where the user can still paste it. Another party that wrote
    // the clipboard meanwhile keeps its content.
    if (end == FetchEnd::fetched && pasteboard.changeCount() == changeCount) {
        restorePasteboard(pasteboard, snapshots);
    }
    if (self) {
        self->finishClipboardWork();
    }
    switch (end) {
    case FetchEnd::fetched: co_return SelectionReplaceOutcome::pasted;
    case FetchEnd::readOnlyByEarlyReaders: co_return SelectionReplaceOutcome::unconfirmed;
    case FetchEnd::takenOver: co_return SelectionReplaceOutcome::takenOver;
    case FetchEnd::timedOut: break;
    }
    co_return SelectionReplaceOutcome::notFetched;
}

QCoro::Task<SelectionWatcherService::FetchEnd> SelectionWatcherService::awaitTargetFetch(ReplacementFetchWatch& watch,
                                                                                        ChosenKeys keys)
{
    QPointer<SelectionWatcherService> self(this);
    const X11Connection* connection = X11Connection::forCurrentThread();
    // The clients that read the replacement before the keys went out, by their resource base: a
    // clipboard manager or a bridge reads every new claim at once, and reading again is no paste.
    QSet<unsigned long> earlyReaders;
    bool earlyReaderReadAgain = false;
    watch.startDeadline(pasteFetchLimit);
    while (true) {
        while (const std::optional<ReplacementFetchWatch::Read> read = watch.takeRead()) {
            const unsigned long client = connection != nullptr ? connection->resourceBase(read->requestor) : 0;
            if (!read->afterKeys) {
                if (read->requestor != 0) {
                    earlyReaders.insert(client);
                }
                continue;
            }
            if (read->requestor == 0) {
                // A widget of ours read it directly; only a paste when the keys went to our window.
                if (keys.intoThisApplication) {
                    co_return FetchEnd::fetched;
                }
                continue;
            }
            if (!earlyReaders.contains(client)) {
                // A client that first read it after the keys: the target, or a helper process
                // serving it (a compatibility layer's clipboard process, say).
                co_return FetchEnd::fetched;
            }
            // Read again by a client that read it on the claim: the paste only when that client is
            // the target's. Which client or process made a window is the worker's question.
            QFuture<bool> asking =
                QtConcurrent::run(&m_windowQueries, &KeyTarget::isTargetClient, read->requestor, keys.windows);
            const bool byTarget = co_await asking;
            if (!self) {
                co_return FetchEnd::timedOut;
            }
            if (byTarget) {
                co_return FetchEnd::fetched;
            }
            earlyReaderReadAgain = true;
        }
        if (watch.isTakenOver()) {
            co_return FetchEnd::takenOver;
        }
        if (watch.hasTimedOut()) {
            co_return earlyReaderReadAgain ? FetchEnd::readOnlyByEarlyReaders : FetchEnd::timedOut;
        }
        co_await watch.nextEvent();
        if (!self) {
            co_return FetchEnd::timedOut;
        }
    }
}

