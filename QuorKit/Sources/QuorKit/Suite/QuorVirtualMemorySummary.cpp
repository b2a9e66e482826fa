#include "QuorKit/Suite/QuorVirtualMemorySummary.h"

#include "QuorKit/Suite/QuorVirtualMemoryReader.h"

#include "QuorKit/Utilities/QuorByteFormatter.h"
#include "QuorPlatform/Core/QuorSaturating.h"

#include <algorithm>

namespace {
double percentOf(qint64 part, qint64 whole)
{
    if (whole <= 0) {
        return 0;
    }
    return std::clamp(static_cast<double>(part) / static_cast<double>(whole) * 100.0, 0.0, 100.0);
}

qint64 statusOrKernel(qint64 status, qint64 kernel)
{
    return status >= 1 ? status : kernel;
}
} // namespace

QuorVirtualMemorySummary QuorVirtualMemorySummary::merge(const quor::platform::KernelMemoryFigures& kernel,
                                                         const std::optional<VaskelLiveStatus>& vaskel,
                                                         const QuorSparseDiskScan& sparseDisks)
{
    QuorVirtualMemorySummary summary;
    if (!vaskel) {
        summary.physicalTotalBytes = kernel.physicalTotalBytes;
        summary.physicalUsedBytes = kernel.physicalUsedBytes;
        summary.compressedBytes = kernel.compressedBytes;
        summary.swapTotalBytes = kernel.swapTotalBytes;
        summary.swapUsedBytes = kernel.swapUsedBytes;
        summary.swapEncrypted = kernel.swapEncrypted;
        summary.pressureLevel = kernel.pressureLevel;
        summary.mountedSparseDiskCount = sparseDisks.mountedCount;
        summary.sparseDiskVirtualBytes = sparseDisks.virtualBytes;
        summary.sparseDiskActualBytes = sparseDisks.actualBytes;
        summary.sparseDiskNames = sparseDisks.names;
        return summary;
    }
    const VaskelLiveStatus& status = *vaskel;
    summary.physicalTotalBytes = statusOrKernel(status.physicalTotalBytes, kernel.physicalTotalBytes);
    summary.physicalUsedBytes = statusOrKernel(status.physicalUsedBytes, kernel.physicalUsedBytes);
    summary.compressedBytes = statusOrKernel(status.compressedBytes, kernel.compressedBytes);
    summary.swapTotalBytes = std::max(status.swapTotalBytes, kernel.swapTotalBytes);
    summary.swapUsedBytes = std::max(status.swapUsedBytes, kernel.swapUsedBytes);
    summary.swapFileCount = status.swapFileCount;
    summary.swapEncrypted = status.swapEncrypted;
    summary.pressureLevel = status.pressureLevel;
    summary.isVaskelRunning = true;
    summary.activeDiskPoolCount = status.activeDiskPoolCount;
    summary.diskPoolVirtualBytes = status.diskPoolVirtualBytes;
    summary.diskPoolActualDiskBytes = status.diskPoolActualDiskBytes;
    summary.diskPoolNames = status.diskPoolNames;
    summary.mountedSparseDiskCount = status.mountedSparseDiskCount;
    summary.sparseDiskVirtualBytes = status.sparseDiskVirtualBytes;
    summary.sparseDiskActualBytes = status.sparseDiskActualBytes;
    summary.sparseDiskNames = status.sparseDiskNames;
    summary.mountedRAMDiskCount = status.mountedRAMDiskCount;
    summary.ramDiskTotalBytes = status.ramDiskTotalBytes;
    summary.ramDiskNames = status.ramDiskNames;
    summary.frozenAppCount = status.frozenAppCount;
    summary.frozenPIDs = status.frozenPIDs;
    summary.reclaimedFromFrozenBytes = status.reclaimedFromFrozenBytes;
    return summary;
}

bool QuorVirtualMemorySummary::isVaskelVirtualExpansionActive() const
{
    return activeDiskPoolCount > 0 || mountedSparseDiskCount > 0 || mountedRAMDiskCount > 0;
}

