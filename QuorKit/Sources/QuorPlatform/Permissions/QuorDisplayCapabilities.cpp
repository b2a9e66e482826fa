#include "QuorPlatform/Permissions/QuorDisplayCapabilities.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

namespace quor::platform::DisplayCapabilities {

bool hasDisplay()
{
    return X11Connection::open() != nullptr;
}

bool canObserveAndDriveInput()
{
    const auto connection = X11Connection::open();
    if (!connection) {
        return false;
    }
    Display* display = connection->display();
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

} // namespace quor::platform::DisplayCapabilities
