#pragma once

#include "QuorPlatform/Core/QuorCancellationToken.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <chrono>
#include <optional>

namespace quor::platform {
class Clipboard;
class ServedMimeData;
} // namespace quor::platform

// What befalls a replacement offered on the clipboard while the target is expected to fetch it:
// the reads of it, before and after the paste keys, another program taking the clipboard over, the
// end of the wait. Made right after the claim, so that no read goes unseen. Lives on the GUI thread.
class ReplacementFetchWatch : public QObject {
    Q_OBJECT
public:
    // `replacement` is on the clipboard now, and `changeCount` is the clipboard's.
    ReplacementFetchWatch(const QPointer<quor::platform::ServedMimeData>& replacement,
                          quor::platform::Clipboard& clipboard, qint64 changeCount);

    // One read of the replacement.
    struct Read {
        // The window the reading client asked with; 0 for a read by this process itself.
        unsigned long requestor = 0;
        qint64 msAfterClaim = 0;
        // Set when it came after the paste keys were on their way.
        std::optional<qint64> msAfterKeys;
    };

    // The paste keys are on their way now (the replacement was armed).
    void noteKeys();
    void startDeadline(std::chrono::milliseconds limit);

    // The next read, in the order served.
    std::optional<Read> takeRead();
    // Another program owns the clipboard now; the replacement is gone from it.
    bool isTakenOver() const { return m_takenOver; }
    bool hasTimedOut() const { return m_timedOut; }
    // Finishes at the next fetch, takeover or deadline (whichever comes first from now on).
    QCoro::Task<> nextEvent();

private:
    void note();

    quor::detail::SignalRelay m_relay;
    QTimer m_deadline;
    QList<Read> m_reads;
    // On the clock ServedMimeData reports on.
    qint64 m_claimedAt = 0;
    qint64 m_keysAt = 0;
    bool m_takenOver = false;
    bool m_timedOut = false;
};
