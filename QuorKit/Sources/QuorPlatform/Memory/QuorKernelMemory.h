#pragma once

#include <QString>

namespace quor::platform {

// The kernel's view of memory, in bytes.
struct KernelMemoryFigures {
    qint64 physicalTotalBytes = 0;
    // MemTotal − MemAvailable: what the kernel could not hand out without swapping.
    qint64 physicalUsedBytes = 0;
    // Compressed data held in RAM: the zram devices' compressed size plus the zswap pool.
    qint64 compressedBytes = 0;
    qint64 swapTotalBytes = 0;
    qint64 swapUsedBytes = 0;
    // Every active swap device sits on dm-crypt. False when there is no swap or it cannot be told.
    bool swapEncrypted = false;
    // "normal", "warning" or "critical".
    QString pressureLevel = QStringLiteral("normal");

    bool operator==(const KernelMemoryFigures& other) const = default;
};

// Reads /proc and /sys below `root` ("/" for this computer, a fixture tree in tests).
namespace KernelMemory {

// Memory pressure from the kernel's stall information (/proc/pressure/memory), by the share of the
// last 10 seconds in which tasks waited for memory: some tasks 10 % or more is a warning, all tasks
// 10 % or more is critical. Without stall information: less than 15 % of memory available is a
// warning, less than 5 % critical.
inline constexpr double warningSomeStallPercent = 10;
inline constexpr double criticalFullStallPercent = 10;
inline constexpr double warningAvailableShare = 0.15;
inline constexpr double criticalAvailableShare = 0.05;

KernelMemoryFigures read(const QString& root = QStringLiteral("/"));

} // namespace KernelMemory

} // namespace quor::platform
