#pragma once

struct _XDisplay;

namespace quor::platform {

// Collects the X protocol errors of one of our connections while it lives. Requests fail
// asynchronously in X: make the requests, then sync() to learn whether any of them was refused
// (a key grab another client holds answers BadAccess).
//
// One process-wide Xlib error handler serves every trap; errors of our connections without a trap
// are ignored, errors of other connections go to the handler that was installed before ours.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(_XDisplay* display);
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;
    ~X11ErrorTrap();

    // Waits for the server to answer everything sent so far; the first error code seen since the
    // trap started (0 when none).
    int sync();
    int firstErrorCode() const;

    // Marks a connection as ours (its stray errors are ignored) or forgets it when it closes.
    static void adopt(_XDisplay* display);
    static void release(_XDisplay* display);

private:
    _XDisplay* m_display;
};

} // namespace quor::platform
