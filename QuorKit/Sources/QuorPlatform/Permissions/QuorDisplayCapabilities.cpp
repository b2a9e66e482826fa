#include "QuorPlatform/Permissions/QuorDisplayCapabilities.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

namespace quor::platform::DisplayCapabilities {
namespace {
bool hasInputExtensions(Display* display)
{
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)
        || !XFixesQueryExtension(display, &eventBase, &errorBase)) {
        return false;
    }
    int opcode = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &eventBase, &errorBase)) {
        return false;
    }
    major = 2;
    minor = 0;
    return XIQueryVersion(display, &major, &minor) == Success && major >= 2;
}
} // namespace

bool hasDisplay()
{
    return X11Connection::forCurrentThread() != nullptr;
}

bool canObserveAndDriveInput()
{
    X11Connection* connection = X11Connection::forCurrentThread();
    if (connection == nullptr) {
        return false;
    }
    // A server's extensions stay what they are for the life of a connection.
    thread_local X11Connection* askedOn = nullptr;
    thread_local bool answer = false;
    if (askedOn != connection) {
        answer = hasInputExtensions(connection->display());
        askedOn = connection;
    }
    return answer;
}

} // namespace quor::platform::DisplayCapabilities
