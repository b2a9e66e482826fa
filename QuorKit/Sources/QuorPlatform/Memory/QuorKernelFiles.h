#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quor::platform {

// The small text files of /proc and /sys, which report a size of 0 and are read to their end.
namespace KernelFiles {

std::optional<QByteArray> read(const QString& path, qint64 maxBytes = 1024 * 1024);
// /proc/swaps and mountinfo write a space, tab, newline or backslash in a path as a backslash and
// three octal digits.
QString unescapePath(const QByteArray& field);

} // namespace KernelFiles

} // namespace quor::platform
