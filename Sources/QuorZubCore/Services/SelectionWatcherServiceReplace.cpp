#include "QuorZubCore/Services/SelectionWatcherService.h"

#include "QuorKit/Utilities/QuorAppLogger.h"
#include "QuorPlatform/KeySynth/QuorKeySynthesizer.h"
#include "QuorPlatform/KeySynth/QuorKeyTarget.h"
#include "QuorPlatform/Pasteboard/QuorClipboard.h"
#include "QuorPlatform/Pasteboard/QuorServedMimeData.h"
#include "QuorPlatform/Process/QuorProcessFacts.h"
#include "QuorPlatform/X11/QuorX11Connection.h"
#include "QuorZubCore/Services/ReplacementFetchWatch.h"

#include <QHash>
#include <QSet>

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

using quor::platform::Clipboard;
using quor::platform::EditingCommand;
using quor::platform::KeyDelivery::Result;
using quor::platform::ProcessFacts;
using quor::platform::ServedMimeData;
using quor::platform::X11Connection;
namespace KeySynthesizer = quor::platform::KeySynthesizer;
namespace KeyTarget = quor::platform::KeyTarget;

// The replacing half of the watcher: the paste keys, and what tells whether they pasted.

namespace {
// Who made window `requestor`, asked on the worker's own connection.
PasteReader readerOf(unsigned long requestor)
{
    PasteReader reader;
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return reader;
    }
    reader.client = connection->resourceBase(requestor);
    if (const std::optional<qint64> pid = connection->clientProcess(requestor)) {
        reader.process = ProcessFacts::read(*pid);
    }
    return reader;
}

// The clients and the process of the windows the paste keys went to, asked on the worker.
PasteTarget targetOf(KeyTarget::Windows windows, bool intoThisApplication)
{
    PasteTarget target;
    target.isThisApplication = intoThisApplication;
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return target;
    }
    for (const unsigned long window : {windows.focus, windows.focusedTopLevel}) {
        if (window == 0) {
            continue;
        }
        const unsigned long client = connection->resourceBase(window);
        if (!target.clients.contains(client)) {
            target.clients.append(client);
        }
        if (!target.process) {
            if (const std::optional<qint64> pid = connection->clientProcess(window)) {
                target.process = ProcessFacts::read(*pid);
            }
        }
    }
    return target;
}
} // namespace

QCoro::Task<SelectionReplaceOutcome> SelectionWatcherService::replaceSelection(QString text)
{
    QPointer<SelectionWatcherService> self(this);
    const QuorCancellationToken token;
    m_replaceTokens.append(token);
    ReplaceReport report;
    const SelectionReplaceOutcome outcome = co_await replaceUnlessCalledOff(std::move(text), token, report);
    if (self) {
        self->m_replaceTokens.removeOne(token);
    }
    QuorAppLogger::shared(QStringLiteral("QuorZub"))
        ->info(PasteReadJudge::describe(outcome, report.reads, report.target), QStringLiteral("watcher"));
    co_return outcome;
}

QCoro::Task<SelectionReplaceOutcome> SelectionWatcherService::replaceUnlessCalledOff(QString text,
                                                                                    QuorCancellationToken token,
                                                                                    ReplaceReport& report)
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
    const ClipboardSnapshot snapshot = co_await snapshotPasteboard(pasteboard);
    const QList<PasteboardItemSnapshot> snapshots = snapshot.items;
    // Keys that could not go out now leave the user's clipboard with its owner.
    bool grabbed = false;
    if (self && !token.isCancelled()) {
        grabbed = co_await QtConcurrent::run(&m_windowQueries, &KeySynthesizer::isKeyboardGrabbedElsewhere);
    }
    if (!self || token.isCancelled() || grabbed || !snapshot.complete) {
        if (!self) {
            co_return SelectionReplaceOutcome::unavailable;
        }
        self->finishClipboardWork();
        if (token.isCancelled() || grabbed) {
            self->logUndelivered(EditingCommand::paste, grabbed ? Result::keyboardGrabbed : Result::cancelled);
            co_return grabbed ? SelectionReplaceOutcome::unavailable : SelectionReplaceOutcome::calledOff;
        }
        // What the user had copied could not be put back afterwards: it stays with its owner, and
        // no keys go out.
        co_return SelectionReplaceOutcome::clipboardUnreadable;
    }
    // A client that read what we offered last without being asked to paste it reads every claim.
    const QSet<unsigned long> claimReaders = pasteboard.readersOfLatestOwnContent();
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
        watch.noteKeys();
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
    const SelectionReplaceOutcome outcome = replacement || watch.isTakenOver()
                                                ? co_await awaitTargetFetch(watch, *pasteKeys, claimReaders, report)
                                                : SelectionReplaceOutcome::notFetched;
    // Unfetched, the replacement stays where the user can still paste it. Another party that wrote
    // the clipboard meanwhile keeps its content.
    if (outcome == SelectionReplaceOutcome::pasted && pasteboard.changeCount() == changeCount) {
        restorePasteboard(pasteboard, snapshots);
    }
    if (self) {
        self->finishClipboardWork();
    }
    co_return outcome;
}

QCoro::Task<SelectionReplaceOutcome> SelectionWatcherService::awaitTargetFetch(ReplacementFetchWatch& watch,
                                                                              ChosenKeys keys,
                                                                              QSet<unsigned long> claimReaders,
                                                                              ReplaceReport& report)
{
    QPointer<SelectionWatcherService> self(this);
    watch.startDeadline(pasteFetchLimit);
    // Which client or process made a window is the worker's question.
    QFuture<PasteTarget> asking = QtConcurrent::run(&m_windowQueries, &targetOf, keys.windows, keys.intoThisApplication);
    report.target = co_await asking;
    QHash<unsigned long, PasteReader> readers;
    const X11Connection* connection = X11Connection::forCurrentThread();
    while (self) {
        while (const std::optional<ReplacementFetchWatch::Read> read = watch.takeRead()) {
            PasteReader reader;
            if (read->requestor != 0 && connection != nullptr) {
                const unsigned long client = connection->resourceBase(read->requestor);
                if (!readers.contains(client)) {
                    QFuture<PasteReader> facts = QtConcurrent::run(&m_windowQueries, &readerOf, read->requestor);
                    readers.insert(client, co_await facts);
                    if (!self) {
                        co_return SelectionReplaceOutcome::notFetched;
                    }
                }
                reader = readers.value(client);
            }
            report.reads.append({reader, read->msAfterClaim, read->msAfterKeys});
        }
        if (const std::optional<SelectionReplaceOutcome> outcome = PasteReadJudge::judge(
                report.reads, report.target, claimReaders, watch.isTakenOver(), watch.hasTimedOut())) {
            co_return *outcome;
        }
        co_await watch.nextEvent();
    }
    co_return SelectionReplaceOutcome::notFetched;
}
