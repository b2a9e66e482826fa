#pragma once

#include <QList>
#include <QtGlobal>

// A stopwatch for work that passes through several processes of the test desktop (this test, the
// display's X server and window manager, a helper): wall time less the time their main threads
// spent ready to run but waiting for a CPU. Latency bounds hold on a busy machine with it, where
// wall time would also count everything else the machine runs.
class QuorDesktopClock {
public:
    // `others`: helpers the work passes through besides this process and the display's server and
    // window manager (which with-test-env.sh names in QUOR_TEST_DESKTOP_PIDS).
    explicit QuorDesktopClock(QList<qint64> others = {});
    void restart();
    qint64 elapsedMs() const;

private:
    qint64 runQueueWaitNs() const;

    QList<qint64> m_processes;
    qint64 m_wallStartNs = 0;
    qint64 m_waitStartNs = 0;
};
