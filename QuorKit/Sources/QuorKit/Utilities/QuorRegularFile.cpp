#include "QuorKit/Utilities/QuorRegularFile.h"

#include "QuorPlatform/Loopback/UniqueFd.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QuorRegularFile {

namespace {
using Status = ReadResult::Status;

ReadResult failure(Status status, const QString& error)
{
    return {status, {}, error};
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

ReadResult read(const QString& path, qint64 maxBytes, Links links)
{
    // Non-blocking, so opening a FIFO returns at once instead of waiting for a writer.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::refuse ? O_NOFOLLOW : 0);
    const quor::platform::UniqueFd file(::open(QFile::encodeName(path).constData(), flags));
    if (!file) {
        return failure(errno == ENOENT ? Status::missing : Status::failed, errnoText());
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return failure(Status::failed, errnoText());
    }
    if (!S_ISREG(info.st_mode)) {
        return failure(Status::notRegular, QStringLiteral("not a regular file"));
    }
    if (info.st_size > maxBytes) {
        return failure(Status::tooLarge, QStringLiteral("larger than %1 bytes").arg(maxBytes));
    }
    // The size is only a hint: a file that grows while it is read still stops one byte past the cap.
    QByteArray bytes(static_cast<qsizetype>(info.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (true) {
        if (filled == bytes.size()) {
            if (filled > maxBytes) {
                return failure(Status::tooLarge, QStringLiteral("larger than %1 bytes").arg(maxBytes));
            }
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, static_cast<qsizetype>(maxBytes) + 1));
        }
        const ssize_t got = ::read(file.get(), bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failure(Status::failed, errnoText());
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    bytes.truncate(filled);
    return {Status::ok, bytes, {}};
}

} // namespace QuorRegularFile
