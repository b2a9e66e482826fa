#include "QuorKit/Suite/QuorSuiteFolder.h"

#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorKit/Utilities/QuorRegularFile.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <limits>

namespace QuorSuiteFolder {

bool write(const QString& path, const QByteArray& data)
{
    QuorAtomicFile::WriteOptions options;
    options.fileMode = 0600;
    options.folderMode = 0700;
    // Commands and live status are written when a chip is clicked and several times a second by
    // publishers: the rename alone gives readers a whole file, and a status lost to a power cut is
    // stale by the time the machine is back. Waiting on the disk would stall the click.
    options.durable = false;
    return QuorAtomicFile::write(path, data, options).ok;
}

std::optional<QByteArray> read(const QString& path, qint64 maxBytes)
{
    QuorRegularFile::ReadResult result = QuorRegularFile::read(path, maxBytes, QuorRegularFile::Links::refuse);
    return result.ok() ? std::optional<QByteArray>(std::move(result.bytes)) : std::nullopt;
}

bool isWithinAge(const QDateTime& timestamp, const QDateTime& now, double maxAgeSeconds)
{
    if (!timestamp.isValid() || !now.isValid()) {
        return false;
    }
    const double age = std::abs(static_cast<double>(timestamp.msecsTo(now))) / 1000.0;
    return age <= maxAgeSeconds; // false for NaN
}

bool isProcessAlive(qint64 pid)
{
    if (pid < 1 || pid > std::numeric_limits<pid_t>::max()) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool isFresh(const QDateTime& timestamp, qint64 senderPID, const QDateTime& now, double maxAgeSeconds)
{
    return isWithinAge(timestamp, now, maxAgeSeconds) && isProcessAlive(senderPID);
}

} // namespace QuorSuiteFolder
