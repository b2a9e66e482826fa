#include "QuorPlatform/Loopback/SecureRandom.h"

#include <cerrno>
#include <sys/random.h>

namespace quor::platform {

std::optional<QByteArray> secureRandomBytes(qsizetype count)
{
    if (count < 0) {
        return std::nullopt;
    }
    QByteArray bytes(count, '\0');
    qsizetype filled = 0;
    while (filled < count) {
        const ssize_t got = ::getrandom(bytes.data() + filled, static_cast<size_t>(count - filled), 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        filled += got;
    }
    return bytes;
}

} // namespace quor::platform
