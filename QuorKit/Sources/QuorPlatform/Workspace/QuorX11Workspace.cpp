#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QSet>

#include <tuple>
#include <utility>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace quor::platform {

QString WindowApplication::bundleIdentifier() const
{
    if (desktopFileId && !desktopFileId->isEmpty()) {
        return *desktopFileId;
    }
    return className.toLower();
}

QStringList WindowApplication::windowClass() const
{
    QStringList names;
    if (!instanceName.isEmpty()) {
        names.append(instanceName);
    }
    if (!className.isEmpty()) {
        names.append(className);
    }
    return names;
}

namespace X11Workspace {
namespace {

std::optional<QString> announcedDesktopFileId(X11Connection& connection, Window window)
{
    for (const char* property : {"_GTK_APPLICATION_ID", "_KDE_NET_WM_DESKTOP_FILE"}) {
        std::optional<QString> value = connection.stringProperty(window, property);
        if (value && !value->isEmpty()) {
            if (value->endsWith(QStringLiteral(".desktop"))) {
                value->chop(8);
            }
            return value;
        }
    }
    return std::nullopt;
}

// The process of the window's client: the server knows it for a local client, a sandbox's or not;
// only where it cannot tell does the window's own word count.
std::pair<qint64, bool> processOf(X11Connection& connection, Window window)
{
    if (const std::optional<qint64> named = connection.clientProcess(window)) {
        return {*named, true};
    }
    return {connection.cardinalProperty(window, "_NET_WM_PID").value_or(0), false};
}

WindowApplication describe(X11Connection& connection, Window window)
{
    WindowApplication application;
    application.window = window;
    std::tie(application.processIdentifier, application.processNamedByServer) = processOf(connection, window);
    const QStringList names = connection.windowClass(window);
    application.instanceName = names.value(0);
    application.className = names.value(1);
    application.desktopFileId = announcedDesktopFileId(connection, window);
    application.clientMachine = connection.stringProperty(window, "WM_CLIENT_MACHINE");
    return application;
}

// The nearest window at or above `window` that carries WM_CLASS: the focus may sit on a child.
std::optional<Window> topLevelWithClass(X11Connection& connection, Window window)
{
    Display* display = connection.display();
    for (int depth = 0; depth < 64 && window != None && window != connection.root(); ++depth) {
        if (!connection.windowClass(window).isEmpty()) {
            return window;
        }
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
            return std::nullopt;
        }
        if (children != nullptr) {
            XFree(children);
        }
        window = parent;
    }
    return std::nullopt;
}

// The innermost window that contains the pointer, as the server delivers keys to it when the focus
// follows the pointer; None when the pointer is over the bare root or on another screen.
Window deepestWindowUnderPointer(X11Connection& connection)
{
    Display* display = connection.display();
    Window window = connection.root();
    Window found = None;
    for (int depth = 0; depth < 64; ++depth) {
        Window root = None;
        Window child = None;
        int rootX = 0;
        int rootY = 0;
        int x = 0;
        int y = 0;
        unsigned int mask = 0;
        if (XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask) == 0 || child == None) {
            break;
        }
        found = child;
        window = child;
    }
    return found;
}

// The managed windows in stacking order, bottom first, when the window manager says it.
QList<unsigned long> managedWindowsBottomFirst(X11Connection& connection)
{
    if (auto stacking = connection.property32(connection.root(), connection.atom("_NET_CLIENT_LIST_STACKING"))) {
        return *stacking;
    }
    return connection.property32(connection.root(), connection.atom("_NET_CLIENT_LIST")).value_or(QList<unsigned long>{});
}

bool isMinimized(X11Connection& connection, Window window)
{
    constexpr unsigned long iconicState = 3;
    const auto wmState = connection.property32(window, connection.atom("WM_STATE"));
    if (wmState && !wmState->isEmpty() && wmState->first() == iconicState) {
        return true;
    }
    const auto states = connection.property32(window, connection.atom("_NET_WM_STATE"));
    return states && states->contains(connection.atom("_NET_WM_STATE_HIDDEN"));
}

// Whether a taskbar shows the window, so that the user can bring it back after minimizing it.
bool isListedInTaskbar(X11Connection& connection, Window window)
{
    const auto states = connection.property32(window, connection.atom("_NET_WM_STATE"));
    if (states && states->contains(connection.atom("_NET_WM_STATE_SKIP_TASKBAR"))) {
        return false;
    }
    // The first type is the one the window prefers; without one, a window transient for another
    // is a dialog (EWMH), else a normal window.
    const auto types = connection.property32(window, connection.atom("_NET_WM_WINDOW_TYPE"));
    if (types && !types->isEmpty()) {
        return types->first() == connection.atom("_NET_WM_WINDOW_TYPE_NORMAL");
    }
    Window owner = None;
    return XGetTransientForHint(connection.display(), window, &owner) == 0 || owner == None;
}

