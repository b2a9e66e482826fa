#pragma once

#include "QuorKit/Suite/VaskelOffloadLiveProgress.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <optional>

// The memory application's live status: memory, swap, its disk pools, sparse disks and RAM disks,
// frozen applications and the current offload run.
struct VaskelLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    qint64 physicalTotalBytes = 0;
    qint64 physicalUsedBytes = 0;
    qint64 compressedBytes = 0;
    double usedPercent = 0;
    qint64 swapTotalBytes = 0;
    qint64 swapUsedBytes = 0;
    qint64 swapFileCount = 0;
    bool swapEncrypted = false;
    QString pressureLevel;
    qint64 healthScore = 0;
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
    std::optional<VaskelOffloadLiveProgress> offloadProgress;

    bool operator==(const VaskelLiveStatus& other) const = default;

    // The offload progress as its publisher builds it (see VaskelOffloadLiveProgress::normalized());
    // every other value is kept.
    VaskelLiveStatus normalized() const;

    bool hasVirtualDiskExpansion() const;
    // Pools and sparse disks, without RAM disks; sums saturate instead of overflowing.
    qint64 totalVirtualPoolCapacityBytes() const;
    qint64 totalVirtualDiskActualBytes() const;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    QJsonObject toJson() const;
    // Throws QuorDecodingError when a key is missing or of the wrong type, a count is not a whole
    // number, or a process id does not fit 32 bits.
    static VaskelLiveStatus fromJson(const QJsonObject& object);
};
