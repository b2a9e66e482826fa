#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// Files in the suite folder, which every suite application of this user reads and writes. Files are
// private to the user (folders 0700, files 0600) and replaced atomically; what is read is checked
// as coming from another process: a regular file only, never through a link, and of bounded size.
namespace QuorSuiteFolder {

inline constexpr qint64 maxRecordBytes = 256 * 1024;

bool write(const QString& path, const QByteArray& data);
std::optional<QByteArray> read(const QString& path, qint64 maxBytes = maxRecordBytes);

// Whether `timestamp` lies within `maxAgeSeconds` of `now`, in either direction. An invalid date
// or a maximum age that is not a number is never within.
bool isWithinAge(const QDateTime& timestamp, const QDateTime& now, double maxAgeSeconds);
// Whether a process exists: signal 0 reaches it, or is refused because it belongs to another
// user. Ids below 1 never count (0 and -1 would address process groups).
bool isProcessAlive(qint64 pid);
// The freshness of a live record: within the age, and its writer still exists.
bool isFresh(const QDateTime& timestamp, qint64 senderPID, const QDateTime& now, double maxAgeSeconds);

} // namespace QuorSuiteFolder
