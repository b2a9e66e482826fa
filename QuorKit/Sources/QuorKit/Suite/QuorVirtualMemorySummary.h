#pragma once

#include "QuorKit/Suite/VaskelLiveStatus.h"
#include "QuorPlatform/Memory/QuorKernelMemory.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct QuorSparseDiskScan;

// One snapshot of the machine's memory as the suite shows it: the kernel's figures merged with
// what the memory tool publishes about its pools, sparse disks, RAM disks and frozen applications.
// Byte sums saturate at the 64-bit range, since the tool's figures come from another process.
struct QuorVirtualMemorySummary {
    qint64 physicalTotalBytes = 0;
    qint64 physicalUsedBytes = 0;
    qint64 compressedBytes = 0;
    qint64 swapTotalBytes = 0;
    qint64 swapUsedBytes = 0;
    qint64 swapFileCount = 0; // known only from the memory tool
    bool swapEncrypted = false;
    QString pressureLevel = QStringLiteral("normal");
    bool isVaskelRunning = false;
    qint64 activeDiskPoolCount = 0;
    qint64 diskPoolVirtualBytes = 0;
    qint64 diskPoolActualDiskBytes = 0;
    QStringList diskPoolNames;
    qint64 mountedSparseDiskCount = 0;
    qint64 sparseDiskVirtualBytes = 0;
    qint64 sparseDiskActualBytes = 0;
    QStringList sparseDiskNames;
    qint64 mountedRAMDiskCount = 0;
    qint64 ramDiskTotalBytes = 0;
    QStringList ramDiskNames;
    qint64 frozenAppCount = 0;
    QList<qint32> frozenPIDs;
    qint64 reclaimedFromFrozenBytes = 0;

    bool operator==(const QuorVirtualMemorySummary& other) const = default;

    // The kernel's figures with a usable status of the memory tool, or, without one, the kernel's
    // figures and the sparse disks still mounted.
    static QuorVirtualMemorySummary merge(const quor::platform::KernelMemoryFigures& kernel,
                                          const std::optional<VaskelLiveStatus>& vaskel,
                                          const QuorSparseDiskScan& sparseDisks);

    bool isVaskelVirtualExpansionActive() const;
    bool isAnyVirtualMemoryActive() const;
    bool isSwapActive() const;
    double physicalUsedPercent() const; // 0...100
    double swapUsedPercent() const;     // 0...100
    qint64 totalVaskelVirtualCapacityBytes() const;
    qint64 totalVirtualAllocatedBytes() const;
    // A RAM disk counts as fully used.
    qint64 totalVirtualUsedBytes() const;
    double virtualUsedPercent() const; // 0...100
    qint64 totalEffectiveMemoryCapacityBytes() const;
    qint64 totalEffectiveUsedBytes() const;
    // "1.5 GB / 4.0 GB", or "0 B" when nothing is allocated.
    QString virtualSpaceUsageText() const;
    // A gauge label in decimal gigabytes or megabytes: "4.5G", "150G", "800M", "0G".
    QString compactVirtualUsedToken() const;
    // "Pool 5.0 GB + vDisk … + RAMDisk … + Swap …"; "Swap 0 B / 2.0 GB" when swap is all there is.
    QString compactBadgeText() const;
};
