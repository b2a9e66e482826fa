#include "QuorPlatform/KeySynth/QuorKeyTarget.h"

#include "QuorPlatform/Workspace/QuorDesktopEntry.h"
#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include <QFile>
#include <QList>
#include <QStandardPaths>
#include <QSysInfo>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace quor::platform::KeyTarget {
namespace {
constexpr qint64 maxEntryBytes = 256 * 1024;

QString shortHostName(const QString& name)
{
    return name.section(QLatin1Char('.'), 0, 0).toLower();
}

// A window's process id names a process of this machine when the X server named it, or else when
// the window says it runs here.
bool runsOnThisMachine(const WindowApplication& application)
{
    return application.processNamedByServer || !application.clientMachine || application.clientMachine->isEmpty()
           || shortHostName(*application.clientMachine) == shortHostName(QSysInfo::machineHostName());
}

QStringList candidateDesktopFileIds(const WindowApplication& application)
{
    QStringList ids;
    if (application.desktopFileId && !application.desktopFileId->isEmpty()) {
        ids.append(*application.desktopFileId);
    }
    for (const QString& name : application.windowClass()) {
        for (const QString& id : {name, name.toLower()}) {
            if (!ids.contains(id)) {
                ids.append(id);
            }
        }
    }
    return ids;
}

// A signal that several windows give: yes when any says yes, no when the others all say no.
void merge(std::optional<bool>& into, std::optional<bool> value)
{
    if (value == true || (value == false && !into)) {
        into = value;
    }
}
} // namespace

std::optional<bool> holdsPseudoTerminalMaster(qint64 pid, const QString& procRoot)
{
    if (pid <= 0) {
        return std::nullopt;
    }
    const QByteArray folder = QFile::encodeName(procRoot + QStringLiteral("/%1/fd").arg(pid));
    DIR* descriptors = ::opendir(folder.constData());
    if (descriptors == nullptr) {
        return std::nullopt;
    }
    bool found = false;
    char target[64];
    while (const dirent* entry = ::readdir(descriptors)) {
        const ssize_t length = ::readlinkat(::dirfd(descriptors), entry->d_name, target, sizeof target - 1);
        if (length <= 0) {
            continue;
        }
        const QByteArrayView link(target, length);
        if (link == "/dev/ptmx" || link == "/dev/pts/ptmx") {
            found = true;
            break;
        }
    }
    ::closedir(descriptors);
    return found;
}

std::optional<bool> desktopEntryListsTerminal(const QStringList& desktopFileIds, const QStringList& folders)
{
    for (const QString& id : desktopFileIds) {
        const std::optional<QString> path = DesktopEntry::find(id, folders);
        if (!path) {
            continue;
        }
        QFile file(*path);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        return DesktopEntry::categories(file.read(maxEntryBytes)).contains(QStringLiteral("TerminalEmulator"));
    }
    return std::nullopt;
}

Windows currentWindows()
{
    const X11Workspace::FocusedWindows focus = X11Workspace::inputFocus();
    return {focus.window, focus.topLevel, X11Workspace::activeWindow().value_or(focus.topLevel)};
}

Target focusedTarget()
{
    Target target;
    target.windows = currentWindows();
    QList<WindowApplication> windows;
    for (const unsigned long window : {target.windows.focusedTopLevel, target.windows.active}) {
        if (window != 0 && (windows.isEmpty() || windows.first().window != window)) {
            windows.append(X11Workspace::application(window));
        }
    }
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const WindowApplication& window : std::as_const(windows)) {
        target.traits.windowClass += window.windowClass();
        if (runsOnThisMachine(window)) {
            merge(target.traits.holdsPseudoTerminal, holdsPseudoTerminalMaster(window.processIdentifier));
        }
        merge(target.traits.desktopEntryIsTerminal,
              desktopEntryListsTerminal(candidateDesktopFileIds(window), folders));
    }
    return target;
}

} // namespace quor::platform::KeyTarget
