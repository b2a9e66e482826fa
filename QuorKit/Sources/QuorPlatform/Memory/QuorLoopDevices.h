#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quor::platform {

// A disk image attached to a loop device and mounted.
struct MountedImage {
    QString imagePath;  // the loop device's backing file
    QString mountPoint; // where its file system (or its first mounted partition) is mounted

    bool operator==(const MountedImage& other) const = default;
};

struct VolumeCapacity {
    qint64 totalBytes = 0;
    qint64 availableBytes = 0;

    bool operator==(const VolumeCapacity& other) const = default;
};

// Loop devices and mounts from /sys and /proc below `root` ("/" for this computer).
namespace LoopDevices {

QList<MountedImage> mountedImages(const QString& root = QStringLiteral("/"));
// The size of the file system mounted at `path`, and the room left for an unprivileged writer.
std::optional<VolumeCapacity> capacity(const QString& path);

} // namespace LoopDevices

} // namespace quor::platform
