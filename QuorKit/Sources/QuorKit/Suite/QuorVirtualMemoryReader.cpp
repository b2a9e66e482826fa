#include "QuorKit/Suite/QuorVirtualMemoryReader.h"

#include "QuorKit/Suite/QuorSuiteFolder.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorPlatform/Core/QuorSaturating.h"
#include "QuorPlatform/Memory/QuorLoopDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {
constexpr qint64 maxConfigBytes = 256 * 1024;

std::optional<QString> customPoolDirectory(const QString& configFile)
{
    const std::optional<QByteArray> bytes = QuorSuiteFolder::read(configFile, maxConfigBytes);
    if (!bytes) {
        return std::nullopt;
    }
    try {
        const QString folder = QuorJson::optionalString(QuorJson::parseObject(*bytes), QStringLiteral("customPoolDirectory"))
                                   .value_or(QString())
                                   .trimmed();
        if (!folder.isEmpty()) {
            return folder;
        }
    } catch (const QuorError&) {
        // A malformed configuration adds no folder.
    }
    return std::nullopt;
}
} // namespace

QuorVirtualMemoryReader QuorVirtualMemoryReader::system()
{
    return {QStringLiteral("/"), QuorPaths::cacheDirectory() + QStringLiteral("/Vaskel/Pools"),
            QuorPaths::applicationSupportDirectory() + QStringLiteral("/Vaskel/config.json")};
}

QuorSparseDiskScan QuorVirtualMemoryReader::scanSparseDisks() const
{
    using namespace quor::platform;
    QStringList folders{poolDirectory};
    if (const auto custom = customPoolDirectory(configFile)) {
        folders.append(*custom);
    }
    QHash<QString, QString> mountPoints;
    for (const MountedImage& image : LoopDevices::mountedImages(systemRoot)) {
        mountPoints.insert(image.imagePath, image.mountPoint);
    }
    QuorSparseDiskScan scan;
    QSet<QString> seen;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Unsorted)) {
            const QFileInfo info(dir.filePath(entry));
            if (info.suffix().toLower() != QStringLiteral("sparsebundle") || seen.contains(info.completeBaseName())) {
                continue;
            }
            seen.insert(info.completeBaseName());
            const QString mountPoint = mountPoints.value(info.canonicalFilePath());
            // An image that is not mounted, or whose volume cannot be read, counts as empty.
            const VolumeCapacity capacity = mountPoint.isEmpty()
                ? VolumeCapacity{}
                : LoopDevices::capacity(QDir::cleanPath(systemRoot + QLatin1Char('/') + mountPoint)).value_or(VolumeCapacity{});
            if (capacity.totalBytes < 1) {
                continue;
            }
            scan.mountedCount += 1;
            scan.virtualBytes = QuorSaturating::add(scan.virtualBytes, capacity.totalBytes);
            scan.actualBytes = QuorSaturating::add(scan.actualBytes,
                                                   std::max<qint64>(capacity.totalBytes - capacity.availableBytes, 0));
            scan.names.append(info.completeBaseName());
        }
    }
    return scan;
}

QuorVirtualMemorySummary QuorVirtualMemoryReader::read(const std::optional<VaskelLiveStatus>& freshStatus) const
{
    const quor::platform::KernelMemoryFigures kernel = quor::platform::KernelMemory::read(systemRoot);
    return QuorVirtualMemorySummary::merge(kernel, freshStatus, freshStatus ? QuorSparseDiskScan{} : scanSparseDisks());
}
