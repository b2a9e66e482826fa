#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace quor::platform {

// What /proc tells about one process of this machine: the program file it runs and the processes
// it descends from. Read on the calling thread (/proc lives in memory).
struct ProcessFacts {
    // The program file as (device, inode), so that two paths to one file agree; nothing where it
    // cannot be read (a process of another user, one that is gone).
    using FileIdentity = std::pair<quint64, quint64>;

    qint64 pid = 0;
    std::optional<FileIdentity> executable;
    // The program file's name, without its folder.
    QString executableName;
    // Its parent first, then the parent's parent, up to the first process.
    QList<qint64> ancestors;

    bool operator==(const ProcessFacts& other) const = default;

    // The facts of `pid`; only the number where nothing can be read. `procRoot` is for tests.
    static ProcessFacts read(qint64 pid, const QString& procRoot = QStringLiteral("/proc"));
    // The parent of `pid`, from its stat line; nothing where it cannot be read.
    static std::optional<qint64> parentOf(qint64 pid, const QString& procRoot = QStringLiteral("/proc"));
};

} // namespace quor::platform
