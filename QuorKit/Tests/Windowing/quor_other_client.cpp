// Another application on the display, for the tests of Hide Others, Show All and Escape: four
// windows of one process, "Other normal" (maximized), "Other utility" (a utility window), "Other
// skip" (kept off the taskbar) and "Other minimized" (minimized by its user from the start). It
// writes "ready" and the four window ids once the window manager manages them all, and quits when
// its standard input closes.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

Atom atom(Display* display, const char* name)
{
    return XInternAtom(display, name, False);
}

void setAtoms(Display* display, Window window, const char* property, std::initializer_list<const char*> values)
{
    std::array<Atom, 4> atoms{};
    int count = 0;
    for (const char* value : values) {
        atoms.at(static_cast<size_t>(count++)) = atom(display, value);
    }
    XChangeProperty(display, window, atom(display, property), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()), count);
}

Window makeWindow(Display* display, const char* title, int x, bool iconic)
{
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), x, 120, 240, 160, 0,
                                              BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, title);
    XClassHint classHint{const_cast<char*>("quor_other_client"), const_cast<char*>("QuorOtherClient")};
    XSetClassHint(display, window, &classHint);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = iconic ? IconicState : NormalState;
    XSetWMHints(display, window, &hints);
    const long pid = ::getpid();
    XChangeProperty(display, window, atom(display, "_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XSelectInput(display, window, StructureNotifyMask | PropertyChangeMask);
    return window;
}

bool isManaged(Display* display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const bool has = XGetWindowProperty(display, window, atom(display, "WM_STATE"), 0, 2, False, AnyPropertyType, &type,
                                        &format, &count, &remaining, &data) == Success
        && type != None && count > 0;
    if (data != nullptr) {
        XFree(data);
    }
    return has;
}

} // namespace

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 1;
    }
    const std::array<Window, 4> windows{
        makeWindow(display, "Other normal", 40, false),
        makeWindow(display, "Other utility", 320, false),
        makeWindow(display, "Other skip", 600, false),
        makeWindow(display, "Other minimized", 880, true),
    };
    setAtoms(display, windows[0], "_NET_WM_STATE", {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"});
    setAtoms(display, windows[1], "_NET_WM_WINDOW_TYPE", {"_NET_WM_WINDOW_TYPE_UTILITY"});
    setAtoms(display, windows[2], "_NET_WM_STATE", {"_NET_WM_STATE_SKIP_TASKBAR"});
    for (const Window window : windows) {
        XMapWindow(display, window);
    }
    XFlush(display);

    bool announced = false;
    pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    while (true) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
        if (!announced) {
            bool all = true;
            for (const Window window : windows) {
                all = all && isManaged(display, window);
            }
            if (all) {
                std::printf("ready %lu %lu %lu %lu\n", windows[0], windows[1], windows[2], windows[3]);
                std::fflush(stdout);
                announced = true;
            }
        }
        if (::poll(watched, 2, 100) > 0 && (watched[1].revents & (POLLIN | POLLHUP)) != 0) {
            char buffer[64];
            if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
                break;
            }
        }
    }
    XCloseDisplay(display);
    return 0;
}
