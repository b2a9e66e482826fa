#include "Support/QuorTestWaiting.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

namespace quor::test_detail {
void spinOnce()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThread::msleep(5);
}
} // namespace quor::test_detail

bool quorWaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeout.count()) {
            return false;
        }
        quor::test_detail::spinOnce();
    }
    return true;
}

bool quorRetryUntil(const std::function<void()>& act, const std::function<bool()>& done, int attempts,
                    std::chrono::milliseconds each)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        act();
        if (quorWaitFor(done, each)) {
            return true;
        }
    }
    return false;
}

qint64 quorRunQueueWaitNs()
{
    // "time on a CPU, time waiting for one, time slices", in nanoseconds.
    QFile stats(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stats.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return stats.readAll().split(' ').value(1).trimmed().toLongLong();
}

namespace {
qint64 wallClockNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

void QuorHeldClock::restart()
{
    m_waitStartNs = quorRunQueueWaitNs();
    m_wallStartNs = wallClockNs();
}

qint64 QuorHeldClock::elapsedMs() const
{
    const qint64 wall = wallClockNs() - m_wallStartNs;
    const qint64 waited = quorRunQueueWaitNs() - m_waitStartNs;
    return std::max<qint64>(0, wall - waited) / 1000000;
}
