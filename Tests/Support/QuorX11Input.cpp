#include "Support/QuorX11Input.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

PointerGesture& PointerGesture::move(QPoint point, std::chrono::milliseconds after)
{
    steps.append({Step::Kind::move, point, 1, after});
    return *this;
}

PointerGesture& PointerGesture::press(std::chrono::milliseconds after, int button)
{
    steps.append({Step::Kind::press, {}, button, after});
    return *this;
}

PointerGesture& PointerGesture::release(std::chrono::milliseconds after, int button)
{
    steps.append({Step::Kind::release, {}, button, after});
    return *this;
}

PointerGesture& PointerGesture::click(QPoint point, std::chrono::milliseconds after)
{
    return move(point, after).press().release();
}

PointerGesture& PointerGesture::drag(QPoint from, QPoint to, std::chrono::milliseconds after)
{
    using std::chrono::milliseconds;
    move(from, after).press(milliseconds(20));
    constexpr int count = 6;
    for (int step = 1; step <= count; ++step) {
        move(from + (to - from) * step / count, milliseconds(15));
    }
    return release(milliseconds(20));
}

void quorPerform(Display* display, const PointerGesture& gesture)
{
    for (const PointerGesture::Step& step : gesture.steps) {
        // XTest's delay: the server waits that long before it plays the event.
        const auto delay = static_cast<unsigned long>(step.after.count());
        switch (step.kind) {
        case PointerGesture::Step::Kind::move:
            XTestFakeMotionEvent(display, -1, step.point.x(), step.point.y(), delay);
            break;
        case PointerGesture::Step::Kind::press:
        case PointerGesture::Step::Kind::release:
            XTestFakeButtonEvent(display, static_cast<unsigned>(step.button),
                                 step.kind == PointerGesture::Step::Kind::press ? True : False, delay);
            break;
        }
    }
    XSync(display, False);
}

bool quorPointerGrabbedElsewhere(Display* display)
{
    if (display == nullptr) {
        return false;
    }
    const int status = XGrabPointer(display, DefaultRootWindow(display), False, 0, GrabModeAsync, GrabModeAsync, None,
                                    None, CurrentTime);
    if (status == GrabSuccess) {
        XUngrabPointer(display, CurrentTime);
        XSync(display, False);
        return false;
    }
    return status == AlreadyGrabbed || status == GrabFrozen;
}
