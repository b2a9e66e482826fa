#include "QuorPlatform/X11/QuorX11ErrorTrap.h"

#include <QtGlobal>

#include <map>
#include <mutex>

#include <X11/Xlib.h>

namespace quor::platform {
namespace {

struct ConnectionState {
    int trapDepth = 0;
    int firstError = 0;
};

struct Registry {
    std::mutex mutex;
    std::map<Display*, ConnectionState> connections;
    XErrorHandler previous = nullptr;
    bool installed = false;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

int handleError(Display* display, XErrorEvent* event)
{
    Registry& state = registry();
    XErrorHandler previous = nullptr;
    {
        const std::lock_guard lock(state.mutex);
        const auto found = state.connections.find(display);
        if (found != state.connections.end()) {
            if (found->second.trapDepth > 0 && found->second.firstError == 0) {
                found->second.firstError = event->error_code;
            }
            return 0;
        }
        previous = state.previous;
    }
    return previous != nullptr ? previous(display, event) : 0;
}

void installOnce()
{
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    if (!state.installed) {
        state.installed = true;
        state.previous = XSetErrorHandler(&handleError);
    }
}

} // namespace

void X11ErrorTrap::adopt(_XDisplay* display)
{
    installOnce();
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    state.connections[display] = ConnectionState{};
}

void X11ErrorTrap::release(_XDisplay* display)
{
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    state.connections.erase(display);
}

X11ErrorTrap::X11ErrorTrap(_XDisplay* display)
    : m_display(display)
{
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    ConnectionState& connection = state.connections[display];
    if (connection.trapDepth++ == 0) {
        connection.firstError = 0;
    }
}

X11ErrorTrap::~X11ErrorTrap()
{
    XSync(m_display, False);
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    const auto found = state.connections.find(m_display);
    if (found != state.connections.end() && found->second.trapDepth > 0) {
        --found->second.trapDepth;
    }
}

int X11ErrorTrap::sync()
{
    XSync(m_display, False);
    return firstErrorCode();
}

int X11ErrorTrap::firstErrorCode() const
{
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    const auto found = state.connections.find(m_display);
    return found != state.connections.end() ? found->second.firstError : 0;
}

} // namespace quor::platform
