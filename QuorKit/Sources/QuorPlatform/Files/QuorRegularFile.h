#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quor::platform {

// Reading files that another process may have placed: only a regular file is read (a symbolic
// link, a FIFO or a device is refused without blocking), and only up to a size cap.
namespace RegularFile {

// The whole file when it is a regular file (not reached through a symbolic link) of at most
// `maxBytes` bytes; nothing otherwise or when it cannot be read.
std::optional<QByteArray> read(const QString& path, qint64 maxBytes);

} // namespace RegularFile

} // namespace quor::platform
