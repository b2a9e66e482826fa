#include "QuorKit/Suite/QuorSuiteWorkspace.h"

#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorPlatform/Workspace/QuorDesktopEntry.h"

#include <QMutex>
#include <QProcess>

namespace {
QMutex& overrideLock()
{
    static QMutex lock;
    return lock;
}

std::optional<QuorSuiteWorkspace>& overrideSlot()
{
    static std::optional<QuorSuiteWorkspace> slot;
    return slot;
}
} // namespace

QuorSuiteWorkspace QuorSuiteWorkspace::system()
{
    using namespace quor::platform;
    return QuorSuiteWorkspace{
        DesktopEntry::applicationFolders(QuorPaths::applicationSupportDirectory()),
        [] { return X11Workspace::runningApplications(); },
        [] { return ProcessTable::ownProcesses(); },
        [](const WindowApplication& application) { return X11Workspace::activate(application); },
        [](const QString& program, const QStringList& arguments) {
            return QProcess::startDetached(program, arguments);
        },
    };
}

QuorSuiteWorkspace QuorSuiteWorkspace::current()
{
    {
        const QMutexLocker locker(&overrideLock());
        if (overrideSlot()) {
            return *overrideSlot();
        }
    }
    return system();
}

void QuorSuiteWorkspace::setOverride(std::optional<QuorSuiteWorkspace> workspace)
{
    const QMutexLocker locker(&overrideLock());
    overrideSlot() = std::move(workspace);
}
