#include "QuorZubCore/Services/ReplacementFetchWatch.h"

#include "QuorPlatform/Pasteboard/QuorClipboard.h"
#include "QuorPlatform/Pasteboard/QuorServedMimeData.h"

#include <QCoro/QCoroSignal>

using quor::platform::Clipboard;
using quor::platform::ServedMimeData;

ReplacementFetchWatch::ReplacementFetchWatch(const QPointer<ServedMimeData>& replacement, Clipboard& clipboard,
                                             qint64 changeCount)
    : m_claimedAt(ServedMimeData::steadyMilliseconds())
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        note();
    });
    if (replacement) {
        connect(replacement.data(), &ServedMimeData::served, this,
                [this](unsigned long requestor, bool afterArm, qint64 servedAt) {
                    m_reads.append({requestor, servedAt - m_claimedAt,
                                    afterArm ? std::optional<qint64>(servedAt - m_keysAt) : std::nullopt});
                    note();
                });
        // Qt drops the content when another client claims the clipboard.
        connect(replacement.data(), &QObject::destroyed, this, [this] {
            m_takenOver = true;
            note();
        });
    }
    connect(&clipboard, &Clipboard::changed, this, [this, &clipboard, changeCount] {
        if (clipboard.changeCount() != changeCount) {
            m_takenOver = true;
            note();
        }
    });
}

void ReplacementFetchWatch::noteKeys()
{
    m_keysAt = ServedMimeData::steadyMilliseconds();
}

void ReplacementFetchWatch::startDeadline(std::chrono::milliseconds limit)
{
    m_deadline.start(limit);
}

std::optional<ReplacementFetchWatch::Read> ReplacementFetchWatch::takeRead()
{
    if (m_reads.isEmpty()) {
        return std::nullopt;
    }
    return m_reads.takeFirst();
}

QCoro::Task<> ReplacementFetchWatch::nextEvent()
{
    co_await qCoro(&m_relay, &quor::detail::SignalRelay::fired);
}

void ReplacementFetchWatch::note()
{
    m_relay.fire();
}
