#pragma once

#include <QList>
#include <QString>

namespace quor::platform {

struct RunningProcess {
    qint64 processIdentifier = 0;
    // The file name of the program the process runs (the target of its "exe" link). Unlike the
    // process's command name, it is not cut at 15 bytes.
    QString executableName;

    bool operator==(const RunningProcess& other) const = default;
};

// The processes of the current user, read from a proc file system.
namespace ProcessTable {

// Every process folder of `procRoot` that belongs to this user and names its executable. A process
// whose executable cannot be read (a kernel thread, another user's process) is left out.
QList<RunningProcess> ownProcesses(const QString& procRoot = QStringLiteral("/proc"));

} // namespace ProcessTable

} // namespace quor::platform
