#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QSet>

#include <X11/Xlib.h>

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

WindowApplication describe(X11Connection& connection, Window window)
{
    WindowApplication application;
    application.window = window;
    application.processIdentifier = connection.cardinalProperty(window, "_NET_WM_PID").value_or(0);
    const QStringList names = connection.windowClass(window);
    application.instanceName = names.value(0);
    application.className = names.value(1);
    application.desktopFileId = announcedDesktopFileId(connection, window);
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
    if (const auto active = connection->windowProperty(connection->root(), "_NET_ACTIVE_WINDOW")) {
        return describe(*connection, *active);
    }
    return focusedApplication();
}

std::optional<WindowApplication> focusedApplication()
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return std::nullopt;
    }
    Window focus = None;
    int revert = 0;
    XGetInputFocus(connection->display(), &focus, &revert);
    if (focus == None || focus == PointerRoot) {
        return std::nullopt;
    }
    const auto topLevel = topLevelWithClass(*connection, focus);
    if (!topLevel) {
        return std::nullopt;
    }
    return describe(*connection, *topLevel);
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

int minimizeOtherApplications(qint64 ownProcess)
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return 0;
    }
    Display* display = connection->display();
    const auto clients = connection->property32(connection->root(), connection->atom("_NET_CLIENT_LIST"));
    int asked = 0;
    for (const unsigned long window : clients.value_or(QList<unsigned long>{})) {
        if (connection->cardinalProperty(window, "_NET_WM_PID").value_or(0) != ownProcess) {
            asked += XIconifyWindow(display, window, DefaultScreen(display)) != 0 ? 1 : 0;
        }
    }
    XFlush(display);
    return asked;
}

} // namespace X11Workspace
} // namespace quor::platform
