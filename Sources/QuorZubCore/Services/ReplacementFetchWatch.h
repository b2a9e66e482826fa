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
// the clients that fetched it, another program taking the clipboard over, the end of the wait.
// Made before the paste keys go out, so that no fetch goes unseen. Lives on the GUI thread.
class ReplacementFetchWatch : public QObject {
    Q_OBJECT
public:
    // `replacement` is on the clipboard now, and `changeCount` is the clipboard's.
    ReplacementFetchWatch(const QPointer<quor::platform::ServedMimeData>& replacement,
                          quor::platform::Clipboard& clipboard, qint64 changeCount);

    void startDeadline(std::chrono::milliseconds limit);

    // The window of the next client that fetched the replacement, in the order served.
    std::optional<unsigned long> takeRequestor();
    // Another program owns the clipboard now; the replacement is gone from it.
    bool isTakenOver() const { return m_takenOver; }
    bool hasTimedOut() const { return m_timedOut; }
    // Finishes at the next fetch, takeover or deadline (whichever comes first from now on).
    QCoro::Task<> nextEvent();

private:
    void note();

    quor::detail::SignalRelay m_relay;
    QTimer m_deadline;
    QList<unsigned long> m_requestors;
    bool m_takenOver = false;
    bool m_timedOut = false;
};
