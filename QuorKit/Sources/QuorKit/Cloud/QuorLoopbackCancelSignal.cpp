#include "QuorKit/Cloud/QuorLoopbackCancelSignal.h"

#include "QuorPlatform/Loopback/LoopbackSocket.h"

QuorLoopbackCancelSignal::QuorLoopbackCancelSignal()
{
    if (auto ends = quor::platform::LoopbackSocket::makeWakePipe()) {
        m_readFD = std::move(ends->first);
        m_writeFD = std::move(ends->second);
    }
}

QuorLoopbackCancelSignal::~QuorLoopbackCancelSignal()
{
    close();
}

void QuorLoopbackCancelSignal::cancel()
{
    const std::lock_guard guard(m_lock);
    m_cancelled = true;
    if (m_writeFD) {
        quor::platform::LoopbackSocket::wake(m_writeFD.get());
    }
}

bool QuorLoopbackCancelSignal::isCancelled() const
{
    const std::lock_guard guard(m_lock);
    return m_cancelled;
}

int QuorLoopbackCancelSignal::readFD() const
{
    const std::lock_guard guard(m_lock);
    return m_readFD.get();
}

int QuorLoopbackCancelSignal::writeFD() const
{
    const std::lock_guard guard(m_lock);
    return m_writeFD.get();
}

void QuorLoopbackCancelSignal::close()
{
    const std::lock_guard guard(m_lock);
    m_readFD.reset();
    m_writeFD.reset();
}