// Whether a window manager runs: the root names its check window, and that window, alive, names
// itself (EWMH). A window manager that has gone leaves its properties on the root behind, its
// active window among them, naming a window that may since have closed.
bool windowManagerRuns(X11Connection& connection)
{
    const auto check = connection.windowProperty(connection.root(), "_NET_SUPPORTING_WM_CHECK");
    return check && connection.windowProperty(*check, "_NET_SUPPORTING_WM_CHECK") == check;
}

bool supportsActiveWindowMessages(X11Connection& connection)
{
    const auto supported = connection.property32(connection.root(), connection.atom("_NET_SUPPORTED"));
    return supported && supported->contains(connection.atom("_NET_ACTIVE_WINDOW"));
}

} // namespace

std::optional<WindowApplication> frontmostApplication()
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return std::nullopt;
    }
    if (const auto active = activeWindow()) {
        return describe(*connection, *active);
    }
    return focusedApplication();
}

std::optional<WindowApplication> focusedApplication()
{
    X11Connection* connection = X11Connection::forCurrentThread();
    const unsigned long topLevel = inputFocus().topLevel;
    if (connection == nullptr || topLevel == None) {
        return std::nullopt;
    }
    return describe(*connection, topLevel);
}

FocusedWindows inputFocus()
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return {};
    }
    Window focus = None;
    int revert = 0;
    XGetInputFocus(connection->display(), &focus, &revert);
    if (focus == None) {
        // Keys go nowhere.
        return {};
    }
    if (focus == PointerRoot || focus == connection->root()) {
        // Without a window manager to give it to a window, the focus follows the pointer: keys go
        // to the window under it.
        focus = deepestWindowUnderPointer(*connection);
        if (focus == None) {
            return {};
        }
    }
    return {focus, topLevelWithClass(*connection, focus).value_or(None)};
}

std::optional<unsigned long> activeWindow()
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return std::nullopt;
    }
    const auto active = connection->windowProperty(connection->root(), "_NET_ACTIVE_WINDOW");
    if (!active || !windowManagerRuns(*connection)) {
        return std::nullopt;
    }
    return active;
}

WindowApplication application(unsigned long window)
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        WindowApplication unknown;
        unknown.window = window;
        return unknown;
    }
    return describe(*connection, window);
}

QList<WindowApplication> runningApplications()
{
    QList<WindowApplication> applications;
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return applications;
    }
    const auto clients = connection->property32(connection->root(), connection->atom("_NET_CLIENT_LIST"));
    QSet<QString> seen;
    for (const unsigned long window : clients.value_or(QList<unsigned long>{})) {
        const WindowApplication application = describe(*connection, window);
        const QString key = QString::number(application.processIdentifier) + QLatin1Char('/') + application.className;
        if (!seen.contains(key)) {
            seen.insert(key);
            applications.append(application);
        }
    }
    return applications;
}

bool activate(const WindowApplication& application)
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr || application.window == None) {
        return false;
    }
    Display* display = connection->display();
    if (supportsActiveWindowMessages(*connection)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = application.window;
        event.xclient.message_type = connection->atom("_NET_ACTIVE_WINDOW");
        event.xclient.format = 32;
        // Source 2 (a pager): the user asked for it, so focus-stealing prevention lets it through.
        event.xclient.data.l[0] = 2;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, connection->root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XRaiseWindow(display, application.window);
        XSetInputFocus(display, application.window, RevertToParent, CurrentTime);
    }
    XFlush(display);
    return true;
}

QList<unsigned long> minimizeOtherApplications(qint64 ownProcess)
{
    QList<unsigned long> minimized;
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return minimized;
    }
    Display* display = connection->display();
    for (const unsigned long window : managedWindowsBottomFirst(*connection)) {
        if (processOf(*connection, window).first != ownProcess
            && isListedInTaskbar(*connection, window) && !isMinimized(*connection, window)
            && XIconifyWindow(display, window, DefaultScreen(display)) != 0) {
            minimized.append(window);
        }
    }
    XFlush(display);
    return minimized;
}

int restoreWindows(const QList<unsigned long>& windows)
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return 0;
    }
    const QList<unsigned long> managed = managedWindowsBottomFirst(*connection);
    int asked = 0;
    for (const unsigned long window : windows) {
        // Iconic to normal is the client mapping its window again (ICCCM 4.1.4); the window
        // manager keeps the window's maximized and other states meanwhile.
        if (managed.contains(window) && isMinimized(*connection, window)) {
            XMapWindow(connection->display(), window);
            ++asked;
        }
    }
    XFlush(connection->display());
    return asked;
}

bool isMinimized(unsigned long window)
{
    X11Connection* connection = X11Connection::forCurrentThread();
    return connection != nullptr && isMinimized(*connection, window);
}

} // namespace X11Workspace
} // namespace quor::platform
