#include "QuorPlatform/Files/QuorRegularFile.h"

#include "QuorPlatform/Loopback/UniqueFd.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quor::platform::RegularFile {

std::optional<QByteArray> read(const QString& path, qint64 maxBytes)
{
    // O_NONBLOCK keeps a FIFO planted under the name from stalling the open.
    const UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maxBytes) {
        return std::nullopt;
    }
    // The file may grow after fstat: read at most one byte past the cap to notice.
    QByteArray bytes(static_cast<qsizetype>(status.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        filled += got;
        if (filled == bytes.size() && filled <= maxBytes) {
            bytes.resize(std::min<qsizetype>(maxBytes + 1, bytes.size() * 2));
        }
    }
    if (filled > maxBytes) {
        return std::nullopt;
    }
    bytes.truncate(filled);
    return bytes;
}

} // namespace quor::platform::RegularFile
