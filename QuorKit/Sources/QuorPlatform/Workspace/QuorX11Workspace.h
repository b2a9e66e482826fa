#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quor::platform {

// An application as seen through one of its top-level windows.
struct WindowApplication {
    unsigned long window = 0;
    // The process of the window's client as the X server names it, else the window's own
    // _NET_WM_PID; 0 when neither says.
    qint64 processIdentifier = 0;
    // Whether the X server named the process: then it runs on this machine and is numbered as we
    // number processes. A window's _NET_WM_PID is its own claim, of its host and its sandbox.
    bool processNamedByServer = false;
    // WM_CLASS.
    QString instanceName;
    QString className;
    // The desktop file id the window announces (_GTK_APPLICATION_ID, _KDE_NET_WM_DESKTOP_FILE).
    std::optional<QString> desktopFileId;
    // WM_CLIENT_MACHINE: the host the client runs on, which processIdentifier belongs to.
    std::optional<QString> clientMachine;

    // What stands in for a bundle identifier: the desktop file id when known, else the WM_CLASS
    // class in lower case; empty when the window has neither.
    QString bundleIdentifier() const;
    // A name to show: the WM_CLASS class.
    QString localizedName() const { return className; }
    QStringList windowClass() const;

    bool operator==(const WindowApplication& other) const = default;
};

// Frontmost and running applications and window activation through EWMH, on the calling thread's
// own X connection.
namespace X11Workspace {

// The window manager's active window (activeWindow()), else the top-level window that holds the
// input focus; nothing when neither names a window.
std::optional<WindowApplication> frontmostApplication();
// The top-level window that holds the input focus, which receives synthesized keys.
std::optional<WindowApplication> focusedApplication();

// The window that holds the input focus (a child window, maybe of another client) and the
// nearest window at or above it that carries WM_CLASS; each 0 when there is none. Where the focus
// follows the pointer (PointerRoot, or the root window, as without a window manager) it is the
// window under the pointer, which is where keys go then.
struct FocusedWindows {
    unsigned long window = 0;
    unsigned long topLevel = 0;
};
FocusedWindows inputFocus();
// _NET_ACTIVE_WINDOW while a window manager runs (_NET_SUPPORTING_WM_CHECK); nothing when it
// names none or none runs, for then the property is what one left behind.
std::optional<unsigned long> activeWindow();
// The application of any window, described as the functions above describe theirs.
WindowApplication application(unsigned long window);

// One entry per application (process and class) among the managed windows (_NET_CLIENT_LIST).
QList<WindowApplication> runningApplications();
// Asks the window manager to activate the application's window; without an EWMH window manager
// raises it and gives it the focus. False without a display or a window.
bool activate(const WindowApplication& application);
// Asks the window manager to minimize the windows of other processes (those whose process, as
// processIdentifier says it, differs from `ownProcess`) that a taskbar lists, so each can come
// back from there: normal windows, not transient for another, not kept off the taskbar, and not
// minimized already. Utility, dialog and skip-taskbar windows are left alone. Returns the windows
// it minimized, bottom of the stack first.
QList<unsigned long> minimizeOtherApplications(qint64 ownProcess);
// Brings back those of `windows` that are still managed and still minimized, in order; the window
// manager restores each in the state it had (a maximized window comes back maximized). Returns how
// many it asked for.
int restoreWindows(const QList<unsigned long>& windows);
// Whether the window manager holds the window minimized (ICCCM's iconic state, or EWMH's hidden).
bool isMinimized(unsigned long window);

} // namespace X11Workspace

} // namespace quor::platform
