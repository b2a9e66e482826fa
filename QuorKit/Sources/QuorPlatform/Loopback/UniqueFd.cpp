#include "QuorPlatform/Loopback/UniqueFd.h"

#include <unistd.h>

namespace quor::platform {

void UniqueFd::reset(int fd)
{
    const int previous = std::exchange(m_fd, fd);
    if (previous >= 0) {
        ::close(previous);
    }
}

} // namespace quor::platform