bool QuorVirtualMemorySummary::isAnyVirtualMemoryActive() const
{
    return isVaskelVirtualExpansionActive() || swapUsedBytes > 0;
}

bool QuorVirtualMemorySummary::isSwapActive() const
{
    return swapUsedBytes > 0 || swapTotalBytes > 0;
}

double QuorVirtualMemorySummary::physicalUsedPercent() const
{
    return percentOf(physicalUsedBytes, physicalTotalBytes);
}

double QuorVirtualMemorySummary::swapUsedPercent() const
{
    return percentOf(swapUsedBytes, swapTotalBytes);
}

qint64 QuorVirtualMemorySummary::totalVaskelVirtualCapacityBytes() const
{
    return QuorSaturating::add(diskPoolVirtualBytes, sparseDiskVirtualBytes, ramDiskTotalBytes);
}

qint64 QuorVirtualMemorySummary::totalVirtualAllocatedBytes() const
{
    return QuorSaturating::add(totalVaskelVirtualCapacityBytes(), std::max(swapTotalBytes, swapUsedBytes));
}

qint64 QuorVirtualMemorySummary::totalVirtualUsedBytes() const
{
    return QuorSaturating::add(swapUsedBytes, diskPoolActualDiskBytes, sparseDiskActualBytes, ramDiskTotalBytes);
}

double QuorVirtualMemorySummary::virtualUsedPercent() const
{
    return percentOf(totalVirtualUsedBytes(), totalVirtualAllocatedBytes());
}

qint64 QuorVirtualMemorySummary::totalEffectiveMemoryCapacityBytes() const
{
    return QuorSaturating::add(physicalTotalBytes, totalVirtualAllocatedBytes());
}

qint64 QuorVirtualMemorySummary::totalEffectiveUsedBytes() const
{
    return QuorSaturating::add(physicalUsedBytes, totalVirtualUsedBytes());
}

QString QuorVirtualMemorySummary::virtualSpaceUsageText() const
{
    const qint64 allocated = totalVirtualAllocatedBytes();
    if (allocated < 1) {
        return QStringLiteral("0 B");
    }
    return QuorByteFormatter::format(totalVirtualUsedBytes()) + QStringLiteral(" / ") + QuorByteFormatter::format(allocated);
}

QString QuorVirtualMemorySummary::compactVirtualUsedToken() const
{
    // Numbers are written with QString::number: a gauge label reads the same in every locale.
    const qint64 used = totalVirtualUsedBytes();
    if (used > 0) {
        const double gigabytes = static_cast<double>(used) / 1e9;
        if (gigabytes >= 100) {
            return QString::number(gigabytes, 'f', 0) + QLatin1Char('G');
        }
        if (gigabytes >= 1) {
            return QString::number(gigabytes, 'f', 1) + QLatin1Char('G');
        }
        return QString::number(static_cast<double>(used) / 1e6, 'f', 0) + QLatin1Char('M');
    }
    const qint64 allocated = totalVirtualAllocatedBytes();
    if (allocated <= 0) {
        return QStringLiteral("0G");
    }
    const double gigabytes = static_cast<double>(allocated) / 1e9;
    return QString::number(gigabytes, 'f', gigabytes >= 10 ? 0 : 1) + QLatin1Char('G');
}

QString QuorVirtualMemorySummary::compactBadgeText() const
{
    using QuorByteFormatter::format;
    QStringList parts;
    if (activeDiskPoolCount >= 1) {
        parts.append(QStringLiteral("Pool ") + format(diskPoolVirtualBytes));
    }
    if (mountedSparseDiskCount > 0) {
        parts.append(QStringLiteral("vDisk ") + format(sparseDiskVirtualBytes));
    }
    if (mountedRAMDiskCount > 0) {
        parts.append(QStringLiteral("RAMDisk ") + format(ramDiskTotalBytes));
    }
    if (swapUsedBytes >= 1) {
        parts.append(QStringLiteral("Swap ") + format(swapUsedBytes));
    } else if (swapTotalBytes >= 1 && parts.isEmpty()) {
        parts.append(QStringLiteral("Swap 0 B / ") + format(swapTotalBytes));
    }
    return parts.join(QStringLiteral(" + "));
}
