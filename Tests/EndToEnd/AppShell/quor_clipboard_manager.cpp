// A clipboard manager for the end-to-end tests. It owns CLIPBOARD_MANAGER; when a client that is
// about to exit asks it to SAVE_TARGETS, it copies every target of CLIPBOARD from that client, then
// owns CLIPBOARD itself and serves the copies. Prints "ready" once it manages, "saved <count>"
// after each hand-over; ends when its standard input closes.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

struct Content {
    Atom target = None;
    Atom type = None;
    int format = 8;
    std::vector<unsigned char> bytes;
    int count = 0;
};

Display* display = nullptr;
Window window = None;
std::vector<Content> saved;
std::deque<XEvent> postponed;

Atom atom(const char* name)
{
    return XInternAtom(display, name, False);
}

// Waits up to two seconds for the answer to our conversion; other events wait their turn.
bool waitForNotify(Atom target, XEvent& answer)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == SelectionNotify && event.xselection.requestor == window
                && event.xselection.target == target) {
                answer = event;
                return true;
            }
            postponed.push_back(event);
        }
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        poll(&descriptor, 1, 50);
    }
    return false;
}

bool convert(Atom target, Content& content)
{
    const Atom property = atom("QUOR_MANAGER_TRANSFER");
    XConvertSelection(display, atom("CLIPBOARD"), target, property, window, CurrentTime);
    XFlush(display);
    XEvent answer;
    if (!waitForNotify(target, answer) || answer.xselection.property == None) {
        return false;
    }
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, property, 0, 1 << 24, True, AnyPropertyType, &content.type, &content.format,
                       &count, &remaining, &data);
    if (content.type == None || content.type == atom("INCR")) {
        if (data != nullptr) {
            XFree(data);
        }
        return false;
    }
    const std::size_t unit = content.format == 32 ? sizeof(long) : static_cast<std::size_t>(content.format / 8);
    content.target = target;
    content.count = static_cast<int>(count);
    content.bytes.assign(data, data + count * unit);
    XFree(data);
    return true;
}

int save()
{
    saved.clear();
    Content targets;
    if (!convert(atom("TARGETS"), targets) || targets.format != 32) {
        return 0;
    }
    const auto* list = reinterpret_cast<const long*>(targets.bytes.data());
    for (int index = 0; index < targets.count; ++index) {
        const Atom target = static_cast<Atom>(list[index]);
        if (target == atom("TARGETS") || target == atom("MULTIPLE") || target == atom("TIMESTAMP")
            || target == atom("SAVE_TARGETS")) {
            continue;
        }
        Content content;
        if (convert(target, content)) {
            saved.push_back(content);
        }
    }
    XSetSelectionOwner(display, atom("CLIPBOARD"), window, CurrentTime);
    return static_cast<int>(saved.size());
}

void reply(const XSelectionRequestEvent& request, Atom property)
{
    XEvent notify{};
    notify.xselection.type = SelectionNotify;
    notify.xselection.requestor = request.requestor;
    notify.xselection.selection = request.selection;
    notify.xselection.target = request.target;
    notify.xselection.property = property;
    notify.xselection.time = request.time;
    XSendEvent(display, request.requestor, False, NoEventMask, &notify);
    XFlush(display);
}

void serve(const XSelectionRequestEvent& request)
{
    const Atom property = request.property != None ? request.property : request.target;
    if (request.target == atom("TARGETS")) {
        std::vector<long> targets{static_cast<long>(atom("TARGETS"))};
        for (const Content& content : saved) {
            targets.push_back(static_cast<long>(content.target));
        }
        XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(targets.data()), static_cast<int>(targets.size()));
        reply(request, property);
        return;
    }
    for (const Content& content : saved) {
        if (content.target == request.target) {
            XChangeProperty(display, request.requestor, property, content.type, content.format, PropModeReplace,
                            content.bytes.data(), content.count);
            reply(request, property);
            return;
        }
    }
    reply(request, None);
}

void handle(const XEvent& event)
{
    if (event.type == SelectionRequest) {
        const XSelectionRequestEvent& request = event.xselectionrequest;
        if (request.selection == atom("CLIPBOARD_MANAGER") && request.target == atom("SAVE_TARGETS")) {
            const int count = save();
            reply(request, request.property);
            std::printf("saved %d\n", count);
            std::fflush(stdout);
        } else if (request.selection == atom("CLIPBOARD")) {
            serve(request);
        } else {
            reply(request, None);
        }
    } else if (event.type == SelectionClear && event.xselectionclear.selection == atom("CLIPBOARD")) {
        saved.clear();
    }
}

} // namespace

int main()
{
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 1;
    }
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), -10, -10, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atom("CLIPBOARD_MANAGER"), window, CurrentTime);
    if (XGetSelectionOwner(display, atom("CLIPBOARD_MANAGER")) != window) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        while (!postponed.empty()) {
            const XEvent event = postponed.front();
            postponed.pop_front();
            handle(event);
        }
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            handle(event);
        }
        pollfd descriptors[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        poll(descriptors, 2, 200);
        if ((descriptors[1].revents & (POLLIN | POLLHUP)) != 0) {
            char buffer[64];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
                break;
            }
        }
    }
    XCloseDisplay(display);
    return 0;
}
