#include "QuorPlatform/Memory/QuorLoopDevices.h"

#include "QuorPlatform/Core/QuorSaturating.h"
#include "QuorPlatform/Memory/QuorKernelFiles.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <limits>
#include <sys/statvfs.h>

namespace quor::platform::LoopDevices {

namespace {

// "loop3" for /dev/loop3 and its partitions (/dev/loop3p1); empty for any other source.
QString loopDeviceOf(const QByteArray& source)
{
    if (!source.startsWith("/dev/loop")) {
        return {};
    }
    QByteArray name = source.mid(5);
    const qsizetype partition = name.indexOf('p', 4);
    if (partition > 0) {
        name.truncate(partition);
    }
    return QString::fromLatin1(name);
}

// The first mount point of each loop device, from "id parent major:minor root mountpoint options
// [optional fields] - type source superoptions" lines.
QHash<QString, QString> loopMountPoints(const QString& root)
{
    QHash<QString, QString> mounts;
    const QByteArray mountinfo = KernelFiles::read(root + QStringLiteral("/proc/self/mountinfo")).value_or(QByteArray());
    for (const QByteArray& line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 5 || separator < 0 || separator + 2 >= fields.size()) {
            continue;
        }
        const QString device = loopDeviceOf(fields.at(separator + 2));
        if (!device.isEmpty() && !mounts.contains(device)) {
            mounts.insert(device, KernelFiles::unescapePath(fields.at(4)));
        }
    }
    return mounts;
}

} // namespace

QList<MountedImage> mountedImages(const QString& root)
{
    const QString cleanRoot = QDir::cleanPath(root);
    const QHash<QString, QString> mounts = loopMountPoints(cleanRoot);
    const QDir block(cleanRoot + QStringLiteral("/sys/block"));
    QList<MountedImage> images;
    for (const QString& device : block.entryList({QStringLiteral("loop*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!mounts.contains(device)) {
            continue;
        }
        const QString backing = QFile::decodeName(
            KernelFiles::read(block.filePath(device + QStringLiteral("/loop/backing_file"))).value_or(QByteArray()).trimmed());
        if (!backing.isEmpty() && !backing.endsWith(QStringLiteral(" (deleted)"))) {
            images.append({backing, mounts.value(device)});
        }
    }
    return images;
}

std::optional<VolumeCapacity> capacity(const QString& path)
{
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    const auto bytes = [&](fsblkcnt_t blocks) {
        constexpr auto most = static_cast<fsblkcnt_t>(std::numeric_limits<qint64>::max());
        return QuorSaturating::multiply(static_cast<qint64>(std::min(blocks, most)),
                                        static_cast<qint64>(std::min<unsigned long>(info.f_frsize, most)));
    };
    return VolumeCapacity{bytes(info.f_blocks), bytes(info.f_bavail)};
}

} // namespace quor::platform::LoopDevices
