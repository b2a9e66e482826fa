#include "QuorKit/System/QuorSuiteFolder.h"

#include "QuorKit/Utilities/QuorAtomicFile.h"
#include "QuorPlatform/Files/QuorRegularFile.h"

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
    return QuorAtomicFile::write(path, data, options).ok;
}

std::optional<QByteArray> read(const QString& path, qint64 maxBytes)
{
    return quor::platform::RegularFile::read(path, maxBytes);
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
