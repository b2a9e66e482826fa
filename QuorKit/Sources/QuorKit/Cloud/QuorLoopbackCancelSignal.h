#pragma once

#include "QuorPlatform/Loopback/UniqueFd.h"

#include <mutex>

// Wakes the loopback callback wait from another thread: a flag plus a self-pipe whose read end the
// wait polls. One lock serialises cancel(), the wait's reads and the final close.
class QuorLoopbackCancelSignal {
public:
    // Creates the pipe; without one the flag alone still works (seen when the current poll ends).
    QuorLoopbackCancelSignal();
    ~QuorLoopbackCancelSignal();
    QuorLoopbackCancelSignal(const QuorLoopbackCancelSignal&) = delete;
    QuorLoopbackCancelSignal& operator=(const QuorLoopbackCancelSignal&) = delete;

    // Sets the flag and writes one byte to the pipe. Any thread.
    void cancel();
    bool isCancelled() const;
    int readFD() const; // -1 when absent or closed
    int writeFD() const;
    // Closes both ends of the pipe (each only once).
    void close();

private:
    mutable std::mutex m_lock;
    quor::platform::UniqueFd m_readFD;
    quor::platform::UniqueFd m_writeFD;
    bool m_cancelled = false;
};
