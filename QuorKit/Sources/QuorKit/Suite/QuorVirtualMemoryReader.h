#pragma once

#include "QuorKit/Suite/QuorVirtualMemorySummary.h"

#include <QString>
#include <QStringList>

#include <optional>

// The memory tool's sparse disk images that are attached to a loop device and mounted.
struct QuorSparseDiskScan {
    qint64 mountedCount = 0;
    qint64 virtualBytes = 0; // their file systems' capacity
    qint64 actualBytes = 0;  // the space used on them
    QStringList names;

    bool operator==(const QuorSparseDiskScan& other) const = default;
};

// Builds memory summaries from the kernel and the memory tool's folders. The paths are fields so
// that tests can point them at fixture trees.
struct QuorVirtualMemoryReader {
    // Holds proc/ and sys/.
    QString systemRoot = QStringLiteral("/");
    // The memory tool's pool folder (in the user's cache folder) and its configuration file, whose
    // "customPoolDirectory" names a second pool folder.
    QString poolDirectory;
    QString configFile;

    static QuorVirtualMemoryReader system();

    // Images named "<name>.sparsebundle" in the pool folders, each name counted once.
    QuorSparseDiskScan scanSparseDisks() const;
    // The kernel's figures merged with a fresh status of the memory tool; without one, the sparse
    // disks are scanned instead.
    QuorVirtualMemorySummary read(const std::optional<VaskelLiveStatus>& freshStatus) const;
};
