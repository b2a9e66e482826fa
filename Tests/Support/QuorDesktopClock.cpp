#include "Support/QuorDesktopClock.h"

#include <QCoreApplication>
#include <QFile>

#include <chrono>

namespace {
qint64 wallClockNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The process's main thread, which carries the work of an X client from one request to the next:
// "time on a CPU, time waiting for one, time slices". Its other threads are left out, since they
// may wait at the same time as it and would count a moment twice.
qint64 processRunQueueWaitNs(qint64 pid)
{
    QFile stats(QStringLiteral("/proc/%1/schedstat").arg(pid));
    return stats.open(QIODevice::ReadOnly) ? stats.readAll().split(' ').value(1).trimmed().toLongLong() : 0;
}
} // namespace

QuorDesktopClock::QuorDesktopClock(QList<qint64> others) : m_processes(std::move(others))
{
    m_processes.append(QCoreApplication::applicationPid());
    for (const QString& pid : qEnvironmentVariable("QUOR_TEST_DESKTOP_PIDS").split(u' ', Qt::SkipEmptyParts)) {
        m_processes.append(pid.toLongLong());
    }
    restart();
}

void QuorDesktopClock::restart()
{
    m_waitStartNs = runQueueWaitNs();
    m_wallStartNs = wallClockNs();
}

qint64 QuorDesktopClock::elapsedMs() const
{
    const qint64 wall = wallClockNs() - m_wallStartNs;
    const qint64 waited = runQueueWaitNs() - m_waitStartNs;
    return std::max<qint64>(0, wall - waited) / 1000000;
}

qint64 QuorDesktopClock::runQueueWaitNs() const
{
    qint64 waited = 0;
    for (const qint64 pid : m_processes) {
        waited += processRunQueueWaitNs(pid);
    }
    return waited;
}
